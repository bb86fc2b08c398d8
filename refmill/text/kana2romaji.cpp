#include "refmill/text/kana2romaji.h"

#include <algorithm>
#include <bitset>

#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"

namespace refmill::text {
namespace {

// The byte of `pattern` least likely in a text: a control byte, else a byte
// of a two-byte character, else punctuation or a digit, else a letter. Any
// byte of a pattern would do, as the pattern cannot match where one of its
// bytes is missing; a rare one lets most texts pass no rule at all.
unsigned char RarestByte(std::string_view pattern) {
  auto rarity = [](unsigned char b) {
    if (b < 0x20 || b == 0x7F) return 3;
    if (b >= 0x80) return 2;
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ? 0 : 1;
  };
  auto rarest = static_cast<unsigned char>(pattern.front());
  for (const char c : pattern) {
    const auto b = static_cast<unsigned char>(c);
    if (rarity(b) > rarity(rarest)) rarest = b;
  }
  return rarest;
}

}  // namespace

TKana2Romaji TKana2Romaji::FromText(std::string_view contents) {
  TKana2Romaji table;
  const std::vector<std::string_view> lines = SplitLines(contents);
  const size_t count = std::min<size_t>(lines.size(), kCapacity);
  table.last_index_ = static_cast<int32_t>(count) - 1;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view line = lines[i];
    const size_t eq = FindByte(line, '=');
    if (eq == kNotFound) continue;  // no "=": an empty pattern, which never matches
    table.patterns_[i] = std::string(line.substr(0, eq));
    table.replacements_[i] = std::string(line.substr(eq + 1));
    for (const char c : line.substr(0, eq)) table.pattern_bytes_.set(static_cast<unsigned char>(c));
    if (eq > 0) {
      const auto first = static_cast<unsigned char>(line.front());
      table.first_bytes_.set(first);
      table.rules_by_first_byte_[first][i / 64] |= uint64_t{1} << (i % 64);
      table.telling_bytes_.set(RarestByte(line.substr(0, eq)));
    }
  }
  return table;
}

namespace {

// How far a conversion may lengthen a text: this many times its length,
// plus the allowance.
constexpr size_t kGrowthLimit = 16;
constexpr size_t kGrowthAllowance = 4096;

// The bytes that begin a character of the text, and (hashed) each such byte
// with the byte after it. A rule can only match where its first bytes begin
// a character, and most rules cannot match most texts (an ID in Latin
// letters or kanji holds no kana; a name in kana holds few of them), which
// this tells without searching.
class Openings {
 public:
  explicit Openings(std::string_view text) {
    for (size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
      const auto first = static_cast<unsigned char>(text[pos]);
      first_.set(first);
      if (pos + 1 < text.size()) pairs_.set(Pair(first, static_cast<unsigned char>(text[pos + 1])));
    }
  }
  bool Any(const std::bitset<256>& bytes) const { return (first_ & bytes).any(); }
  // The rules of `by_first_byte` whose first byte opens a character here.
  template <class RuleSet>
  RuleSet Candidates(const std::bitset<256>& bytes, const std::array<RuleSet, 256>& by_first_byte) {
    RuleSet rules{};
    const std::bitset<256> both = first_ & bytes;
    for (size_t b = both._Find_first(); b < both.size(); b = both._Find_next(b)) {
      for (size_t w = 0; w < rules.size(); ++w) rules[w] |= by_first_byte[b][w];
    }
    return rules;
  }
  // False only when `pattern` occurs nowhere at the start of a character.
  bool MayHold(std::string_view pattern) const {
    const auto first = static_cast<unsigned char>(pattern[0]);
    if (!first_.test(first)) return false;
    return pattern.size() == 1 || pairs_.test(Pair(first, static_cast<unsigned char>(pattern[1])));
  }

 private:
  static size_t Pair(unsigned char first, unsigned char second) {
    return (size_t{first} << 2 ^ second) & 1023;
  }
  std::bitset<256> first_;
  std::bitset<1024> pairs_;
};

}  // namespace

std::string TKana2Romaji::Convert(std::string_view text) const { return ConvertHead(text, 0); }

bool TKana2Romaji::NoRuleReaches(std::string_view tail) const {
  return std::none_of(tail.begin(), tail.end(), [this](char c) {
    return c == '#' || pattern_bytes_.test(static_cast<unsigned char>(c));
  });
}

bool TKana2Romaji::HoldsTellingByte(std::string_view text) const {
  return std::any_of(text.begin(), text.end(),
                     [this](char c) { return telling_bytes_.test(static_cast<unsigned char>(c)); });
}

bool TKana2Romaji::LeavesUnchanged(std::string_view text) const {
  return !HoldsTellingByte(text) && text.find('#') == std::string_view::npos;
}

std::string TKana2Romaji::ConvertHead(std::string_view head, size_t tail_length) const {
  if (!HoldsTellingByte(head)) return ResolveDoublingMarkers(head);
  std::string work(head);
  Openings present(work);
  if (!present.Any(first_bytes_)) return ResolveDoublingMarkers(work);
  // Romanising a character gives a few letters, but a table whose rules
  // lengthen what earlier rules produced multiplies a text rule after rule
  // (forty rules "a=aa" make a terabyte of one "a"). Rules that would take a
  // text (its tail included) past this length are left out, so the
  // conversion always ends.
  const size_t longest = (head.size() + tail_length) * kGrowthLimit + kGrowthAllowance;
  RuleSet candidates = present.Candidates(first_bytes_, rules_by_first_byte_);
  // The candidates in rule order; a text that a rule changed has its
  // candidates found again, from the rule after it.
  for (size_t w = 0; w < kRuleWords; ++w) {
    while (candidates[w] != 0) {
      const size_t i = w * 64 + static_cast<size_t>(__builtin_ctzll(candidates[w]));
      candidates[w] &= candidates[w] - 1;
      const std::string& pattern = patterns_[i];
      if (!present.MayHold(pattern) || FindFrom(work, pattern) == kNotFound) continue;
      const std::string& replacement = replacements_[i];
      if (replacement.size() > pattern.size() &&
          ReplacedLength(work, pattern, replacement) + tail_length > longest) {
        continue;
      }
      work = ReplaceAll(work, pattern, replacement);
      present = Openings(work);
      candidates = present.Candidates(first_bytes_, rules_by_first_byte_);
      // Rules up to this one are done with.
      for (size_t done = 0; done < w; ++done) candidates[done] = 0;
      candidates[w] &= i % 64 == 63 ? 0 : ~uint64_t{0} << (i % 64 + 1);
    }
  }
  return ResolveDoublingMarkers(work);
}

std::string ResolveDoublingMarkers(std::string_view text) {
  std::string work(text);
  size_t from = 0;
  for (;;) {
    const size_t mark = FindByte(work, '#', from);
    if (mark == kNotFound || work.size() - mark < 3) break;
    if (work[mark + 1] == '#') {
      // Copying a marker onto itself would change nothing and never end:
      // drop the first marker; the second is handled in its turn.
      work.erase(mark, 1);
      from = mark;
      continue;
    }
    work[mark] = work[mark + 1];
    // Nothing before `mark` changed, so it is still a character boundary;
    // the copied byte may open a two-byte character with the byte it was
    // copied from, which the walk from here takes into account.
    from = mark;
  }
  return work;
}

}  // namespace refmill::text
