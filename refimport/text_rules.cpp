#include "refimport/text_rules.h"

#include <array>
#include <cstdint>

namespace refimport {
namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";
constexpr std::string_view kSubtitleMarks[] = {": ", "\uFF1A", "\u2015\u2015", "\u2014\u2014"};
constexpr std::string_view kDashes[] = {"--", "\u2013", "\u2014", "\u2212", "\uFF0D"};
constexpr std::string_view kJapaneseEditionMark = "版";
constexpr std::string_view kJapaneseEditionBefore = "第";
constexpr std::string_view kWesternEditionAfter = " ed.";

constexpr std::array<std::string_view, 10> kNumberWords = {
    "first", "second", "third", "fourth", "fifth", "sixth", "seventh", "eighth", "ninth", "tenth"};

// The code point at `pos` and its length; a broken sequence counts as one byte.
std::pair<char32_t, size_t> CodePointAt(std::string_view s, size_t pos) {
  const auto b = static_cast<unsigned char>(s[pos]);
  size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  if (pos + len > s.size()) return {b, 1};
  char32_t cp = len == 1 ? b : b & (0xFF >> (len + 1));
  for (size_t i = 1; i < len; ++i) {
    const auto c = static_cast<unsigned char>(s[pos + i]);
    if ((c & 0xC0) != 0x80) return {b, 1};
    cp = (cp << 6) | (c & 0x3F);
  }
  return {cp, len};
}

bool IsJapaneseCodePoint(char32_t c) {
  return (c >= 0x3040 && c <= 0x30FF) ||  // hiragana, katakana
         (c >= 0x3400 && c <= 0x4DBF) ||  // kanji, extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // kanji
         (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility kanji
         (c >= 0xFF66 && c <= 0xFF9F) ||  // half-width katakana
         c == 0x3005;                     // 々
}

bool IsBlankAt(std::string_view s, size_t pos, size_t* len) {
  const char c = s[pos];
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
    *len = 1;
    return true;
  }
  if (c == kIdeographicSpace[0] && s.substr(pos, kIdeographicSpace.size()) == kIdeographicSpace) {
    *len = kIdeographicSpace.size();
    return true;
  }
  return false;
}

std::string Ordinal(int n) {
  const int tens = n % 100;
  const char* suffix = (tens >= 11 && tens <= 13) ? "th"
                       : n % 10 == 1              ? "st"
                       : n % 10 == 2              ? "nd"
                       : n % 10 == 3              ? "rd"
                                                  : "th";
  return std::to_string(n) + suffix;
}

// The edition's number, or 0 when the text is no number or number word.
int EditionNumber(std::string_view text) {
  size_t digits = 0;
  while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') {
    ++digits;
  }
  if (digits > 0) {
    const std::string_view rest = text.substr(digits);
    // "2", "2nd", "2nd ed.", "2nd edition": nothing but an ordinal ending and
    // the word edition may follow.
    const std::string_view allowed = "stndrhed.ition ";
    if (rest.find_first_not_of(allowed) != std::string_view::npos) return 0;
    return std::stoi(std::string(text.substr(0, digits)));
  }
  std::string lower;
  for (const char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (size_t i = 0; i < kNumberWords.size(); ++i) {
    if (lower == kNumberWords[i] || lower.starts_with(std::string(kNumberWords[i]) + " ")) {
      return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

}  // namespace

bool HasJapanese(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const auto [cp, len] = CodePointAt(text, pos);
    if (IsJapaneseCodePoint(cp)) return true;
    pos += len;
  }
  return false;
}

std::string Squeezed(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool blank = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t len = 0;
    if (IsBlankAt(text, pos, &len)) {
      blank = true;
      pos += len;
      continue;
    }
    size_t end = pos + 1;
    while (end < text.size()) {
      const char c = text[end];
      if ((c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == kIdeographicSpace[0]) &&
          IsBlankAt(text, end, &len)) {
        break;
      }
      ++end;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out.append(text.substr(pos, end - pos));
    pos = end;
  }
  return out;
}

std::pair<std::string, std::string> SplitSubtitle(std::string_view title) {
  size_t best = std::string_view::npos;
  size_t mark_len = 0;
  for (const std::string_view mark : kSubtitleMarks) {
    const size_t at = title.find(mark);
    if (at != std::string_view::npos && at > 0 && at < best) {
      best = at;
      mark_len = mark.size();
    }
  }
  if (best == std::string_view::npos) return {Squeezed(title), ""};
  return {Squeezed(title.substr(0, best)), Squeezed(title.substr(best + mark_len))};
}

std::string PageRange(std::string_view pages) {
  std::string text = Squeezed(pages);
  for (const std::string_view dash : kDashes) {
    for (size_t at = text.find(dash); at != std::string::npos; at = text.find(dash, at + 1)) {
      text.replace(at, dash.size(), "-");
    }
  }
  std::string out;
  for (size_t pos = 0; pos < text.size(); ++pos) {
    // Blanks around the hyphen go; other blanks stay ("S 12").
    if (text[pos] == ' ' &&
        ((pos + 1 < text.size() && text[pos + 1] == '-') || (!out.empty() && out.back() == '-'))) {
      continue;
    }
    if (text[pos] == '-' && !out.empty() && out.back() == '-') continue;
    out += text[pos];
  }
  return out;
}

std::string EditionText(std::string_view edition, bool japanese) {
  const std::string text = Squeezed(edition);
  const int number = EditionNumber(text);
  if (number == 1) return "";
  if (number == 0) return text;
  if (japanese) {
    return std::string(kJapaneseEditionBefore) + std::to_string(number) +
           std::string(kJapaneseEditionMark);
  }
  return Ordinal(number) + std::string(kWesternEditionAfter);
}

std::string YearOf(std::string_view date) {
  for (size_t pos = 0; pos + 4 <= date.size(); ++pos) {
    bool digits = true;
    for (size_t i = 0; i < 4; ++i) digits = digits && date[pos + i] >= '0' && date[pos + i] <= '9';
    const bool alone = (pos == 0 || date[pos - 1] < '0' || date[pos - 1] > '9') &&
                       (pos + 4 == date.size() || date[pos + 4] < '0' || date[pos + 4] > '9');
    if (digits && alone) return std::string(date.substr(pos, 4));
  }
  return Squeezed(date);
}

std::string FirstWord(std::string_view text) {
  const std::string squeezed = Squeezed(text);
  return squeezed.substr(0, squeezed.find(' '));
}

}  // namespace refimport
