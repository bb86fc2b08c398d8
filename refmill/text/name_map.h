// A hash map keyed by names that match without regard to ASCII letter case
// (the bytes of two-byte characters still match exactly), looked up without
// building a lowered copy of the name. The settings tables (columns,
// templates, abbreviations) all find names this way, and the abbreviation
// table is asked once per book or journal title.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/shift_jis.h"

namespace refmill::text {

struct CaseFoldHash {
  using is_transparent = void;
  static constexpr uint64_t kHighBits = 0x8080808080808080ull;
  size_t operator()(std::string_view s) const {
    // Most names are short: folded into a buffer and hashed many bytes at a
    // time by the library's string hash.
    constexpr size_t kShort = 256;
    if (s.size() <= kShort) {
      char folded[kShort];
      for (size_t pos = 0; pos < s.size();) {
        // Eight bytes at once while none of them can open a two-byte
        // character; a title in Latin letters is read this way throughout.
        if (pos + 8 <= s.size()) {
          uint64_t word;
          std::memcpy(&word, s.data() + pos, 8);
          if ((word & kHighBits) == 0) {
            // Below 0x80 no byte carries into the next: the high bit of a
            // byte shows it is at least "A", and then whether past "Z".
            const uint64_t from_a = word + 0x3F3F3F3F3F3F3F3Full;
            const uint64_t past_z = word + 0x2525252525252525ull;
            word |= (from_a & ~past_z & kHighBits) >> 2;
            std::memcpy(folded + pos, &word, 8);
            pos += 8;
            continue;
          }
        }
        const size_t len = platform::CharLength(s, pos);
        const char c = s[pos];
        folded[pos] = len == 1 && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        if (len == 2) folded[pos + 1] = s[pos + 1];
        pos += len;
      }
      return std::hash<std::string_view>()(std::string_view(folded, s.size()));
    }
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (size_t pos = 0; pos < s.size();) {
      const size_t len = platform::CharLength(s, pos);
      for (size_t i = 0; i < len; ++i) {
        unsigned char c = static_cast<unsigned char>(s[pos + i]);
        if (len == 1 && c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
        h = (h ^ c) * 1099511628211ull;
      }
      pos += len;
    }
    return static_cast<size_t>(h);
  }
};

struct CaseFoldEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return platform::EqualsIgnoringAsciiCase(a, b);
  }
};

template <class Value>
using NameMap = std::unordered_map<std::string, Value, CaseFoldHash, CaseFoldEqual>;

}  // namespace refmill::text
