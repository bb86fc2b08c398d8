#include "tabdump/number_text.h"

#include <cmath>
#include <cstdio>

namespace tabdump {
namespace {

// Below this every whole double is exact and a spreadsheet prints all digits.
constexpr double kLargestPlainWhole = 1e15;

}  // namespace

std::string NumberText(double value) {
  if (!std::isfinite(value)) return std::string();
  if (value == std::trunc(value) && std::fabs(value) < kLargestPlainWhole) {
    // Printing through long long also turns -0.0 into "0".
    return std::to_string(static_cast<long long>(value));
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

}  // namespace tabdump
