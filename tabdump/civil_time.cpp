#include "tabdump/civil_time.h"

#include <cmath>

namespace tabdump {
namespace {

constexpr long long kSecondsPerDay = 86400;
// The 1900 system's serial 60 is the non-existent 1900/02/29.
constexpr long long kPhantomLeapDay = 60;
// 10000/01/01 in the 1900 system, where serials reach furthest.
constexpr double kFirstSerialPastYear9999 = 2958466;

// Days since 1970/01/01 of a date in the proleptic Gregorian calendar.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void SetCivilFromDays(long long z, CivilTime& t) {
  t.weekday = static_cast<int>(((z % 7) + 11) % 7);
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
}

}  // namespace

std::optional<CivilTime> SerialToCivil(double serial, bool date1904) {
  // The year check below is the real limit; this one keeps the arithmetic in range.
  if (!(serial >= 0) || serial >= kFirstSerialPastYear9999) return std::nullopt;
  const long long total = std::llround(serial * kSecondsPerDay);
  const long long days = total / kSecondsPerDay;
  const long long seconds = total % kSecondsPerDay;
  CivilTime t;
  if (date1904) {
    SetCivilFromDays(DaysFromCivil(1904, 1, 1) + days, t);
  } else if (days < kPhantomLeapDay) {
    // Serial 0 is shown as 1900/01/00, one day before 1900/01/01.
    SetCivilFromDays(DaysFromCivil(1900, 1, 1) + days - 1, t);
    if (days == 0) t = CivilTime{1900, 1, 0, 0, 0, 0, 6};
  } else if (days == kPhantomLeapDay) {
    t = CivilTime{1900, 2, 29, 0, 0, 0, 3};
  } else {
    SetCivilFromDays(DaysFromCivil(1899, 12, 30) + days, t);
  }
  if (t.year > 9999) return std::nullopt;
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  return t;
}

}  // namespace tabdump
