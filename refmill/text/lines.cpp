#include "refmill/text/lines.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <stdexcept>

#include "platform/worker_pool.h"

namespace refmill::text {
namespace {

std::string_view UpToZeroByte(std::string_view contents) {
  const size_t nul = contents.find('\0');
  return nul == std::string_view::npos ? contents : contents.substr(0, nul);
}

// Calls line(start, length, next) for every line, `next` being where the
// line after it begins. A zero byte ends the text: returns where it ended,
// the zero byte's place or the size.
template <class Fn>
size_t ForEachLine(std::string_view contents, Fn&& line) {
  const char* base = contents.data();
  const size_t size = contents.size();
  size_t start = 0;  // where the current line begins
  // CR and LF are never second bytes of a Shift-JIS character, so a plain
  // byte search is safe here. A CR LF is one break; its LF is passed by.
  auto end_line = [&](size_t at) {
    size_t next = at + 1;
    if (base[at] == '\r' && next < size && base[next] == '\n') ++next;
    line(start, at - start, next);
    start = next;
  };
  size_t end = size;
  size_t pos = 0;
#if defined(__SSE2__)
  // Tables are millions of short lines: sixteen bytes are looked at at
  // once, for both breaks and the zero byte, in one pass.
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; pos + 16 <= size && end == size; pos += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + pos));
    auto breaks = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr))));
    if (const auto zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, zero)))) {
      const auto first = static_cast<unsigned>(__builtin_ctz(zeros));
      end = pos + first;
      breaks &= (1u << first) - 1;
    }
    for (; breaks != 0; breaks &= breaks - 1) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(breaks));
      if (at >= start) end_line(at);
    }
  }
#endif
  for (; pos < end; ++pos) {
    if (base[pos] == '\0') {
      end = pos;
      break;
    }
    if (pos >= start && (base[pos] == '\n' || base[pos] == '\r')) end_line(pos);
  }
  if (start < end) line(start, end - start, end);
  return end;
}

}  // namespace

std::vector<std::string_view> SplitLines(std::string_view contents) {
  std::vector<std::string_view> lines;
  ForEachLine(contents, [&](size_t start, size_t length, size_t) {
    lines.emplace_back(contents.data() + start, length);
  });
  return lines;
}

LineIndex::LineIndex(std::string_view contents) : text_(contents) {
  // Offsets are four bytes; a text cut short by a zero byte may still fit.
  if (text_.size() > UINT32_MAX) text_ = UpToZeroByte(text_);
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
  // Where a part met a zero byte, which ends the text there.
  std::vector<size_t> ends(workers);
  platform::RunWorkers(workers, [&](size_t w) {
    const size_t base = cuts[w];
    ends[w] = base + ForEachLine(text_.substr(base, cuts[w + 1] - base),
                                 [&](size_t start, size_t, size_t) {
                                   parts[w].push_back(static_cast<uint32_t>(base + start));
                                 });
  });
  for (size_t w = 0; w < workers; ++w) {
    if (ends[w] < cuts[w + 1]) {
      text_ = text_.substr(0, ends[w]);
      parts.resize(w + 1);
      break;
    }
  }
  size_t total = 1;
  for (const auto& part : parts) total += part.size();
  starts_.reserve(total);
  for (const auto& part : parts) starts_.insert(starts_.end(), part.begin(), part.end());
  if (!starts_.empty()) starts_.push_back(static_cast<uint32_t>(text_.size()));
}

std::string_view LineIndex::operator[](size_t i) const { return WithoutBreak(WithBreak(i)); }

}  // namespace refmill::text
