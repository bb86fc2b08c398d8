#include "refmill/text/sjis.h"

#include <algorithm>
#include <cstring>

namespace refmill::text {

size_t FindFrom(std::string_view text, std::string_view needle, size_t from) {
  if (needle.empty() || text.empty()) return kNotFound;
  const size_t n = text.size();
  const size_t m = needle.size();
  // Jump from one candidate first byte to the next; `known` is the latest
  // position known to begin a character, so every byte is looked at a
  // bounded number of times.
  size_t known = from;
  size_t pos = from;
  while (pos + m <= n) {
    const void* hit = std::memchr(text.data() + pos, needle.front(), n - m + 1 - pos);
    if (hit == nullptr) return kNotFound;
    pos = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    if (!BeginsCharacter(text, known, pos)) {
      // The hit is the second byte of a character: the next one begins after it.
      known = pos + 1;
      pos = known;
      continue;
    }
    if (text.compare(pos, m, needle) == 0) return pos;
    known = pos;
    pos += CharLength(text, pos);
  }
  return kNotFound;
}

size_t FindByte(std::string_view text, char byte, size_t from) {
  if (from >= text.size()) return kNotFound;
  const void* hit = std::memchr(text.data() + from, byte, text.size() - from);
  if (hit == nullptr) return kNotFound;
  const auto pos = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
  // Mostly the byte cannot close a character, or the byte before it cannot
  // open one: either way it begins a character. Otherwise the run of
  // lead-range bytes before it decides.
  if (!platform::IsTrailByte(static_cast<unsigned char>(byte)) || pos == from ||
      !IsLeadByte(static_cast<unsigned char>(text[pos - 1]))) {
    return pos;
  }
  return FindFrom(text, std::string_view(&byte, 1), from);
}

size_t Find(std::string_view needle, std::string_view text) {
  const size_t pos = FindFrom(text, needle);
  return pos == kNotFound ? 0 : pos + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement) {
  if (pattern.empty()) return std::string(text);
  const size_t first = FindFrom(text, pattern);
  if (first == kNotFound) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t done = 0;
  for (size_t pos = first; pos != kNotFound; pos = FindFrom(text, pattern, done)) {
    out.append(text.substr(done, pos - done));
    out.append(replacement);
    done = pos + pattern.size();
  }
  out.append(text.substr(done));
  return out;
}

size_t ReplacedLength(std::string_view text, std::string_view pattern,
                      std::string_view replacement) {
  if (pattern.empty()) return text.size();
  size_t count = 0;
  for (size_t pos = FindFrom(text, pattern); pos != kNotFound;
       pos = FindFrom(text, pattern, pos + pattern.size())) {
    ++count;
  }
  return text.size() - count * pattern.size() + count * replacement.size();
}

void ReplaceAllInPlace(std::string& text, std::string_view pattern, std::string_view replacement) {
  if (!pattern.empty() && FindFrom(text, pattern) != kNotFound) {
    text = ReplaceAll(text, pattern, replacement);
  }
}

std::string DeleteAll(std::string_view text, char byte) {
  const size_t first = FindByte(text, byte);
  if (first == kNotFound) return std::string(text);
  std::string out(text.substr(0, first));
  out.reserve(text.size());
  for (size_t pos = first; pos < text.size();) {
    const size_t len = CharLength(text, pos);
    if (!(len == 1 && text[pos] == byte)) out.append(text.substr(pos, len));
    pos += len;
  }
  return out;
}

void DeleteAllInPlace(std::string& text, char byte) {
  // Every value of an entry passes here, and most are short and hold no
  // such byte: a look at each byte costs less than the call that finds one.
  constexpr size_t kLookedAtByByte = 32;
  if (text.size() <= kLookedAtByByte && std::find(text.begin(), text.end(), byte) == text.end()) {
    return;
  }
  size_t out = FindByte(text, byte);
  if (out == kNotFound) return;
  for (size_t pos = out; pos < text.size();) {
    const size_t len = CharLength(text, pos);
    if (!(len == 1 && text[pos] == byte)) {
      for (size_t i = 0; i < len; ++i) text[out++] = text[pos + i];
    }
    pos += len;
  }
  text.resize(out);
}

size_t LastPos(char byte, std::string_view text) {
  // A byte that cannot close a two-byte character (a blank, "#") begins one
  // wherever it stands: its last place is found from the end. Names pass
  // here for every entry.
  if (!platform::IsTrailByte(static_cast<unsigned char>(byte))) {
    for (size_t pos = text.size(); pos > 0; --pos) {
      if (text[pos - 1] == byte) return pos;
    }
    return 0;
  }
  size_t last = kNotFound;
  for (size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
    if (text[pos] == byte) last = pos;
  }
  return last == kNotFound ? 0 : last + 1;
}

std::string_view FirstChar(std::string_view text) {
  return text.empty() ? text : text.substr(0, CharLength(text, 0));
}

std::vector<std::string> SplitOnByte(std::string_view text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t pos = FindByte(text, sep); pos != kNotFound; pos = FindByte(text, sep, start)) {
    parts.emplace_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (size_t pos = 0; pos < out.size();) {
    const size_t len = CharLength(out, pos);
    if (len == 1 && out[pos] >= 'A' && out[pos] <= 'Z') out[pos] = static_cast<char>(out[pos] + 32);
    pos += len;
  }
  return out;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  if (suffix.size() > text.size()) return false;
  const size_t start = text.size() - suffix.size();
  if (text.compare(start, suffix.size(), suffix) != 0) return false;
  // The suffix must begin where a character begins.
  size_t pos = 0;
  while (pos < start) pos += CharLength(text, pos);
  return pos == start;
}

}  // namespace refmill::text
