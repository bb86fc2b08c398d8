// Date and time number formats of workbook cells. A workbook stores a date as
// a day count (the serial) and leaves its look to the cell's number format;
// this turns a number format into the parts tabdump can print and a serial
// into text in that look. Used by the .xlsx reader (the .xls library does the
// date detection itself and hands over finished texts).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabdump {

// One piece of a date format: literal text, or a field printed in `width`
// letters' worth of detail ("yyyy" has width 4, "m" width 1).
struct DateField {
  enum class Kind { kLiteral, kYear, kMonth, kDay, kHour, kMinute, kSecond, kJapaneseWeekday };
  Kind kind;
  int width = 0;
  std::string text;  // the literal, for kLiteral only

  bool operator==(const DateField&) const = default;
};
using DateFormat = std::vector<DateField>;

// The format of a built-in number format id (those below 164), or nullopt
// when that id is not a date or time format. Built-in dates print as
// "yyyy/mm/dd"; the Japanese built-ins with 年, 月 and 日 keep those words.
std::optional<DateFormat> BuiltInDateFormat(int num_fmt_id);

// The format of a number format code the workbook defines itself, or nullopt
// when the code is not a date or time format. A date code with parts tabdump
// cannot print (eras, AM/PM, fractions of seconds, elapsed hours) gives the
// plain "yyyy/mm/dd", "h:mm:ss" or both, by what the code shows.
std::optional<DateFormat> CustomDateFormat(std::string_view code);

// `serial` (days since the workbook's epoch, the fraction being the time of
// day) printed in `format`. Serials before the epoch or after the year 9999
// are not dates and print as plain numbers.
std::string SerialDateText(double serial, bool date1904, const DateFormat& format);

}  // namespace tabdump
