// The sort field and the ID of an entry, both built from the ID base column
// when the table fills it in, else from the first author's family name or
// surname. The ID is always romanised; the sort field when the style sorts
// by romanised text.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "refmill/format/entry_context.h"
#include "refmill/format/fields.h"

namespace refmill::format {

using TextOrFault = std::variant<std::string, StyleFault>;

// The sort field: never contains "|"; "■" with a warning when neither an ID
// base nor an author is given. A fault when the style's author column lies
// outside the entry.
TextOrFault MakeSortKey(const FieldList& fields, const EntryContext& ctx);

// The ID: lower-cased base + year (with its letter), romanised; "ID" + line
// number with a warning when that is not plain ASCII or nothing was given.
TextOrFault MakeEntryId(const EntryFields& fields, EntryKind kind, const EntryContext& ctx);

}  // namespace refmill::format
