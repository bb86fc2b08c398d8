// Characters Shift-JIS lacks (é, ő, the en dash, Korean, simplified Chinese)
// carried through a run as two-byte codes of Shift-JIS's user-defined area
// (lead bytes F0 to F9): every text operation of the converter sees them as
// ordinary two-byte characters, an initial of "Émile" is "É.", and "|" or
// "_" never split one. Reading hands the codes out; sorting, identifiers and
// writing map them back. One table lives for one run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class PrivateCodes {
 public:
  // The user-defined area holds this many codes (10 lead bytes × 188).
  static constexpr size_t kCapacity = 1880;

  // Codes that a Shift-JIS file of the run already uses are its own
  // characters and are not handed out.
  void ReserveUsedIn(std::string_view sjis);
  // The code standing for `code_point`, handed out on first use; nothing
  // once every free code is taken.
  std::optional<uint16_t> CodeFor(char32_t code_point);
  // The character a code stands for, when this table handed it out.
  std::optional<char32_t> CharacterOf(uint16_t code) const;
  // Same, for the two bytes at `at` (which must hold two bytes).
  std::optional<char32_t> CharacterAt(std::string_view sjis, size_t at) const;
  bool empty() const { return by_code_.empty(); }
  // Characters that found no free code (counted once each).
  size_t overflow() const { return overflow_.size(); }

  // Unicode's private-use characters that code page 932 maps onto the
  // user-defined area. A UTF-8 file's own such character goes through this
  // table too, so that it cannot take a code handed out for another.
  static bool MapsOntoTheArea(char32_t code_point) {
    return code_point >= 0xE000 && code_point < 0xE000 + kCapacity;
  }
  // The user-defined code of a lead and a trail byte, if the pair is one.
  static std::optional<uint16_t> AsCode(unsigned char lead, unsigned char trail);

 private:
  // Marks in `used` the slots of the codes `sjis` holds that are not
  // handed out already.
  void MarkUsed(std::string_view sjis, std::array<bool, kCapacity>& used) const;

  std::unordered_map<char32_t, uint16_t> by_character_;
  std::unordered_map<uint16_t, char32_t> by_code_;
  std::vector<bool> reserved_ = std::vector<bool>(kCapacity, false);
  std::unordered_map<char32_t, bool> overflow_;
  size_t next_ = 0;  // the next slot to try
};

// A character as UTF-8.
std::string EncodeUtf8(char32_t code_point);

// The Latin letters a Western reader folds an accented letter to, in lower
// case ("é" → "e", "ß" → "ss", "Ø" → "o"); empty for anything else. Used
// where only ASCII may stand, as in identifiers.
std::string_view FoldToAscii(char32_t code_point);

}  // namespace platform
