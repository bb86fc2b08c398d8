#include "refimport/bibtex_names.h"

#include "refimport/latex_text.h"
#include "refimport/name_text.h"
#include "refimport/text_rules.h"

namespace refimport {
namespace {

constexpr std::string_view kSeparator = "and";
constexpr std::string_view kOthers = "others";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '~'; }

// Pieces of `text` cut where `at_cut` finds a cut at brace depth 0; it
// returns the cut's length, or 0.
template <typename CutAt>
std::vector<std::string> CutOutsideBraces(std::string_view text, CutAt at_cut) {
  std::vector<std::string> pieces;
  std::string piece;
  int depth = 0;
  for (size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (depth == 0) {
      const size_t cut = at_cut(text, pos);
      if (cut > 0) {
        pieces.push_back(piece);
        piece.clear();
        pos += cut;
        continue;
      }
    }
    if (c == '{') ++depth;
    if (c == '}' && depth > 0) --depth;
    piece += c;
    ++pos;
  }
  pieces.push_back(piece);
  return pieces;
}

// " and " in any letter case, with any white space around it.
size_t AndAt(std::string_view text, size_t pos) {
  if (!IsBlank(text[pos])) return 0;
  size_t p = pos;
  while (p < text.size() && IsBlank(text[p])) ++p;
  if (text.size() - p < kSeparator.size()) return 0;
  for (size_t i = 0; i < kSeparator.size(); ++i) {
    if ((text[p + i] | 0x20) != kSeparator[i]) return 0;
  }
  p += kSeparator.size();
  if (p >= text.size() || !IsBlank(text[p])) return 0;
  while (p < text.size() && IsBlank(text[p])) ++p;
  return p - pos;
}

size_t CommaAt(std::string_view text, size_t pos) { return text[pos] == ',' ? 1 : 0; }

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  for (std::string& word : CutOutsideBraces(text, [](std::string_view t, size_t pos) -> size_t {
         return IsBlank(t[pos]) ? 1 : 0;
       })) {
    if (!word.empty()) words.push_back(std::move(word));
  }
  return words;
}

// A von word starts with a lower-case letter; a braced word never counts.
bool IsVonWord(const std::string& word) { return word[0] >= 'a' && word[0] <= 'z'; }

std::string TextOf(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string raw;
  for (size_t i = from; i < to; ++i) raw += (raw.empty() ? "" : " ") + words[i];
  return Squeezed(LatexToText(raw));
}

Name OneName(std::string_view raw) {
  const std::string text = Squeezed(LatexToText(raw));
  // Japanese names are written family first; BibTeX's rules would take the
  // family name for the given one.
  if (HasJapanese(text)) return NameFromText(text);
  const std::vector<std::string> parts = CutOutsideBraces(raw, CommaAt);
  const std::vector<std::string> head = Words(parts[0]);
  Name name;
  if (parts.size() > 1) {
    // von Last[, Jr], First: the von words lead, the last word is Last's.
    name.given = Squeezed(LatexToText(parts.back()));
    name.family = TextOf(head, 0, head.size());
    if (parts.size() > 2) name.family = Squeezed(name.family + " " + LatexToText(parts[1]));
    return name;
  }
  if (head.size() < 2) return Name{"", "", text};
  // First von Last: First ends before the first von word, Last starts after
  // the last one (and is at least the last word).
  size_t von_from = head.size() - 1;
  for (size_t i = 0; i + 1 < head.size(); ++i) {
    if (IsVonWord(head[i])) {
      von_from = i;
      break;
    }
  }
  name.given = TextOf(head, 0, von_from);
  name.family = TextOf(head, von_from, head.size());
  return name;
}

}  // namespace

std::vector<Name> BibtexNames(std::string_view raw) {
  std::vector<Name> names;
  for (const std::string& piece : CutOutsideBraces(raw, AndAt)) {
    const std::string trimmed = Squeezed(piece);
    if (trimmed.empty() || trimmed == kOthers) continue;
    Name name = OneName(trimmed);
    if (!name.family.empty() || !name.given.empty() || !name.literal.empty()) {
      names.push_back(std::move(name));
    }
  }
  return names;
}

}  // namespace refimport
