#include "tabdump/civil_time.h"

#include <cmath>

#include <gtest/gtest.h>

namespace tabdump {
namespace {

TEST(SerialToCivilTest, CountsDaysTheWaySpreadsheetsDo) {
  struct Case {
    const char* name;
    double serial;
    bool date1904;
    CivilTime expected;
  };
  const Case cases[] = {
      {"first day", 1, false, {1900, 1, 1, 0, 0, 0, 1}},
      {"before the phantom day", 59, false, {1900, 2, 28, 0, 0, 0, 3}},
      // Spreadsheets count a 29 February 1900 that never was.
      {"phantom leap day", 60, false, {1900, 2, 29, 0, 0, 0, 3}},
      {"after the phantom day", 61, false, {1900, 3, 1, 0, 0, 0, 4}},
      {"serial zero", 0, false, {1900, 1, 0, 0, 0, 0, 6}},
      {"a wednesday", 43922, false, {2020, 4, 1, 0, 0, 0, 3}},
      {"noon", 43922.5, false, {2020, 4, 1, 12, 0, 0, 3}},
      {"time only", 0.75, false, {1900, 1, 0, 18, 0, 0, 6}},
      {"seconds", 43922 + (10 * 3600 + 20 * 60 + 30) / 86400.0, false, {2020, 4, 1, 10, 20, 30, 3}},
      // Half a second before midnight rounds into the next day.
      {"rounds up to midnight", 43922 + 86399.6 / 86400, false, {2020, 4, 2, 0, 0, 0, 4}},
      {"last day", 2958465, false, {9999, 12, 31, 0, 0, 0, 5}},
      {"1904 epoch", 0, true, {1904, 1, 1, 0, 0, 0, 5}},
      {"1904 system", 42460, true, {2020, 4, 1, 0, 0, 0, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<CivilTime> t = SerialToCivil(c.serial, c.date1904);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->year, c.expected.year);
    EXPECT_EQ(t->month, c.expected.month);
    EXPECT_EQ(t->day, c.expected.day);
    EXPECT_EQ(t->hour, c.expected.hour);
    EXPECT_EQ(t->minute, c.expected.minute);
    EXPECT_EQ(t->second, c.expected.second);
    EXPECT_EQ(t->weekday, c.expected.weekday);
  }
}

TEST(SerialToCivilTest, RejectsSerialsOutsideTheCalendar) {
  EXPECT_FALSE(SerialToCivil(-1, false).has_value());
  EXPECT_FALSE(SerialToCivil(2958466, false).has_value());
  EXPECT_FALSE(SerialToCivil(2958465, true).has_value());
  EXPECT_FALSE(SerialToCivil(std::nan(""), false).has_value());
}

}  // namespace
}  // namespace tabdump
