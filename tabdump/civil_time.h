// Workbook serials as calendar dates and times of day, for the date formats.
#pragma once

#include <optional>

namespace tabdump {

struct CivilTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31; 0 only for the 1900 system's serial 0
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 0;  // 0 Sunday to 6 Saturday
};

// The date and time of `serial`, rounded to the second. In the 1900 system
// serial 1 is 1900/01/01 and serial 60 the 1900/02/29 that spreadsheets
// count although it never was; in the 1904 system serial 0 is 1904/01/01.
// nullopt for a negative serial or one past 9999/12/31.
std::optional<CivilTime> SerialToCivil(double serial, bool date1904);

}  // namespace tabdump
