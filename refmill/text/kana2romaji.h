// The romanisation table: an ordered list of replacement rules read from
// roman.dat, applied one after the other to a text, followed by the doubling
// marker "#" that copies the byte after it. The class knows no kana itself;
// which characters become which letters is the business of the table file.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace refmill::text {

class TKana2Romaji {
 public:
  // Room for this many rules; further lines of the table file are ignored.
  static constexpr int kCapacity = 151;

  // An empty table: only doubling markers are resolved.
  TKana2Romaji() = default;
  // Rules from the contents of a table file, one rule per line.
  static TKana2Romaji FromText(std::string_view contents);

  // `text` with every rule applied in table order, then every doubling
  // marker resolved. Text no rule covers comes back unchanged. A rule that
  // would make the text longer than 16 times its length plus 4 KB is skipped.
  std::string Convert(std::string_view text) const;

  // True when no rule holds a byte of `tail` and it holds no doubling
  // marker: then no rule can reach into it when it ends a text.
  bool NoRuleReaches(std::string_view tail) const;
  // True when Convert gives `text` back as it is: it holds no byte that
  // some rule's every match needs, nor a doubling marker.
  bool LeavesUnchanged(std::string_view text) const;
  // What Convert makes of `head` followed by such a tail of `tail_length`
  // bytes, without the tail: the same rules apply, up to the same length.
  // Only when the result holds no "#" is it followed by the tail as Convert
  // of the whole gives it; a marker left near its end would take the
  // tail's first byte there. A name's reading is so remembered once for
  // all the years of its IDs.
  std::string ConvertHead(std::string_view head, size_t tail_length) const;

  // Number of rules loaded (lines of the file, blank ones included).
  int RuleCount() const { return last_index_ + 1; }

 private:
  bool HoldsTellingByte(std::string_view text) const;
  std::array<std::string, kCapacity> patterns_{};
  std::array<std::string, kCapacity> replacements_{};
  int32_t last_index_ = -1;
  // The first bytes of all patterns: a text holding none of them at the
  // start of a character (an ID in Latin letters, say) needs no rule at all.
  std::bitset<256> first_bytes_{};
  // One byte of each pattern, the rarest in ordinary text: a text holding
  // none of them cannot be changed by any rule (an ID in Latin letters
  // meets rules that begin with a vowel but go on with a control byte).
  std::bitset<256> telling_bytes_{};
  // Every byte of every pattern.
  std::bitset<256> pattern_bytes_{};
  // By first byte, the rules whose pattern begins with it, one bit each in
  // rule order: a text is tried against the rules of its own bytes only,
  // instead of walking all of them for every text.
  static constexpr size_t kRuleWords = (kCapacity + 63) / 64;
  using RuleSet = std::array<uint64_t, kRuleWords>;
  std::array<RuleSet, 256> rules_by_first_byte_{};
};

// Resolves doubling markers: each "#" followed by at least two more bytes
// becomes a copy of the byte right after it ("x#ka#ta" gives "xkkatta"). A
// marker directly followed by another marker is dropped and the second one
// handled in its turn, so "##ka" gives "kka" instead of looping forever.
std::string ResolveDoublingMarkers(std::string_view text);

}  // namespace refmill::text
