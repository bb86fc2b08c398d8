#include "platform/clock.h"

#include <windows.h>

namespace platform {

// The user's own long time format ("H:mm:ss" on a Japanese desktop), as the
// time-stamp lines have always shown it.
std::string LongTimeNow() {
  char buffer[80];
  const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n - 1)) : std::string();
}

}  // namespace platform
