// Author, editor and translator columns turned into name lists: the full
// list for the author, editor and translator placeholders, and the short
// form for the code -1 placeholder and the sort keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "refmill/format/entry_context.h"

namespace refmill::format {

// The value of a column with its quotes removed: a value that begins with a
// double quote is cut to the quoted part (a doubled quote standing for one);
// when that leaves nothing, the text after the closing quote is used. Any
// other value comes back whole.
std::string RemoveQuotes(std::string_view value);

// The names of a column: split at every "|" outside double quotes (the
// quotes stay in the name), empty pieces dropped.
std::vector<std::string_view> SplitNames(std::string_view column);

// The full list by the Japanese rules: names joined by jname_sep (or
// jname_sep2 when a name holds jname_sep), "#" marks deleted, three or more
// names cut to the first + jname_etal when `etal` is on.
std::string FullAuthorListJapanese(std::string_view text, bool etal, const StyleSettings& s);

// The full list by the Western rules (initials, surname first by `e_at`,
// "&" and commas, et al.). No names: a warning and "■".
std::string FullAuthorListWestern(std::string_view text, bool etal, const EntryContext& ctx,
                                  int32_t e_at);

// The short form: family names or surnames only, two joined, three or more
// as the first + the and-others text. "■" when there are no names.
std::string ShortAuthorList(std::string_view raw, EntryKind kind, const StyleSettings& s);

}  // namespace refmill::format
