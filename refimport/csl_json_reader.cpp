#include "refimport/csl_json_reader.h"

#include <string>

#include <nlohmann/json.hpp>

#include "refimport/messages.h"
#include "refimport/text_rules.h"
#include "refimport/warning.h"

namespace refimport {
namespace {

using Json = nlohmann::json;

// Deeper nesting than any export holds is refused before parsing, so a
// hostile file cannot make the parser or its clean-up run deep.
constexpr int kMaxDepth = 64;
constexpr std::string_view kReadingScripts[] = {"ja-Hira", "ja-Kana"};

struct TypeRule {
  std::string_view type;
  Kind kind;
};
constexpr TypeRule kKnownTypes[] = {
    {"article-journal", Kind::kArticle},
    {"article-magazine", Kind::kArticle},
    {"article-newspaper", Kind::kArticle},
    {"article", Kind::kArticle},
    {"book", Kind::kBook},
    {"chapter", Kind::kChapter},
};

// The line of a byte position, for messages.
int LineAt(std::string_view text, size_t pos) {
  int line = 1;
  for (size_t i = 0; i < pos && i < text.size(); ++i) line += text[i] == '\n' ? 1 : 0;
  return line;
}

// Where nesting first passes kMaxDepth, or npos. Brackets inside strings do
// not count.
size_t TooDeepAt(std::string_view text) {
  int depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::string_view::npos;
}

// A string or number member as text; anything else as empty.
std::string Text(const Json& item, const char* key) {
  const auto it = item.find(key);
  if (it == item.end()) return "";
  if (it->is_string()) return Squeezed(it->get<std::string>());
  if (it->is_number_integer()) return std::to_string(it->get<long long>());
  if (it->is_number()) return it->dump();
  return "";
}

Name OneName(const Json& person, std::string& reading) {
  Name name;
  if (!person.is_object()) return name;
  name.literal = Text(person, "literal");
  name.given = Text(person, "given");
  const std::string particle =
      Squeezed(Text(person, "dropping-particle") + " " + Text(person, "non-dropping-particle"));
  name.family = Squeezed(particle + " " + Text(person, "family") + " " + Text(person, "suffix"));
  const auto multi = person.find("multi");
  if (multi != person.end() && multi->is_object()) {
    const auto key = multi->find("_key");
    if (key != multi->end() && key->is_object()) {
      for (const std::string_view script : kReadingScripts) {
        const auto form = key->find(std::string(script));
        if (form != key->end() && form->is_object() && reading.empty()) {
          reading = Text(*form, "family");
        }
      }
    }
  }
  return name;
}

std::vector<Name> Names(const Json& item, const char* key, std::string* first_reading) {
  std::vector<Name> names;
  const auto it = item.find(key);
  if (it == item.end() || !it->is_array()) return names;
  for (const Json& person : *it) {
    std::string reading;
    names.push_back(OneName(person, reading));
    if (first_reading != nullptr && names.size() == 1) *first_reading = reading;
  }
  return names;
}

std::string Year(const Json& item) {
  const auto issued = item.find("issued");
  if (issued == item.end()) return "";
  if (issued->is_string()) return YearOf(issued->get<std::string>());
  if (!issued->is_object()) return "";
  const auto parts = issued->find("date-parts");
  if (parts != issued->end() && parts->is_array() && !parts->empty() && (*parts)[0].is_array() &&
      !(*parts)[0].empty()) {
    const Json& year = (*parts)[0][0];
    if (year.is_number_integer()) return std::to_string(year.get<long long>());
    if (year.is_string()) return YearOf(year.get<std::string>());
  }
  for (const char* key : {"raw", "literal"}) {
    const std::string text = Text(*issued, key);
    if (!text.empty()) return YearOf(text);
  }
  return "";
}

Reference Convert(const Json& item, int number, std::vector<std::string>& warnings) {
  Reference r;
  const std::string type = Text(item, "type");
  bool known = false;
  for (const TypeRule& rule : kKnownTypes) {
    if (rule.type == type) {
      r.kind = rule.kind;
      known = true;
    }
  }
  r.container = Text(item, "container-title");
  if (!known) {
    const bool journal = type.find("article") != std::string::npos;
    r.kind = journal ? Kind::kArticle : r.container.empty() ? Kind::kBook : Kind::kChapter;
    warnings.push_back(EntryWarning(number, UnknownTypeText(type, r.kind)));
  }
  if (r.kind == Kind::kBook) r.container.clear();
  r.authors = Names(item, "author", &r.reading);
  // An edited book is read under its first editor.
  r.editors = Names(item, "editor", r.authors.empty() ? &r.reading : nullptr);
  r.year = Year(item);
  r.title = Text(item, "title");
  r.volume = Text(item, "volume");
  r.issue = Text(item, "issue");
  r.pages = Text(item, "page");
  r.publisher = Text(item, "publisher");
  r.place = Text(item, "publisher-place");
  r.edition = Text(item, "edition");
  r.doi = Text(item, "DOI");
  return r;
}

}  // namespace

ReadResult ReadCslJson(std::string_view text) {
  ReadResult result;
  const size_t deep = TooDeepAt(text);
  if (deep != std::string_view::npos) {
    result.warnings.push_back(LineWarning(LineAt(text, deep), "", msg::kJsonTooDeep));
    return result;
  }
  Json all;
  try {
    all = Json::parse(text);
  } catch (const Json::parse_error& e) {
    result.warnings.push_back(LineWarning(LineAt(text, e.byte > 0 ? e.byte - 1 : 0), "",
                                          std::string(msg::kJsonError) + " (" + e.what() + ")"));
    return result;
  } catch (const Json::exception& e) {
    // A number past what a double holds, and the like: no place is known.
    result.warnings.push_back(std::string(msg::kWarning) + std::string(msg::kJsonError) + " (" +
                              e.what() + ")");
    return result;
  }
  if (all.is_object()) all = Json::array({all});
  if (!all.is_array()) {
    result.warnings.push_back(EntryWarning(1, msg::kJsonNotAnItem));
    return result;
  }
  int number = 0;
  for (const Json& item : all) {
    ++number;
    if (!item.is_object()) {
      result.warnings.push_back(EntryWarning(number, msg::kJsonNotAnItem));
      continue;
    }
    result.references.push_back(Convert(item, number, result.warnings));
  }
  return result;
}

}  // namespace refimport
