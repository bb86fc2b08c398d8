// The local time of day as the converter prints it on its time-stamp lines.
#pragma once

#include <string>

namespace platform {

// The current local time in the long time format of a Japanese desktop,
// "H:mm:ss" (for example "9:05:07").
std::string LongTimeNow();

}  // namespace platform
