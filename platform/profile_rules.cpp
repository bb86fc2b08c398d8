#include "platform/profile_rules.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "platform/profile.h"
#include "platform/shift_jis.h"

namespace platform {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

namespace profile_rules {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string CookValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  if (v.size() > kMaxProfileValue) {
    // Cut at a character boundary: half a character would join whatever
    // text is put after the value (a file type's suffix, say).
    size_t end = 0;
    while (end + CharLength(v, end) <= kMaxProfileValue) end += CharLength(v, end);
    v = v.substr(0, end);
  }
  return std::string(v);
}

}  // namespace profile_rules

using profile_rules::IsBlank;

namespace {

// A profile number as written: whether the text is one, and its value when
// it fits into 32 bits.
struct WrittenNumber {
  bool is_number = false;
  std::optional<int32_t> value;
};

WrittenNumber ReadNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return {};
  // One past the largest magnitude: -2147483648 is allowed.
  const uint64_t limit = uint64_t{std::numeric_limits<int32_t>::max()} + 1;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit =
        base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return {};
    // Past the limit the digits are still read, to tell a large number from no number.
    magnitude =
        std::min(magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit), limit + 1);
  }
  if (magnitude > limit || (!negative && magnitude == limit)) return {true, std::nullopt};
  return {true, negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                         : static_cast<int32_t>(magnitude)};
}

}  // namespace

std::optional<int32_t> ParseProfileNumber(std::string_view text) { return ReadNumber(text).value; }

bool IsProfileNumberOutOfRange(std::string_view text) {
  const WrittenNumber n = ReadNumber(text);
  return n.is_number && !n.value;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Names of one length mostly differ in their first byte ("earticle" and
  // "jarticle"), which tells them apart without a call. The first byte
  // begins a character in both texts.
  if (!a.empty() && LowerAscii(a[0]) != LowerAscii(b[0])) return false;
  if (a == b) return true;
  for (size_t pos = 0; pos < a.size();) {
    const size_t len = CharLength(a, pos);
    if (len == 2) {
      if (a[pos] != b[pos] || a[pos + 1] != b[pos + 1]) return false;
    } else if (LowerAscii(a[pos]) != LowerAscii(b[pos])) {
      return false;
    }
    pos += len;
  }
  return true;
}

}  // namespace platform
