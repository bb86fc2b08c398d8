// The small text rules every reader's values go through on their way into
// the table. All texts are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace refimport {

// True when `text` holds kana or kanji: such a reference is Japanese.
bool HasJapanese(std::string_view text);

// `text` without blanks (ASCII and ideographic) at either end, and with every
// run of white space inside it (line breaks of a wrapped value) one blank.
std::string Squeezed(std::string_view text);

// A title and its subtitle, split at the first ": ", "：" or "――". Without
// one the subtitle is empty.
std::pair<std::string, std::string> SplitSubtitle(std::string_view title);

// A page range with a plain hyphen: "207--217", "207–217" and "207 - 217"
// all give "207-217".
std::string PageRange(std::string_view pages);

// The edition as printed: a number or an English ordinal or number word
// ("2", "2nd", "second", "2nd edition") gives "2nd ed." or, for a Japanese
// reference, "第2版"; the first edition gives nothing, since nobody cites it
// as such. Any other text is kept as it is.
std::string EditionText(std::string_view edition, bool japanese);

// The first four-digit year in `date` ("2001-05-03", "2001/05", "May 2001"),
// or the whole text when it has none ("n.d.", "印刷中").
std::string YearOf(std::string_view date);

// The first word of a reading ("やまだ たろう" gives "やまだ").
std::string FirstWord(std::string_view text);

}  // namespace refimport
