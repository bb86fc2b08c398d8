#include "refimport/latex_text.h"

#include <cstddef>

namespace refimport {
namespace {

struct Accented {
  char accent;
  char base;
  std::string_view text;
};
// Precomposed letters for the accent commands and the bases Latin scripts
// use with them. One letter a line, so that a letter is easy to find.
// clang-format off
constexpr Accented kAccented[] = {
    {'\'', 'a', "á"},
    {'\'', 'e', "é"},
    {'\'', 'i', "í"},
    {'\'', 'o', "ó"},
    {'\'', 'u', "ú"},
    {'\'', 'y', "ý"},
    {'\'', 'A', "Á"},
    {'\'', 'E', "É"},
    {'\'', 'I', "Í"},
    {'\'', 'O', "Ó"},
    {'\'', 'U', "Ú"},
    {'\'', 'Y', "Ý"},
    {'\'', 'c', "ć"},
    {'\'', 'C', "Ć"},
    {'\'', 'n', "ń"},
    {'\'', 'N', "Ń"},
    {'\'', 's', "ś"},
    {'\'', 'S', "Ś"},
    {'\'', 'z', "ź"},
    {'\'', 'Z', "Ź"},
    {'\'', 'l', "ĺ"},
    {'\'', 'L', "Ĺ"},
    {'\'', 'r', "ŕ"},
    {'\'', 'R', "Ŕ"},
    {'\'', 'g', "ǵ"},
    {'\'', 'G', "Ǵ"},
    {'\'', 'w', "ẃ"},
    {'\'', 'W', "Ẃ"},
    {'\'', 'k', "ḱ"},
    {'\'', 'K', "Ḱ"},
    {'\'', 'I', "Í"},
    {'`', 'a', "à"},
    {'`', 'e', "è"},
    {'`', 'i', "ì"},
    {'`', 'o', "ò"},
    {'`', 'u', "ù"},
    {'`', 'y', "ỳ"},
    {'`', 'A', "À"},
    {'`', 'E', "È"},
    {'`', 'I', "Ì"},
    {'`', 'O', "Ò"},
    {'`', 'U', "Ù"},
    {'`', 'Y', "Ỳ"},
    {'`', 'n', "ǹ"},
    {'`', 'N', "Ǹ"},
    {'`', 'w', "ẁ"},
    {'`', 'W', "Ẁ"},
    {'`', 'I', "Ì"},
    {'^', 'a', "â"},
    {'^', 'e', "ê"},
    {'^', 'i', "î"},
    {'^', 'o', "ô"},
    {'^', 'u', "û"},
    {'^', 'y', "ŷ"},
    {'^', 'A', "Â"},
    {'^', 'E', "Ê"},
    {'^', 'I', "Î"},
    {'^', 'O', "Ô"},
    {'^', 'U', "Û"},
    {'^', 'Y', "Ŷ"},
    {'^', 'c', "ĉ"},
    {'^', 'C', "Ĉ"},
    {'^', 's', "ŝ"},
    {'^', 'S', "Ŝ"},
    {'^', 'z', "ẑ"},
    {'^', 'Z', "Ẑ"},
    {'^', 'g', "ĝ"},
    {'^', 'G', "Ĝ"},
    {'^', 'h', "ĥ"},
    {'^', 'H', "Ĥ"},
    {'^', 'j', "ĵ"},
    {'^', 'J', "Ĵ"},
    {'^', 'w', "ŵ"},
    {'^', 'W', "Ŵ"},
    {'^', 'I', "Î"},
    {'\"', 'a', "ä"},
    {'\"', 'e', "ë"},
    {'\"', 'i', "ï"},
    {'\"', 'o', "ö"},
    {'\"', 'u', "ü"},
    {'\"', 'y', "ÿ"},
    {'\"', 'A', "Ä"},
    {'\"', 'E', "Ë"},
    {'\"', 'I', "Ï"},
    {'\"', 'O', "Ö"},
    {'\"', 'U', "Ü"},
    {'\"', 'Y', "Ÿ"},
    {'\"', 'h', "ḧ"},
    {'\"', 'H', "Ḧ"},
    {'\"', 'w', "ẅ"},
    {'\"', 'W', "Ẅ"},
    {'\"', 't', "ẗ"},
    {'\"', 'I', "Ï"},
    {'~', 'a', "ã"},
    {'~', 'e', "ẽ"},
    {'~', 'i', "ĩ"},
    {'~', 'o', "õ"},
    {'~', 'u', "ũ"},
    {'~', 'y', "ỹ"},
    {'~', 'A', "Ã"},
    {'~', 'E', "Ẽ"},
    {'~', 'I', "Ĩ"},
    {'~', 'O', "Õ"},
    {'~', 'U', "Ũ"},
    {'~', 'Y', "Ỹ"},
    {'~', 'n', "ñ"},
    {'~', 'N', "Ñ"},
    {'~', 'I', "Ĩ"},
    {'=', 'a', "ā"},
    {'=', 'e', "ē"},
    {'=', 'i', "ī"},
    {'=', 'o', "ō"},
    {'=', 'u', "ū"},
    {'=', 'y', "ȳ"},
    {'=', 'A', "Ā"},
    {'=', 'E', "Ē"},
    {'=', 'I', "Ī"},
    {'=', 'O', "Ō"},
    {'=', 'U', "Ū"},
    {'=', 'Y', "Ȳ"},
    {'=', 'g', "ḡ"},
    {'=', 'G', "Ḡ"},
    {'=', 'I', "Ī"},
    {'.', 'a', "ȧ"},
    {'.', 'e', "ė"},
    {'.', 'o', "ȯ"},
    {'.', 'y', "ẏ"},
    {'.', 'A', "Ȧ"},
    {'.', 'E', "Ė"},
    {'.', 'I', "İ"},
    {'.', 'O', "Ȯ"},
    {'.', 'Y', "Ẏ"},
    {'.', 'c', "ċ"},
    {'.', 'C', "Ċ"},
    {'.', 'n', "ṅ"},
    {'.', 'N', "Ṅ"},
    {'.', 's', "ṡ"},
    {'.', 'S', "Ṡ"},
    {'.', 'z', "ż"},
    {'.', 'Z', "Ż"},
    {'.', 'r', "ṙ"},
    {'.', 'R', "Ṙ"},
    {'.', 'g', "ġ"},
    {'.', 'G', "Ġ"},
    {'.', 'h', "ḣ"},
    {'.', 'H', "Ḣ"},
    {'.', 'w', "ẇ"},
    {'.', 'W', "Ẇ"},
    {'.', 't', "ṫ"},
    {'.', 'T', "Ṫ"},
    {'.', 'd', "ḋ"},
    {'.', 'D', "Ḋ"},
    {'.', 'I', "İ"},
    {'u', 'a', "ă"},
    {'u', 'e', "ĕ"},
    {'u', 'i', "ĭ"},
    {'u', 'o', "ŏ"},
    {'u', 'u', "ŭ"},
    {'u', 'A', "Ă"},
    {'u', 'E', "Ĕ"},
    {'u', 'I', "Ĭ"},
    {'u', 'O', "Ŏ"},
    {'u', 'U', "Ŭ"},
    {'u', 'g', "ğ"},
    {'u', 'G', "Ğ"},
    {'u', 'I', "Ĭ"},
    {'v', 'a', "ǎ"},
    {'v', 'e', "ě"},
    {'v', 'i', "ǐ"},
    {'v', 'o', "ǒ"},
    {'v', 'u', "ǔ"},
    {'v', 'A', "Ǎ"},
    {'v', 'E', "Ě"},
    {'v', 'I', "Ǐ"},
    {'v', 'O', "Ǒ"},
    {'v', 'U', "Ǔ"},
    {'v', 'c', "č"},
    {'v', 'C', "Č"},
    {'v', 'n', "ň"},
    {'v', 'N', "Ň"},
    {'v', 's', "š"},
    {'v', 'S', "Š"},
    {'v', 'z', "ž"},
    {'v', 'Z', "Ž"},
    {'v', 'l', "ľ"},
    {'v', 'L', "Ľ"},
    {'v', 'r', "ř"},
    {'v', 'R', "Ř"},
    {'v', 'g', "ǧ"},
    {'v', 'G', "Ǧ"},
    {'v', 'h', "ȟ"},
    {'v', 'H', "Ȟ"},
    {'v', 'j', "ǰ"},
    {'v', 'k', "ǩ"},
    {'v', 'K', "Ǩ"},
    {'v', 't', "ť"},
    {'v', 'T', "Ť"},
    {'v', 'd', "ď"},
    {'v', 'D', "Ď"},
    {'v', 'I', "Ǐ"},
    {'H', 'o', "ő"},
    {'H', 'u', "ű"},
    {'H', 'O', "Ő"},
    {'H', 'U', "Ű"},
    {'c', 'e', "ȩ"},
    {'c', 'E', "Ȩ"},
    {'c', 'c', "ç"},
    {'c', 'C', "Ç"},
    {'c', 'n', "ņ"},
    {'c', 'N', "Ņ"},
    {'c', 's', "ş"},
    {'c', 'S', "Ş"},
    {'c', 'l', "ļ"},
    {'c', 'L', "Ļ"},
    {'c', 'r', "ŗ"},
    {'c', 'R', "Ŗ"},
    {'c', 'g', "ģ"},
    {'c', 'G', "Ģ"},
    {'c', 'h', "ḩ"},
    {'c', 'H', "Ḩ"},
    {'c', 'k', "ķ"},
    {'c', 'K', "Ķ"},
    {'c', 't', "ţ"},
    {'c', 'T', "Ţ"},
    {'c', 'd', "ḑ"},
    {'c', 'D', "Ḑ"},
    {'k', 'a', "ą"},
    {'k', 'e', "ę"},
    {'k', 'i', "į"},
    {'k', 'o', "ǫ"},
    {'k', 'u', "ų"},
    {'k', 'A', "Ą"},
    {'k', 'E', "Ę"},
    {'k', 'I', "Į"},
    {'k', 'O', "Ǫ"},
    {'k', 'U', "Ų"},
    {'k', 'I', "Į"},
    {'r', 'a', "å"},
    {'r', 'u', "ů"},
    {'r', 'y', "ẙ"},
    {'r', 'A', "Å"},
    {'r', 'U', "Ů"},
    {'r', 'w', "ẘ"},
};
// clang-format on

struct Combining {
  char accent;
  std::string_view mark;
};
// For a base the table above lacks: the base and the combining mark.
constexpr Combining kCombining[] = {
    {'\'', "\u0301"}, {'`', "\u0300"}, {'^', "\u0302"}, {'"', "\u0308"}, {'~', "\u0303"},
    {'=', "\u0304"},  {'.', "\u0307"}, {'u', "\u0306"}, {'v', "\u030C"}, {'H', "\u030B"},
    {'c', "\u0327"},  {'k', "\u0328"}, {'r', "\u030A"}, {'d', "\u0323"}, {'b', "\u0331"},
};

struct Word {
  std::string_view command;
  std::string_view text;
};
constexpr Word kLetterCommands[] = {
    {"ss", "ß"},         {"o", "ø"},  {"O", "Ø"},  {"ae", "æ"},   {"AE", "Æ"},
    {"oe", "œ"},         {"OE", "Œ"}, {"aa", "å"}, {"AA", "Å"},   {"l", "ł"},
    {"L", "Ł"},          {"i", "ı"},  {"j", "ȷ"},  {"dh", "ð"},   {"DH", "Ð"},
    {"th", "þ"},         {"TH", "Þ"}, {"ng", "ŋ"}, {"NG", "Ŋ"},   {"textendash", "–"},
    {"textemdash", "—"}, {"S", "§"},  {"P", "¶"},  {"dots", "…"}, {"ldots", "…"},
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAccent(char c) {
  for (const Combining& k : kCombining) {
    if (k.accent == c) return true;
  }
  return false;
}

std::string AccentedLetter(char accent, std::string_view base) {
  if (base.empty()) return "";  // an accent on nothing, or cut off
  // A dotless i or j under an accent is the plain letter's accented form.
  if (base == "ı") base = "i";
  if (base == "ȷ") base = "j";
  if (base.size() == 1) {
    for (const Accented& a : kAccented) {
      if (a.accent == accent && a.base == base[0]) return std::string(a.text);
    }
  }
  for (const Combining& k : kCombining) {
    if (k.accent == accent) return std::string(base) + std::string(k.mark);
  }
  return std::string(base);
}

class Reader {
 public:
  explicit Reader(std::string_view text, int depth = 0) : text_(text), depth_(depth) {}

  std::string All() {
    std::string out;
    out.reserve(text_.size());
    while (pos_ < text_.size()) {
      // Most of a field is plain text: it goes over in runs, not unit by unit.
      size_t special = pos_;
      while (special < text_.size() && !IsSpecial(text_[special])) ++special;
      out.append(text_.substr(pos_, special - pos_));
      pos_ = special;
      if (pos_ < text_.size()) out += Next();
    }
    return out;
  }

 private:
  static bool IsSpecial(char c) {
    return c == '{' || c == '}' || c == '\\' || c == '~' || c == '-';
  }

  // One unit: a character, a command with what it makes, or a group's text.
  std::string Next() {
    const char c = text_[pos_];
    if (c == '{' || c == '}') {  // protecting braces, balanced or not
      ++pos_;
      return "";
    }
    if (c == '\\') return Command();
    if (c == '~') {
      ++pos_;
      return " ";
    }
    if (c == '-' && text_.substr(pos_, 3) == "---") {
      pos_ += 3;
      return "—";
    }
    if (c == '-' && text_.substr(pos_, 2) == "--") {
      pos_ += 2;
      return "–";
    }
    ++pos_;
    return std::string(1, c);
  }

  // The argument of an accent: a group's text, a letter command's letter,
  // or the next character (a whole UTF-8 sequence).
  std::string Argument() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    if (pos_ >= text_.size()) return "";
    if (text_[pos_] == '\\') {
      if (depth_ >= kMaxDepth) return "";
      ++depth_;
      std::string letter = Next();
      --depth_;
      return letter;
    }
    if (text_[pos_] == '{') {
      // The group's own text, up to its matching brace (or the end).
      size_t end = pos_ + 1;
      for (int open = 1; end < text_.size(); ++end) {
        if (text_[end] == '{') ++open;
        if (text_[end] == '}' && --open == 0) break;
      }
      const std::string_view inner = text_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end < text_.size() ? end + 1 : end;
      return depth_ < kMaxDepth ? Reader(inner, depth_ + 1).All() : "";
    }
    size_t len = 1;
    while (pos_ + len < text_.size() &&
           (static_cast<unsigned char>(text_[pos_ + len]) & 0xC0) == 0x80) {
      ++len;
    }
    const std::string one(text_.substr(pos_, len));
    pos_ += len;
    return one;
  }

  std::string Command() {
    ++pos_;  // the backslash
    if (pos_ >= text_.size()) return "";
    const char c = text_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      if (IsAccent(c)) return AccentedLetter(c, Argument());
      if (c == ' ') return " ";
      return std::string(1, c);  // \& \% \$ \# \_ \{ \} and the like
    }
    size_t end = pos_;
    while (end < text_.size() && IsLetter(text_[end])) ++end;
    const std::string_view name = text_.substr(pos_, end - pos_);
    pos_ = end;
    // A one-letter accent command takes the next character or group.
    if (name.size() == 1 && IsAccent(name[0])) return AccentedLetter(name[0], Argument());
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    for (const Word& w : kLetterCommands) {
      if (w.command == name) {
        // "{\o}" and "\o{}" alike: an empty group after the command is its end.
        if (text_.substr(pos_, 2) == "{}") pos_ += 2;
        return std::string(w.text);
      }
    }
    return "";  // \emph, \textit and the like: their argument stays as text
  }

  // Accents on accents nest; beyond this an argument is dropped rather
  // than read with ever deeper calls.
  static constexpr int kMaxDepth = 16;

  std::string_view text_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::string LatexToText(std::string_view latex) { return Reader(latex).All(); }

}  // namespace refimport
