#include "refimport/name_text.h"

#include <string>
#include <vector>

#include "refimport/text_rules.h"

namespace refimport {
namespace {

constexpr std::string_view kFullWidthComma = "，";

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  const std::string squeezed = Squeezed(text);
  size_t start = 0;
  while (start < squeezed.size()) {
    size_t end = squeezed.find(' ', start);
    if (end == std::string::npos) end = squeezed.size();
    words.push_back(squeezed.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

std::string Joined(const std::vector<std::string>& words, size_t from, size_t to) {
  std::string out;
  for (size_t i = from; i < to; ++i) out += (out.empty() ? "" : " ") + words[i];
  return out;
}

}  // namespace

Name NameFromText(std::string_view text) {
  size_t comma = text.find(',');
  size_t comma_len = 1;
  if (comma == std::string_view::npos) {
    comma = text.find(kFullWidthComma);
    comma_len = kFullWidthComma.size();
  }
  if (comma != std::string_view::npos) {
    return Name{Squeezed(text.substr(0, comma)), Squeezed(text.substr(comma + comma_len)), ""};
  }
  const std::vector<std::string> words = Words(text);
  if (words.size() < 2) return Name{"", "", Squeezed(text)};
  if (HasJapanese(text)) return Name{words[0], Joined(words, 1, words.size()), ""};
  // RIS writes a person "Family, Given"; a Western name without a comma is
  // an institution, kept whole.
  return Name{"", "", Squeezed(text)};
}

}  // namespace refimport
