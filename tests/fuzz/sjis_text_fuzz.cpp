// Fuzzes the double-byte-aware text helpers against plain, slow readings of
// their rules: character boundaries found by walking from the start, and
// every search, replacement, deletion and split done one character at a
// time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/text/sjis.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

namespace text = refmill::text;
using fuzz::Check;

std::vector<bool> Boundaries(std::string_view s) {
  std::vector<bool> at(s.size() + 1, false);
  for (size_t pos = 0; pos < s.size(); pos += text::CharLength(s, pos)) at[pos] = true;
  at[s.size()] = true;
  return at;
}

size_t ReferenceFind(std::string_view s, std::string_view needle, size_t from) {
  if (needle.empty() || s.empty()) return text::kNotFound;
  const std::vector<bool> at = Boundaries(s);
  for (size_t pos = from; pos + needle.size() <= s.size(); ++pos) {
    if (at[pos] && s.compare(pos, needle.size(), needle) == 0) return pos;
  }
  return text::kNotFound;
}

std::string ReferenceReplaceAll(std::string_view s, std::string_view pattern,
                                std::string_view replacement) {
  if (pattern.empty()) return std::string(s);
  std::string out;
  size_t done = 0;
  // Each search starts on the rest as a text of its own.
  for (;;) {
    const size_t hit = ReferenceFind(s.substr(done), pattern, 0);
    if (hit == text::kNotFound) break;
    out.append(s.substr(done, hit));
    out.append(replacement);
    done += hit + pattern.size();
  }
  out.append(s.substr(done));
  return out;
}

std::string ReferenceDeleteAll(std::string_view s, char byte) {
  std::string out;
  for (size_t pos = 0; pos < s.size();) {
    const size_t len = text::CharLength(s, pos);
    if (!(len == 1 && s[pos] == byte)) out.append(s.substr(pos, len));
    pos += len;
  }
  return out;
}

size_t ReferenceLastPos(char byte, std::string_view s) {
  size_t answer = 0;
  size_t base = 0;
  std::string_view rest = s;
  for (;;) {
    const size_t hit = ReferenceFind(rest, std::string_view(&byte, 1), 0);
    if (hit == text::kNotFound) return answer;
    answer = base + hit + 1;
    base += hit + 1;
    rest = rest.substr(hit + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts = fuzz::Parts(data, size, 3);
  const std::string_view s = parts[0];
  const std::string_view needle = parts[1];
  const std::string_view replacement = parts[2];
  // The single-byte helpers are for characters of one byte; a lead byte on
  // its own is not one.
  const char byte = needle.empty() || text::IsLeadByte(static_cast<unsigned char>(needle.front()))
                        ? '|'
                        : needle.front();

  const std::vector<bool> at = Boundaries(s);
  for (size_t from = 0; from <= s.size(); ++from) {
    if (!at[from] || from > 64) continue;
    Check(text::FindFrom(s, needle, from) == ReferenceFind(s, needle, from), "FindFrom");
  }
  const size_t first = ReferenceFind(s, needle, 0);
  Check(text::Find(needle, s) == (first == text::kNotFound ? 0 : first + 1), "Find");
  Check(text::Contains(s, needle) == (first != text::kNotFound), "Contains");
  Check(text::FindByte(s, byte) == ReferenceFind(s, std::string_view(&byte, 1), 0), "FindByte");

  const std::string replaced = ReferenceReplaceAll(s, needle, replacement);
  Check(text::ReplaceAll(s, needle, replacement) == replaced, "ReplaceAll");
  Check(text::ReplacedLength(s, needle, replacement) == replaced.size(), "ReplacedLength");
  const std::string deleted = ReferenceDeleteAll(s, byte);
  Check(text::DeleteAll(s, byte) == deleted, "DeleteAll");
  std::string in_place(s);
  text::DeleteAllInPlace(in_place, byte);
  Check(in_place == deleted, "DeleteAllInPlace");
  Check(text::LastPos(byte, s) == ReferenceLastPos(byte, s), "LastPos");

  const std::vector<std::string> split = text::SplitOnByte(s, byte);
  std::string joined;
  for (size_t i = 0; i < split.size(); ++i) {
    if (i > 0) joined += byte;
    joined += split[i];
    Check(ReferenceFind(split[i], std::string_view(&byte, 1), 0) == text::kNotFound,
          "SplitOnByte left a separator inside a part");
  }
  Check(joined == s, "SplitOnByte parts do not join to the text");

  const std::string_view head = text::FirstChar(s);
  Check(head.size() == (s.empty() ? 0 : text::CharLength(s, 0)), "FirstChar");
  const std::string lowered = text::LowerAscii(s);
  Check(lowered.size() == s.size() && text::EqualsIgnoringAsciiCase(lowered, s), "LowerAscii");
  const bool ends =
      s.size() >= needle.size() && s.ends_with(needle) && at[s.size() - needle.size()];
  Check(text::EndsWith(s, needle) == ends, "EndsWith");
  return 0;
}
