#include "refmill/text/lines.h"

#include <cstring>
#include <stdexcept>

#include "platform/worker_pool.h"

namespace refmill::text {
namespace {

std::string_view UpToZeroByte(std::string_view contents) {
  const size_t nul = contents.find('\0');
  return nul == std::string_view::npos ? contents : contents.substr(0, nul);
}

// Calls line(start, length, next) for every line, `next` being where the
// line after it begins.
template <class Fn>
void ForEachLine(std::string_view contents, Fn&& line) {
  const char* base = contents.data();
  const char* p = base;
  const char* end = p + contents.size();
  const char* start = p;
  while (p < end) {
    // CR and LF are never second bytes of a Shift-JIS character, so a plain
    // byte search is safe here.
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* cr =
        static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>((lf ? lf : end) - p)));
    const char* brk = cr ? cr : lf;
    if (brk == nullptr) break;
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
    line(static_cast<size_t>(start - base), static_cast<size_t>(brk - start),
         static_cast<size_t>(p - base));
    start = p;
  }
  if (start < end) {
    line(static_cast<size_t>(start - base), static_cast<size_t>(end - start), contents.size());
  }
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view contents) {
  contents = UpToZeroByte(contents);
  std::vector<std::string_view> lines;
  ForEachLine(contents, [&](size_t start, size_t length, size_t) {
    lines.emplace_back(contents.data() + start, length);
  });
  return lines;
}

LineIndex::LineIndex(std::string_view contents) : text_(UpToZeroByte(contents)) {
  if (text_.size() > UINT32_MAX) throw std::length_error("text too long to index by line");
  // A large text is cut into parts at line breaks (a CR LF kept whole) and
  // each part indexed by a core of its own.
  constexpr size_t kBytesPerLine = 64;  // a guess, to find how many workers pay
  const size_t workers = platform::WorkerCount(text_.size() / kBytesPerLine);
  std::vector<size_t> cuts{0};
  for (size_t w = 1; w < workers; ++w) {
    size_t cut = std::max(cuts.back(), text_.size() * w / workers);
    while (cut < text_.size() && text_[cut] != '\n' && text_[cut] != '\r') ++cut;
    if (cut < text_.size()) {
      // "\r\n" is one break; "\n\r" or "\r\r" are two, and end an empty line.
      const bool pair = text_[cut] == '\r' && cut + 1 < text_.size() && text_[cut + 1] == '\n';
      cut += pair ? 2 : 1;
    }
    cuts.push_back(cut);
  }
  cuts.push_back(text_.size());
  // Room is made here, beforehand, for more lines than the parts are likely
  // to hold: memory a worker thread takes and gives back stays with that
  // thread's heap, and would count to the run's peak until the end.
  constexpr size_t kShortestLikelyLine = 16;
  std::vector<std::vector<uint32_t>> parts(workers);
  for (size_t w = 0; w < workers; ++w) {
    parts[w].reserve((cuts[w + 1] - cuts[w]) / kShortestLikelyLine + 1024);
  }
  platform::RunWorkers(workers, [&](size_t w) {
    const size_t base = cuts[w];
    ForEachLine(text_.substr(base, cuts[w + 1] - base), [&](size_t start, size_t, size_t) {
      parts[w].push_back(static_cast<uint32_t>(base + start));
    });
  });
  size_t total = 1;
  for (const auto& part : parts) total += part.size();
  starts_.reserve(total);
  for (const auto& part : parts) starts_.insert(starts_.end(), part.begin(), part.end());
  if (!starts_.empty()) starts_.push_back(static_cast<uint32_t>(text_.size()));
}

std::string_view LineIndex::operator[](size_t i) const {
  std::string_view line = text_.substr(starts_[i], starts_[i + 1] - starts_[i]);
  // A line holds no CR or LF of its own, so what it ends with is its break.
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace refmill::text
