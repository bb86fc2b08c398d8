#include "refmill/format/fields.h"

#include <algorithm>

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

constexpr size_t kBlock = 16;

// One bit for each comma or double quote among the `count` (at most 16)
// bytes from `bytes`. Neither byte can close a two-byte character, so each
// is a character of its own wherever it stands, and the bytes of Japanese
// text need no look.
uint32_t Specials(const char* bytes, size_t count) {
#if defined(__SSE2__)
  if (count == kBlock) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(',')),
                                       _mm_cmpeq_epi8(block, _mm_set1_epi8('"')));
    return static_cast<uint32_t>(_mm_movemask_epi8(marks));
  }
#endif
  uint32_t found = 0;
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] == ',' || bytes[i] == '"') found |= uint32_t{1} << i;
  }
  return found;
}

// Calls `at(pos)` for each comma and double quote of `line` in order, the
// commas and quotes of each sixteen bytes found at once; false as soon as
// a call is.
template <class At>
bool ForEachSpecial(std::string_view line, At&& at) {
  const size_t size = line.size();
  for (size_t block = 0; block < size; block += kBlock) {
    for (uint32_t found = Specials(line.data() + block, std::min(kBlock, size - block)); found != 0;
         found &= found - 1) {
      if (!at(block + static_cast<size_t>(__builtin_ctz(found)))) return false;
    }
  }
  return true;
}

}  // namespace

void FieldList::SplitQuoted(std::string_view line, size_t columns) {
  // What the other way made before it met the quote goes.
  size_ = 0;
  more_.clear();
  std::string& text = text_;
  text.clear();
  text.reserve(line.size() + line.size() / 4 + 8);
  size_t copied = 0;    // bytes of `line` already in `text`
  size_t inserted = 0;  // markers put in so far: text offset = line offset + inserted
  size_t start = 0;     // text offset where the current piece begins
  bool quoted = false;
  size_t after_comma = 0;  // one past the last comma, or 0
  ForEachSpecial(line, [&](size_t pos) {
    if (line[pos] != ',') {
      quoted = !quoted;
      return true;
    }
    if (after_comma == pos && pos > 0) {
      text.append(line, copied, pos - copied);
      text.push_back('|');
      copied = pos;
      ++inserted;
    }
    if (!quoted) {
      if (pos + inserted > start) {
        Add({static_cast<uint32_t>(start), static_cast<uint32_t>(pos + inserted - start)});
      }
      start = pos + inserted + 1;
    }
    after_comma = pos + 1;
    return size_ < columns;
  });
  text.append(line, copied, line.size() - copied);
  if (text.size() > start && size_ < columns) {
    Add({static_cast<uint32_t>(start), static_cast<uint32_t>(text.size() - start)});
  }
  PadToMinimum();
}

bool FieldList::SplitUnquoted(std::string_view line, size_t columns) {
  std::string& text = text_;
  text.reserve(line.size() + 1);
  text.append(line);
  text.push_back('|');
  const auto bar = Span{static_cast<uint32_t>(line.size()), 1u};
  size_t start = 0;        // where the current column begins
  size_t after_comma = 0;  // one past the last comma, or 0
  // The columns before a line's first quote read the same either way, so
  // a split done before it met one stands.
  bool quote = false;
  ForEachSpecial(line, [&](size_t pos) {
    if (line[pos] != ',') {
      quote = true;
      return false;
    }
    if (after_comma == pos && pos > 0) {
      Add(bar);
    } else if (pos > start) {
      Add({static_cast<uint32_t>(start), static_cast<uint32_t>(pos - start)});
    }
    start = pos + 1;
    after_comma = pos + 1;
    return size_ < columns;
  });
  if (quote) return false;
  const size_t size = line.size();
  if (size > start && size_ < columns) {
    Add({static_cast<uint32_t>(start), static_cast<uint32_t>(size - start)});
  }
  PadToMinimum();
  return true;
}

FieldList SplitFields(std::string_view line, size_t columns) {
  // Two rounds of ",," → ",|," put the marker between every two commas that
  // follow each other (the first round leaves every second pair, ",,," gives
  // ",|,,"; the second marks the rest), quoted stretches included. Without
  // double quotes every such pair closes an empty column, which then reads
  // "|": one "|" after the line's bytes stands for all of them, and the line
  // is copied whole. A quote found on the way sends the line the other way.
  FieldList fields;
  if (!fields.SplitUnquoted(line, columns)) fields.SplitQuoted(line, columns);
  return fields;
}

size_t SplitReach(std::string_view line, size_t columns) {
  // SplitQuoted's count of the columns, which SplitUnquoted's agrees with
  // up to the first quote; both stop at the comma that ends the last column.
  size_t count = 0;
  size_t inserted = 0;
  size_t start = 0;
  size_t after_comma = 0;
  size_t reach = line.size();
  bool quoted = false;
  ForEachSpecial(line, [&](size_t pos) {
    if (line[pos] != ',') {
      quoted = !quoted;
      return true;
    }
    if (after_comma == pos && pos > 0) ++inserted;
    if (!quoted) {
      if (pos + inserted > start) ++count;
      start = pos + inserted + 1;
    }
    after_comma = pos + 1;
    if (count < columns) return true;
    reach = pos + 1;
    return false;
  });
  return reach;
}

}  // namespace refmill::format
