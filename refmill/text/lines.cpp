#include "refmill/text/lines.h"

#include <cstring>

namespace refmill::text {

std::vector<std::string_view> SplitLines(std::string_view contents) {
  const size_t nul = contents.find('\0');
  if (nul != std::string_view::npos) contents = contents.substr(0, nul);
  std::vector<std::string_view> lines;
  const char* p = contents.data();
  const char* end = p + contents.size();
  const char* start = p;
  while (p < end) {
    // CR and LF are never second bytes of a Shift-JIS character, so a plain
    // byte search is safe here.
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>((lf ? lf : end) - p)));
    const char* brk = cr ? cr : lf;
    if (brk == nullptr) break;
    lines.emplace_back(start, static_cast<size_t>(brk - start));
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
    start = p;
  }
  if (start < end) lines.emplace_back(start, static_cast<size_t>(end - start));
  return lines;
}

}  // namespace refmill::text
