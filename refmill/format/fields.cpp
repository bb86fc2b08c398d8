#include "refmill/format/fields.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace refmill::format {

FieldList::FieldList(std::string text, std::vector<Span> spans) : text_(std::move(text)) {
  for (const Span& span : spans) Add(span);
}

void FieldList::AddBeyondTheFirst(Span span) {
  more_.push_back(span);
  ++size_;
}

namespace {

// Where the next comma or double quote at or after `pos` is; `size` if none
// is. Neither byte can close a two-byte character, so each is a character
// of its own wherever it stands, and the bytes of Japanese text need no
// look: most of a line is passed sixteen bytes at a time.
size_t NextSpecial(const char* line, size_t pos, size_t size) {
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i quote = _mm_set1_epi8('"');
  for (; pos + 16 <= size; pos += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + pos));
    const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, quote));
    const auto found = static_cast<unsigned>(_mm_movemask_epi8(marks));
    if (found != 0) return pos + static_cast<size_t>(__builtin_ctz(found));
  }
#endif
  for (; pos < size; ++pos) {
    if (line[pos] == ',' || line[pos] == '"') return pos;
  }
  return size;
}

}  // namespace

FieldList SplitFields(std::string_view line) {
  // Two rounds of ",," → ",|," put the marker between every two commas that
  // follow each other (the first round leaves every second pair, ",,," gives
  // ",|,,"; the second marks the rest), quoted stretches included. One pass
  // that inserts the marker wherever a comma follows a comma does the same.
  FieldList fields;
  std::string& text = fields.text_;
  text.reserve(line.size() + 8);
  size_t copied = 0;    // bytes of `line` already in `text`
  size_t inserted = 0;  // markers put in so far: text offset = line offset + inserted
  size_t start = 0;     // text offset where the current piece begins
  bool quoted = false;
  bool after_comma = false;
  auto close_piece = [&](size_t end) {
    if (end > start) {
      fields.Add({static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)});
    }
  };
  const size_t size = line.size();
  for (size_t pos = 0; pos < size;) {
    const size_t next = NextSpecial(line.data(), pos, size);
    if (next != pos) {
      // Plain bytes in between: no comma follows a comma across them.
      after_comma = false;
      pos = next;
      if (pos == size) break;
    }
    const char c = line[pos];
    if (c == ',') {
      if (after_comma) {
        text.append(line, copied, pos - copied);
        text.push_back('|');
        copied = pos;
        ++inserted;
      }
      if (!quoted) {
        close_piece(pos + inserted);
        start = pos + inserted + 1;
      }
    } else {
      quoted = !quoted;
    }
    after_comma = c == ',';
    ++pos;
  }
  text.append(line, copied, line.size() - copied);
  close_piece(text.size());
  fields.PadToMinimum();
  return fields;
}

}  // namespace refmill::format
