// Resolving "." and ".." in a path by its text alone, the same on every
// platform: for full paths here, for the part names inside a workbook in
// tabdump.
#include "platform/files.h"

namespace platform {

std::vector<std::string> ResolvedSteps(std::string_view path, char separator) {
  std::vector<std::string> steps;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(separator, start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view step = path.substr(start, end - start);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.emplace_back(step);
    }
    start = end + 1;
  }
  return steps;
}

}  // namespace platform
