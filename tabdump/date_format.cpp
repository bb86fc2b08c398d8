#include "tabdump/date_format.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "tabdump/civil_time.h"
#include "tabdump/number_text.h"

namespace tabdump {
namespace {

using Kind = DateField::Kind;

constexpr std::string_view kPlainDate = "yyyy/mm/dd";
constexpr std::string_view kPlainTime = "h:mm:ss";
constexpr std::string_view kPlainDateTime = "yyyy/mm/dd h:mm:ss";

struct BuiltIn {
  int id;
  std::string_view code;
};
// Built-in ids that are dates or times. The Western dates print in the
// Japanese order; era formats (27 to 30, 36, 50, 51, 54, 57, 58 with "ge.m.d"
// and the like) print as plain dates.
constexpr BuiltIn kBuiltIns[] = {
    {14, kPlainDate},
    {15, kPlainDate},
    {16, kPlainDate},
    {17, kPlainDate},
    {18, "h:mm"},
    {19, kPlainTime},
    {20, "h:mm"},
    {21, kPlainTime},
    {22, "yyyy/mm/dd h:mm"},
    {27, kPlainDate},
    {28, kPlainDate},
    {29, kPlainDate},
    {30, kPlainDate},
    {31, "yyyy\"年\"m\"月\"d\"日\""},
    {32, "h\"時\"mm\"分\""},
    {33, "h\"時\"mm\"分\"ss\"秒\""},
    {34, "yyyy\"年\"m\"月\""},
    {35, "m\"月\"d\"日\""},
    {36, kPlainDate},
    {45, "mm:ss"},
    {46, kPlainTime},
    {47, "mm:ss"},
    {50, kPlainDate},
    {51, kPlainDate},
    {52, "yyyy\"年\"m\"月\""},
    {53, "m\"月\"d\"日\""},
    {54, kPlainDate},
    {55, "yyyy\"年\"m\"月\""},
    {56, "m\"月\"d\"日\""},
    {57, kPlainDate},
    {58, kPlainDate},
};

constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kJapaneseWeekdays = {"日", "月", "火", "水",
                                                               "木", "金", "土"};
constexpr std::string_view kJapaneseWeekdaySuffix = "曜日";

// What reading a format code found besides the fields it can print.
struct Scan {
  DateFormat fields;
  bool has_date_part = false;
  bool has_time_part = false;
  bool unsupported = false;  // a date part tabdump cannot print
  bool has_digits = false;   // "0", "#" or "?": a number format
};

size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

void AddLiteral(Scan& scan, std::string_view text) {
  if (!scan.fields.empty() && scan.fields.back().kind == Kind::kLiteral) {
    scan.fields.back().text += text;
  } else {
    scan.fields.push_back({Kind::kLiteral, 0, std::string(text)});
  }
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

struct LetterField {
  char letter;
  Kind kind;
  bool date_part;
  bool time_part;
};
// "m" counts as neither part until ResolveMinutes knows month from minute.
constexpr LetterField kLetterFields[] = {
    {'y', Kind::kYear, true, false},   {'m', Kind::kMonth, false, false},
    {'d', Kind::kDay, true, false},    {'h', Kind::kHour, false, true},
    {'s', Kind::kSecond, false, true}, {'a', Kind::kJapaneseWeekday, true, false},
};

// Reads one run of the same letter starting at `pos`; returns its length.
size_t ReadLetterRun(Scan& scan, std::string_view code, size_t pos) {
  const std::string_view rest = code.substr(pos);
  if (StartsWithIgnoringCase(rest, "am/pm") || StartsWithIgnoringCase(rest, "a/p")) {
    scan.has_time_part = scan.unsupported = true;
    return StartsWithIgnoringCase(rest, "am/pm") ? 5 : 3;
  }
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
  size_t length = 0;
  while (length < rest.size() && std::tolower(static_cast<unsigned char>(rest[length])) == letter) {
    ++length;
  }
  const int width = static_cast<int>(length);
  // "E+" and "E-" are the exponent of a scientific format; "aa" and "a" are text.
  const bool exponent =
      letter == 'e' && length < rest.size() && (rest[length] == '+' || rest[length] == '-');
  const bool short_a = letter == 'a' && width < 3;
  if (letter == 'g' || letter == 'b' || (letter == 'e' && !exponent)) {
    // Era names and years, Buddhist years.
    scan.has_date_part = scan.unsupported = true;
    return length;
  }
  for (const LetterField& f : kLetterFields) {
    if (f.letter != letter || short_a) continue;
    scan.fields.push_back({f.kind, width, {}});
    scan.has_date_part = scan.has_date_part || f.date_part;
    scan.has_time_part = scan.has_time_part || f.time_part;
    return length;
  }
  AddLiteral(scan, rest.substr(0, length));
  return length;
}

// "m" is a minute right after an hour or right before a second, else a month.
void ResolveMinutes(Scan& scan) {
  DateFormat& f = scan.fields;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i].kind != Kind::kMonth) continue;
    Kind before = Kind::kLiteral;
    for (size_t j = i; j-- > 0;) {
      if (f[j].kind != Kind::kLiteral) {
        before = f[j].kind;
        break;
      }
    }
    Kind after = Kind::kLiteral;
    for (size_t j = i + 1; j < f.size(); ++j) {
      if (f[j].kind != Kind::kLiteral) {
        after = f[j].kind;
        break;
      }
    }
    if (f[i].width <= 2 && (before == Kind::kHour || after == Kind::kSecond)) {
      f[i].kind = Kind::kMinute;
      scan.has_time_part = true;
    } else {
      scan.has_date_part = true;
    }
  }
}

// Reads the first section of a format code (the one for positive numbers).
Scan ScanCode(std::string_view code) {
  Scan scan;
  for (size_t pos = 0; pos < code.size();) {
    const char c = code[pos];
    if (c == ';') break;
    if (c == '"') {
      const size_t close = code.find('"', pos + 1);
      const size_t end = close == std::string_view::npos ? code.size() : close;
      AddLiteral(scan, code.substr(pos + 1, end - pos - 1));
      pos = end + 1;
    } else if (c == '\\' && pos + 1 < code.size()) {
      const size_t n = Utf8Length(static_cast<unsigned char>(code[pos + 1]));
      AddLiteral(scan, code.substr(pos + 1, n));
      pos += 1 + n;
    } else if (c == '_' || c == '*') {
      // "_x" leaves the width of x blank; "*x" fills the cell with x.
      if (c == '_') AddLiteral(scan, " ");
      pos += pos + 1 < code.size() ? 1 + Utf8Length(static_cast<unsigned char>(code[pos + 1])) : 1;
    } else if (c == '[') {
      const size_t close = code.find(']', pos);
      const std::string_view inside = code.substr(
          pos + 1, close == std::string_view::npos ? std::string_view::npos : close - pos - 1);
      // [h], [mm] and [ss] are elapsed times; colours, locales and conditions print nothing.
      if (!inside.empty() && std::string_view("hHmMsS").find(inside[0]) != std::string_view::npos) {
        scan.has_time_part = scan.unsupported = true;
      }
      pos = close == std::string_view::npos ? code.size() : close + 1;
    } else if (c == '0' || c == '#' || c == '?') {
      scan.has_digits = true;
      ++pos;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      pos += ReadLetterRun(scan, code, pos);
    } else {
      const size_t n = Utf8Length(static_cast<unsigned char>(c));
      AddLiteral(scan, code.substr(pos, n));
      pos += n;
    }
  }
  ResolveMinutes(scan);
  return scan;
}

std::string Padded(int value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", digits, value);
  return buffer;
}

std::string FieldText(const DateField& field, const CivilTime& t) {
  const int w = field.width;
  switch (field.kind) {
    case Kind::kLiteral:
      return field.text;
    case Kind::kYear:
      return w <= 2 ? Padded(t.year % 100, 2) : Padded(t.year, 4);
    case Kind::kMonth:
      if (w <= 2) return Padded(t.month, w);
      if (w == 4) return std::string(kMonthNames[static_cast<size_t>(t.month - 1)]);
      return std::string(kMonthNames[static_cast<size_t>(t.month - 1)].substr(0, w == 3 ? 3 : 1));
    case Kind::kDay:
      if (w <= 2) return Padded(t.day, w);
      return std::string(kWeekdayNames[static_cast<size_t>(t.weekday)].substr(0, w == 3 ? 3 : 9));
    case Kind::kHour:
      return Padded(t.hour, w >= 2 ? 2 : 1);
    case Kind::kMinute:
      return Padded(t.minute, w);
    case Kind::kSecond:
      return Padded(t.second, w >= 2 ? 2 : 1);
    case Kind::kJapaneseWeekday: {
      std::string day(kJapaneseWeekdays[static_cast<size_t>(t.weekday)]);
      return w >= 4 ? day + std::string(kJapaneseWeekdaySuffix) : day;
    }
  }
  return std::string();
}

}  // namespace

std::optional<DateFormat> BuiltInDateFormat(int num_fmt_id) {
  for (const BuiltIn& b : kBuiltIns) {
    if (b.id == num_fmt_id) return ScanCode(b.code).fields;
  }
  return std::nullopt;
}

std::optional<DateFormat> CustomDateFormat(std::string_view code) {
  if (StartsWithIgnoringCase(code, "general") && code.size() == 7) return std::nullopt;
  const Scan scan = ScanCode(code);
  if (!scan.has_date_part && !scan.has_time_part) return std::nullopt;
  if (!scan.unsupported && !scan.has_digits) return scan.fields;
  const std::string_view plain = !scan.has_time_part   ? kPlainDate
                                 : !scan.has_date_part ? kPlainTime
                                                       : kPlainDateTime;
  return ScanCode(plain).fields;
}

std::string SerialDateText(double serial, bool date1904, const DateFormat& format) {
  const std::optional<CivilTime> t = SerialToCivil(serial, date1904);
  if (!t) return NumberText(serial);
  std::string out;
  for (const DateField& field : format) out += FieldText(field, *t);
  return out;
}

}  // namespace tabdump
