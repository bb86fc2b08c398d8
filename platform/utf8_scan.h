// Reading UTF-8 quickly where most of a text is ASCII or Japanese: the
// encoding's guess and the conversion of a UTF-8 table both pass over every
// byte of it, and must agree on what they take as a character on the spot.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform {

// Where the run of ASCII bytes from `from` ends, found eight bytes at a time.
inline size_t AsciiRunEnd(std::string_view text, size_t from) {
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  // Callers ask at every character of Japanese text, most of which is no
  // run at all.
  if (from < text.size() && static_cast<unsigned char>(text[from]) >= 0x80) return from;
  for (uint64_t word = 0; from + sizeof word <= text.size(); from += sizeof word) {
    std::memcpy(&word, text.data() + from, sizeof word);
    if (const uint64_t high = word & kHighBits; high != 0) {
      // The word's first byte in memory is its lowest on every machine this
      // is built for; the loop below serves any other.
      if constexpr (std::endian::native == std::endian::little) {
        return from + static_cast<size_t>(std::countr_zero(high)) / 8;
      }
      break;
    }
  }
  while (from < text.size() && static_cast<unsigned char>(text[from]) < 0x80) ++from;
  return from;
}

// True when the three bytes at `at` are a character that, opening with
// neither E0 nor ED, can be neither overlong nor a surrogate: most
// characters of a Japanese table, well-formed without further look.
inline bool IsPlainThreeByteCharacter(std::string_view text, size_t at) {
  const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto continues = [&byte](size_t i) { return (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(at);
  return lead >= 0xE1 && lead <= 0xEF && lead != 0xED && at + 3 <= text.size() &&
         continues(at + 1) && continues(at + 2);
}

}  // namespace platform
