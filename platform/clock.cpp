#include "platform/clock.h"

#include <cstdio>
#include <ctime>

namespace platform {

std::string LongTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

}  // namespace platform
