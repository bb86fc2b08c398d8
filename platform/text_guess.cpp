// Telling which encoding a file a user names was saved in. Both backends
// share this: it looks at bytes only and needs no system service.
#include "platform/encoding.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/private_codes.h"
#include "platform/shift_jis.h"
#include "platform/utf8_scan.h"
#include "platform/worker_pool.h"

namespace platform {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// How much of the start of a file decides whether it is UTF-16 without a
// byte-order mark.
constexpr size_t kUtf16Sample = 1024;

uint8_t Byte(std::string_view s, size_t i) { return static_cast<uint8_t>(s[i]); }

// One strictly decoded UTF-8 character: its code point and length, or a
// length of 0 when the bytes at `i` are no well-formed character (overlong
// forms and encoded surrogates included).
struct Utf8Char {
  char32_t code = 0;
  size_t length = 0;
};

Utf8Char DecodeUtf8(std::string_view s, size_t i) {
  const uint8_t b = Byte(s, i);
  if (b < 0x80) return {b, 1};
  size_t length = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, code = b & 0x1F, minimum = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, code = b & 0x0F, minimum = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, code = b & 0x07, minimum = 0x10000;
  } else {
    return {};
  }
  if (i + length > s.size()) return {};
  for (size_t k = 1; k < length; ++k) {
    const uint8_t t = Byte(s, i + k);
    if ((t & 0xC0) != 0x80) return {};
    code = code << 6 | (t & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length};
}

// True when every byte of `s` belongs to a well-formed Shift-JIS character
// (code page 932's lead and trail ranges, half-width katakana, ASCII).
bool IsWellFormedShiftJis(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const uint8_t b = Byte(s, i);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
    if (!IsLeadByte(b) || i + 1 >= s.size()) return false;
    const uint8_t t = Byte(s, ++i);
    if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
  }
  return true;
}

bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Letters of European names (Latin with diacritics, Greek, Cyrillic): the
// only two-byte UTF-8 characters a bibliography is likely to hold.
bool IsEuropeanLetter(char32_t c) {
  return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x370 && c <= 0x4FF);
}

// Text that is valid both ways is UTF-8 only when reading it so gives what
// a UTF-8 table holds: characters of three or four bytes, or European
// letters inside words. Read as Shift-JIS, the same bytes are pairs of
// half-width katakana, which in a real Shift-JIS table stand between blanks
// and punctuation, not glued to Latin letters ("Title ﾐｷﾗｲ" read as UTF-8
// would be a Cyrillic and a Hebrew letter).
bool ReadsAsUtf8Text(std::string_view s) {
  char32_t before = 0;
  for (size_t i = 0; i < s.size();) {
    const Utf8Char c = DecodeUtf8(s, i);
    if (c.length == 2) {
      if (!IsEuropeanLetter(c.code)) return false;
      const char32_t after = i + 2 < s.size() ? DecodeUtf8(s, i + 2).code : 0;
      const auto letter = [](char32_t x) { return IsAsciiLetter(x) || IsEuropeanLetter(x); };
      if (!letter(before) && !letter(after)) return false;
    }
    before = c.code;
    i += c.length;
  }
  return true;
}

// UTF-16 without a byte-order mark: in the sample, most pairs are an ASCII
// character and a zero byte, always on the same side.
std::optional<TextEncoding> GuessUtf16(std::string_view bytes) {
  const std::string_view sample = bytes.substr(0, kUtf16Sample);
  size_t little = 0, big = 0, pairs = 0;
  for (size_t i = 0; i + 1 < sample.size(); i += 2, ++pairs) {
    const uint8_t a = Byte(sample, i), b = Byte(sample, i + 1);
    if (a != 0 && a < 0x80 && b == 0) ++little;
    if (a == 0 && b != 0 && b < 0x80) ++big;
  }
  if (pairs < 2) return std::nullopt;
  if (big == 0 && little * 2 >= pairs) return TextEncoding::kUtf16LittleEndian;
  if (little == 0 && big * 2 >= pairs) return TextEncoding::kUtf16BigEndian;
  return std::nullopt;
}

// How a stretch of bytes reads as UTF-8: whether every character in it is
// well-formed, and whether any takes more than one byte.
struct Utf8Reading {
  bool well_formed = true;
  bool non_ascii = false;
};

Utf8Reading ReadUtf8(std::string_view bytes) {
  Utf8Reading reading;
  for (size_t i = 0; i < bytes.size();) {
    // ASCII, most of any table, is passed eight bytes at a time.
    i = AsciiRunEnd(bytes, i);
    if (i >= bytes.size()) break;
    // Most characters of a Japanese table take three bytes and most
    // European letters two: told well-formed on the spot.
    if (IsPlainThreeByteCharacter(bytes, i)) {
      reading.non_ascii = true;
      i += 3;
      continue;
    }
    const uint8_t lead = Byte(bytes, i);
    if (lead >= 0xC2 && lead <= 0xDF && i + 2 <= bytes.size() &&
        (Byte(bytes, i + 1) & 0xC0) == 0x80) {
      reading.non_ascii = true;
      i += 2;
      continue;
    }
    const Utf8Char c = DecodeUtf8(bytes, i);
    if (c.length == 0) {
      reading.well_formed = false;
      return reading;
    }
    reading.non_ascii = reading.non_ascii || c.length > 1;
    i += c.length;
  }
  return reading;
}

}  // namespace

TextEncoding GuessTextEncoding(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return TextEncoding::kUtf8;
  if (bytes.substr(0, kUtf16LeMark.size()) == kUtf16LeMark) return TextEncoding::kUtf16LittleEndian;
  if (bytes.substr(0, kUtf16BeMark.size()) == kUtf16BeMark) return TextEncoding::kUtf16BigEndian;
  if (const auto utf16 = GuessUtf16(bytes)) return *utf16;
  // The text is read in parts cut where a character begins (a byte that
  // does not continue one): a well-formed text reads the same in parts, and
  // one that is not shows it in the part that holds the fault.
  const auto character_from = [&bytes](size_t at) {
    while (at < bytes.size() && (Byte(bytes, at) & 0xC0) == 0x80) ++at;
    return at;
  };
  // A Shift-JIS table mostly shows it in its first lines: those are read
  // first, here, and the rest only by a text still well-formed after them.
  constexpr size_t kFirstPart = size_t{64} << 10;
  const size_t first_end = character_from(std::min(bytes.size(), kFirstPart));
  const Utf8Reading first = ReadUtf8(bytes.substr(0, first_end));
  if (!first.well_formed) return TextEncoding::kShiftJis;
  // The rest of a large table is read by both cores.
  const std::string_view rest = bytes.substr(first_end);
  constexpr size_t kBytesPerWorkerItem = 64;
  const size_t workers = WorkerCount(rest.size() / kBytesPerWorkerItem);
  std::vector<size_t> cuts{first_end};
  for (size_t w = 1; w < workers; ++w) {
    cuts.push_back(character_from(std::max(cuts.back(), first_end + rest.size() * w / workers)));
  }
  cuts.push_back(bytes.size());
  std::vector<Utf8Reading> parts(workers);
  RunWorkers(workers,
             [&](size_t w) { parts[w] = ReadUtf8(bytes.substr(cuts[w], cuts[w + 1] - cuts[w])); });
  bool non_ascii = first.non_ascii;
  for (const Utf8Reading& part : parts) {
    if (!part.well_formed) return TextEncoding::kShiftJis;
    non_ascii = non_ascii || part.non_ascii;
  }
  if (!non_ascii) return TextEncoding::kShiftJis;
  if (!IsWellFormedShiftJis(bytes) || ReadsAsUtf8Text(bytes)) return TextEncoding::kUtf8;
  return TextEncoding::kShiftJis;
}

bool LooksLikeUtf8(std::string_view bytes) {
  return GuessTextEncoding(bytes) == TextEncoding::kUtf8;
}

size_t ByteOrderMarkLength(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
    case TextEncoding::kUtf16LittleEndian:
      return bytes.substr(0, kUtf16LeMark.size()) == kUtf16LeMark ? kUtf16LeMark.size() : 0;
    case TextEncoding::kUtf16BigEndian:
      return bytes.substr(0, kUtf16BeMark.size()) == kUtf16BeMark ? kUtf16BeMark.size() : 0;
    case TextEncoding::kShiftJis:
      break;
  }
  return 0;
}

std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  const auto unit = [&](size_t i) -> char32_t {
    const uint8_t a = Byte(bytes, i), b = Byte(bytes, i + 1);
    return big_endian ? (a << 8 | b) : (b << 8 | a);
  };
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  const auto append = [&out](char32_t c) { out += EncodeUtf8(c); };
  constexpr char32_t kReplacement = 0xFFFD;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    append(c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
  }
  // A last odd byte is half a character.
  if (bytes.size() % 2 != 0) append(kReplacement);
  return out;
}

}  // namespace platform
