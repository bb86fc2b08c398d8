// The one fact about Shift-JIS every layer needs: which bytes open a
// two-byte character. Names compared by the profile reader and texts decoded
// for sorting walk character by character with these.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// True for a byte that opens a two-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True for a byte that can close a two-byte character.
constexpr bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Length of the character at `pos`: 2 for a lead byte followed by a byte
// that can close it, otherwise 1. A lead byte at the very end, or before a
// byte no character ends in (a comma, a blank, a line break), is a character
// of its own, so it never swallows a separator nor reads past the end.
inline size_t CharLength(std::string_view text, size_t pos) {
  const bool lead = IsLeadByte(static_cast<unsigned char>(text[pos]));
  return lead && pos + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[pos + 1]))
             ? 2
             : 1;
}

// True when the byte at `pos` begins a character, given that `known` (at or
// before `pos`) does. A byte that cannot close a two-byte character always
// begins one. A byte that cannot open a two-byte character is followed by a
// character boundary, and every lead-range byte can also close one, so
// otherwise only the run of lead-range bytes directly before `pos` needs
// counting: it begins one when an even number of them stand there.
inline bool BeginsCharacter(std::string_view text, size_t known, size_t pos) {
  if (!IsTrailByte(static_cast<unsigned char>(text[pos]))) return true;
  size_t start = pos;
  while (start > known && IsLeadByte(static_cast<unsigned char>(text[start - 1]))) --start;
  return (pos - start) % 2 == 0;
}

// True when the texts are equal with ASCII letters compared without regard
// to case; the bytes of two-byte characters are compared exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
