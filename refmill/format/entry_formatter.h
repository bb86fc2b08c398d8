// One reference turned into its text in the bibliography: the template of
// its category filled in, placeholder by placeholder, by the rules of
// Japanese and Western bibliographies the style selects.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/format/entry_context.h"
#include "refmill/format/fields.h"
#include "refmill/format/sort_key.h"

namespace refmill::format {

// The filled template of the entry's category; "■" with a warning when the
// category has no template or no kind. `repeat` puts the samename text in
// place of the authors; `year_letter` is appended to the year. A fault when
// the style reads a column the entry does not have. An empty `year_letter`
// is none. When the style has an order template and `order_text` is given,
// that template is filled too, with the same values but no escaping, into
// `order_text`; it stays untouched otherwise. `filled_literally`, when
// given, is set where a value ending in half a character had the list's
// template filled token by token (and left alone otherwise).
TextOrFault FormatEntry(const FieldList& fields, bool repeat, std::string_view year_letter,
                        const EntryContext& ctx, std::string* order_text = nullptr,
                        bool* filled_literally = nullptr);

// What FormatEntry gives with `repeat` and `year_letter`, made from
// `unmarked`, the text it gave without them, by putting in the values these
// change where that gives the same text; nothing where it might not (a value
// named twice or in an optional part, or not found in one place only), and
// the entry must then be formatted whole. Only for a text that FormatEntry
// did not fill literally. Faults and warnings are FormatEntry's to give.
//
// `known`, when given, keeps the unmarked values of one call for the next:
// marked entries come in runs of one author and year, so the next entry's
// author list or ID are mostly the ones just made.
class UnmarkedValues {
 public:
  struct Known {
    int32_t code;
    std::string inputs;  // what the value was made from
    std::string value;   // ready for output
  };
  std::vector<Known> known;
};
std::optional<std::string> FormatMarkedEntry(const FieldList& fields, std::string_view unmarked,
                                             bool repeat, std::string_view year_letter,
                                             const EntryContext& ctx,
                                             UnmarkedValues* known = nullptr);
// How many columns (from column 0) FormatMarkedEntry reads of an entry of
// style `s`: a field list split that far serves it as the whole would.
// SIZE_MAX when a value it may make again reads columns it cannot tell.
size_t ColumnsReadForMarks(const StyleSettings& s);
// True when FormatMarkedEntry makes no marked entry of style `s` whatever
// its values: every template names a value the style's marks change more
// than once or in an optional part, or has no plan.
bool MarksFormatEntriesWhole(const StyleSettings& s);
// True when some template of style `s` names a value the style's marks
// change more than once or in an optional part.
bool SomeMarksFormatEntriesWhole(const StyleSettings& s);
// True when FormatMarkedEntry makes no entry of `category` that repeats the
// author before it (`repeat`) or gets a year letter (`letter`), whatever its
// values, as its template alone tells; false where it may.
bool FormatsMarkedEntryWhole(std::string_view category, bool repeat, bool letter,
                             const StyleSettings& s);

// The year letter of the entry at `position` (from 0) in a group of one
// author and year: "a" to "z", then "aa", "ab", … "az", "ba", … as
// bibliography processors count on, so no two entries of a group share one
// however large it grows.
std::string YearLetter(size_t position);

// The issue number of a volume column "12|3" set into the style's `no`
// pattern ("(3)" by default); empty when the column has no "|".
std::string IssueText(std::string_view column, const StyleSettings& s);

}  // namespace refmill::format
