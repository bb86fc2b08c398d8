#include "tabdump/date_format.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace tabdump {
namespace {

// 2020/04/01 (a Wednesday) 09:05:07.
constexpr double kSerial = 43922 + (9 * 3600 + 5 * 60 + 7) / 86400.0;

TEST(CustomDateFormatTest, PrintsTheLookTheCodeAsks) {
  struct Case {
    const char* name;
    std::string code;
    std::string expected;  // kSerial printed in the code's format
  };
  const Case cases[] = {
      {"iso", "yyyy-mm-dd", "2020-04-01"},
      {"short parts", "yy/m/d", "20/4/1"},
      {"upper case letters", "YYYY/MM/DD", "2020/04/01"},
      {"japanese words", "yyyy\"年\"m\"月\"d\"日\"", "2020年4月1日"},
      {"unquoted japanese", "yyyy年m月d日", "2020年4月1日"},
      {"japanese weekday", "m/d(aaa)", "4/1(水)"},
      {"long japanese weekday", "aaaa", "水曜日"},
      {"month and day names", "dddd, mmmm d, yyyy", "Wednesday, April 1, 2020"},
      {"short names", "ddd d mmm yy", "Wed 1 Apr 20"},
      // "m" after an hour or before a second is a minute.
      {"minutes after hours", "h:mm", "9:05"},
      {"minutes before seconds", "mm:ss", "05:07"},
      {"date and time", "yyyy/mm/dd hh:mm:ss", "2020/04/01 09:05:07"},
      {"escaped and padded", "yyyy\\-mm_)dd", "2020-04 01"},
      {"locale and colour prefix", "[$-411][Blue]yyyy/mm/dd", "2020/04/01"},
      {"second section ignored", "yyyy/mm/dd;@", "2020/04/01"},
      // Parts tabdump cannot print give the plain look.
      {"era", "[$-411]ge.m.d", "2020/04/01"},
      {"am/pm", "h:mm AM/PM", "9:05:07"},
      {"elapsed hours", "[h]:mm:ss", "9:05:07"},
      {"fraction of seconds", "yyyy/mm/dd hh:mm:ss.000", "2020/04/01 9:05:07"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<DateFormat> format = CustomDateFormat(c.code);
    ASSERT_TRUE(format.has_value());
    EXPECT_EQ(SerialDateText(kSerial, false, *format), c.expected);
  }
}

TEST(CustomDateFormatTest, LeavesNumberFormatsAlone) {
  for (const char* code :
       {"General", "general", "0", "0.00", "#,##0\"円\"", "0.00E+00", "@", "0%", "\"yyyy\"0", ""}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(CustomDateFormat(code).has_value());
  }
}

TEST(BuiltInDateFormatTest, KnowsTheDateIds) {
  struct Case {
    int id;
    std::optional<std::string> expected;  // kSerial printed, or not a date
  };
  const Case cases[] = {
      {0, std::nullopt},  {1, std::nullopt},   {14, "2020/04/01"},      {17, "2020/04/01"},
      {20, "9:05"},       {21, "9:05:07"},     {22, "2020/04/01 9:05"}, {31, "2020年4月1日"},
      {32, "9時05分"},    {34, "2020年4月"},   {35, "4月1日"},          {49, std::nullopt},
      {57, "2020/04/01"}, {164, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const std::optional<DateFormat> format = BuiltInDateFormat(c.id);
    ASSERT_EQ(format.has_value(), c.expected.has_value());
    if (format) {
      EXPECT_EQ(SerialDateText(kSerial, false, *format), *c.expected);
    }
  }
}

TEST(SerialDateTextTest, PrintsSerialsOutsideTheCalendarAsNumbers) {
  const DateFormat format = *BuiltInDateFormat(14);
  EXPECT_EQ(SerialDateText(-5, false, format), "-5");
  EXPECT_EQ(SerialDateText(3e6, false, format), "3000000");
  EXPECT_EQ(SerialDateText(42460, true, format), "2020/04/01");
}

}  // namespace
}  // namespace tabdump
