#include "platform/private_codes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <cstring>

#include "platform/encoding.h"
#include "platform/shift_jis.h"
#include "platform/worker_pool.h"

namespace platform {
namespace {

constexpr unsigned char kFirstLead = 0xF0;
constexpr unsigned char kLastLead = 0xF9;
constexpr size_t kTrailsPerLead = 188;  // 40-7E and 80-FC

// Slot n of the area: its lead and trail bytes as one code.
uint16_t CodeOfSlot(size_t slot) {
  const auto lead = static_cast<unsigned>(kFirstLead + slot / kTrailsPerLead);
  const auto t = static_cast<unsigned>(slot % kTrailsPerLead);
  const unsigned trail = t < 0x3F ? 0x40 + t : 0x80 + (t - 0x3F);
  return static_cast<uint16_t>(lead << 8 | trail);
}

size_t SlotOfCode(uint16_t code) {
  const unsigned lead = code >> 8, trail = code & 0xFF;
  const size_t t = trail < 0x7F ? trail - 0x40 : trail - 0x80 + 0x3F;
  return (lead - kFirstLead) * kTrailsPerLead + t;
}

// U+00C0 to U+024F folded to Latin letters; generated from the Unicode
// decompositions, with the letters that have none (æ, ø, ß, ł, þ …) written
// out as a Western reader spells them.
constexpr char32_t kFoldFirst = 0xC0;
constexpr std::array<std::string_view, 0x250 - 0xC0> kFold = {
    "a", "a", "a",  "a",  "a", "a", "ae", "c",  "e",  "e", "e", "e", "i",  "i",  "i", "i", "d", "n",
    "o", "o", "o",  "o",  "o", "",  "o",  "u",  "u",  "u", "u", "y", "th", "ss", "a", "a", "a", "a",
    "a", "a", "ae", "c",  "e", "e", "e",  "e",  "i",  "i", "i", "i", "d",  "n",  "o", "o", "o", "o",
    "o", "",  "o",  "u",  "u", "u", "u",  "y",  "th", "y", "a", "a", "a",  "a",  "a", "a", "c", "c",
    "c", "c", "c",  "c",  "c", "c", "d",  "d",  "d",  "d", "e", "e", "e",  "e",  "e", "e", "e", "e",
    "e", "e", "g",  "g",  "g", "g", "g",  "g",  "g",  "g", "h", "h", "h",  "h",  "i", "i", "i", "i",
    "i", "i", "i",  "i",  "i", "i", "ij", "ij", "j",  "j", "k", "k", "k",  "l",  "l", "l", "l", "l",
    "l", "l", "l",  "l",  "l", "n", "n",  "n",  "n",  "n", "n", "n", "ng", "ng", "o", "o", "o", "o",
    "o", "o", "oe", "oe", "r", "r", "r",  "r",  "r",  "r", "s", "s", "s",  "s",  "s", "s", "s", "s",
    "t", "t", "t",  "t",  "t", "t", "u",  "u",  "u",  "u", "u", "u", "u",  "u",  "u", "u", "u", "u",
    "w", "w", "y",  "y",  "y", "z", "z",  "z",  "z",  "z", "z", "s", "",   "",   "",  "",  "",  "",
    "",  "",  "",   "",   "",  "",  "",   "",   "",   "",  "",  "",  "f",  "",   "",  "",  "",  "",
    "",  "",  "",   "",   "",  "",  "",   "",   "o",  "o", "",  "",  "",   "",   "",  "",  "",  "",
    "",  "",  "",   "",   "",  "u", "u",  "",   "",   "",  "",  "",  "",   "",   "",  "",  "",  "",
    "",  "",  "",   "",   "",  "",  "",   "",   "",   "",  "",  "",  "",   "",   "",  "",  "",  "a",
    "a", "i", "i",  "o",  "o", "u", "u",  "u",  "u",  "u", "u", "u", "u",  "u",  "u", "",  "a", "a",
    "a", "a", "",   "",   "",  "",  "g",  "g",  "k",  "k", "o", "o", "o",  "o",  "",  "",  "j", "",
    "",  "",  "g",  "g",  "",  "",  "n",  "n",  "a",  "a", "",  "",  "",   "",   "a", "a", "a", "a",
    "e", "e", "e",  "e",  "i", "i", "i",  "i",  "o",  "o", "o", "o", "r",  "r",  "r", "r", "u", "u",
    "u", "u", "s",  "s",  "t", "t", "",   "",   "h",  "h", "",  "",  "",   "",   "",  "",  "a", "a",
    "e", "e", "o",  "o",  "o", "o", "o",  "o",  "o",  "o", "y", "y", "",   "",   "",  "",  "",  "",
    "",  "",  "",   "",   "",  "",  "",   "",   "",   "",  "",  "",  "",   "",   "",  "",  "",  "",
    "",  "",  "",   "",
};

}  // namespace

std::optional<uint16_t> PrivateCodes::AsCode(unsigned char lead, unsigned char trail) {
  if (lead < kFirstLead || lead > kLastLead) return std::nullopt;
  if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return std::nullopt;
  return static_cast<uint16_t>(lead << 8 | trail);
}

void PrivateCodes::ReserveUsedIn(std::string_view sjis) {
  // A large table is read by both cores, cut after a byte that cannot open
  // a two-byte character, so a character boundary; each marks its own slots.
  constexpr size_t kSplitAbove = size_t{4} << 20;
  size_t cut = sjis.size();
  if (sjis.size() > kSplitAbove) {
    cut = sjis.size() / 2;
    while (cut < sjis.size() && IsLeadByte(static_cast<unsigned char>(sjis[cut - 1]))) ++cut;
  }
  const std::string_view parts[2] = {sjis.substr(0, cut), sjis.substr(cut)};
  std::array<std::array<bool, kCapacity>, 2> used{};
  RunWorkers(parts[1].empty() ? 1 : 2, [&](size_t w) { MarkUsed(parts[w], used[w]); });
  for (const auto& part : used) {
    for (size_t slot = 0; slot < kCapacity; ++slot) {
      if (part[slot]) reserved_[slot] = true;
    }
  }
}

void PrivateCodes::MarkUsed(std::string_view sjis, std::array<bool, kCapacity>& used) const {
  // Whole tables pass through here, and user-defined characters are rare:
  // look for their lead bytes alone, and tell from the bytes just before
  // such a byte whether it begins a character.
  size_t known = 0;  // a character boundary
  auto look = [&](size_t hit) {
    if (hit < known || hit + 1 >= sjis.size()) return;
    if (!BeginsCharacter(sjis, known, hit)) {  // a trail byte
      known = hit + 1;
      return;
    }
    const auto code =
        AsCode(static_cast<unsigned char>(sjis[hit]), static_cast<unsigned char>(sjis[hit + 1]));
    if (code && !by_code_.count(*code)) used[SlotOfCode(*code)] = true;
    known = hit + (code ? 2 : 1);
  };
  size_t at = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time, each looked at only when it is F0 to F9.
  const __m128i first = _mm_set1_epi8(static_cast<char>(kFirstLead));
  const __m128i span = _mm_set1_epi8(static_cast<char>(kLastLead - kFirstLead));
  for (; at + 16 <= sjis.size(); at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sjis.data() + at));
    const __m128i offset = _mm_sub_epi8(bytes, first);
    const __m128i inside = _mm_cmpeq_epi8(_mm_min_epu8(offset, span), offset);
    for (auto hits = static_cast<unsigned>(_mm_movemask_epi8(inside)); hits != 0;
         hits &= hits - 1) {
      look(at + static_cast<size_t>(__builtin_ctz(hits)));
    }
  }
#endif
  for (; at < sjis.size(); ++at) {
    const auto b = static_cast<unsigned char>(sjis[at]);
    if (b >= kFirstLead && b <= kLastLead) look(at);
  }
}

std::optional<uint16_t> PrivateCodes::CodeFor(char32_t code_point) {
  if (const auto found = by_character_.find(code_point); found != by_character_.end()) {
    return found->second;
  }
  while (next_ < kCapacity && reserved_[next_]) ++next_;
  if (next_ == kCapacity) {
    overflow_.emplace(code_point, true);
    return std::nullopt;
  }
  const uint16_t code = CodeOfSlot(next_++);
  by_character_.emplace(code_point, code);
  by_code_.emplace(code, code_point);
  return code;
}

std::optional<char32_t> PrivateCodes::CharacterOf(uint16_t code) const {
  const auto found = by_code_.find(code);
  if (found == by_code_.end()) return std::nullopt;
  return found->second;
}

std::optional<char32_t> PrivateCodes::CharacterAt(std::string_view sjis, size_t at) const {
  const auto lead = static_cast<unsigned char>(sjis[at]);
  if (lead < kFirstLead || lead > kLastLead || by_code_.empty()) return std::nullopt;
  return CharacterOf(static_cast<uint16_t>(lead << 8 | static_cast<unsigned char>(sjis[at + 1])));
}

std::string EncodeUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

std::string_view FoldToAscii(char32_t c) {
  if (c < kFoldFirst || c >= kFoldFirst + kFold.size()) return {};
  return kFold[c - kFoldFirst];
}

namespace {

// Both walk the text by characters and hand the stretches between handed-out
// codes on unchanged, so text without them costs one scan.
template <class OnCode, class OnStretch>
void SplitAtPrivateCodes(std::string_view sjis, const PrivateCodes& codes, OnCode&& on_code,
                         OnStretch&& on_stretch) {
  size_t from = 0;
  for (size_t i = 0; i < sjis.size();) {
    const size_t length = CharLength(sjis, i);
    if (length == 2) {
      if (const auto c = codes.CharacterAt(sjis, i)) {
        on_stretch(sjis.substr(from, i - from));
        on_code(*c);
        from = i + 2;
      }
    }
    i += length;
  }
  on_stretch(sjis.substr(from));
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis, const PrivateCodes& codes) {
  // Code page 932 itself reads the user-defined area as the private-use
  // characters from U+E000 on, slot by slot, so the whole text converts at
  // once and only the slots this table handed out are replaced afterwards.
  std::string utf8 = SjisToUtf8(sjis);
  if (codes.empty()) return utf8;
  std::string out;
  out.reserve(utf8.size());
  size_t from = 0;  // the start of what is still to copy
  for (size_t i = utf8.find('\xEE'); i != std::string::npos && i + 2 < utf8.size();
       i = utf8.find('\xEE', i + 1)) {
    const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
    const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
    const char32_t c = char32_t{0xE} << 12 | (char32_t{b1} & 0x3F) << 6 | (b2 & 0x3F);
    if (!PrivateCodes::MapsOntoTheArea(c)) continue;
    const auto real = codes.CharacterOf(CodeOfSlot(c - 0xE000));
    if (!real) continue;
    out.append(utf8, from, i - from);
    out += EncodeUtf8(*real);
    from = i + 3;
    i += 2;
  }
  out.append(utf8, from, std::string::npos);
  return out;
}

std::string WithoutPrivateCodes(std::string_view sjis, const PrivateCodes& codes,
                                std::string_view substitute) {
  std::string out;
  out.reserve(sjis.size());
  SplitAtPrivateCodes(
      sjis, codes, [&](char32_t) { out.append(substitute); },
      [&out](std::string_view stretch) { out.append(stretch); });
  return out;
}

std::string MapPrivateCodes(std::string_view sjis, const PrivateCodes& codes,
                            std::string (*replace)(char32_t)) {
  std::string out;
  out.reserve(sjis.size());
  SplitAtPrivateCodes(
      sjis, codes, [&](char32_t c) { out += replace(c); },
      [&out](std::string_view stretch) { out.append(stretch); });
  return out;
}

}  // namespace platform
