#include "refimport/ris_reader.h"

#include <optional>
#include <string>

#include "refimport/messages.h"
#include "refimport/name_text.h"
#include "refimport/text_rules.h"
#include "refimport/warning.h"

namespace refimport {
namespace {

constexpr std::string_view kTagEnd = "  -";

struct TypeRule {
  std::string_view type;
  Kind kind;
};
constexpr TypeRule kKnownTypes[] = {
    {"JOUR", Kind::kArticle},  {"JFULL", Kind::kArticle}, {"EJOUR", Kind::kArticle},
    {"MGZN", Kind::kArticle},  {"NEWS", Kind::kArticle},  {"BOOK", Kind::kBook},
    {"EBOOK", Kind::kBook},    {"EDBOOK", Kind::kBook},   {"CHAP", Kind::kChapter},
    {"ECHAP", Kind::kChapter},
};

struct TaggedLine {
  std::string tag;
  std::string value;
};

// "XX  - value": two letters or digits, two blanks, a hyphen, then the value
// after one blank (a value may be empty: "ER  -").
std::optional<TaggedLine> Tagged(std::string_view line) {
  if (line.size() < 5 || line.substr(2, 3) != kTagEnd) return std::nullopt;
  for (size_t i = 0; i < 2; ++i) {
    const char c = line[i];
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return std::nullopt;
  }
  return TaggedLine{std::string(line.substr(0, 2)), Squeezed(line.substr(5))};
}

// One reference as its lines come in.
class Builder {
 public:
  Builder(int line, std::string_view type) : line_(line), type_(type) {}

  int line() const { return line_; }

  void Add(const std::string& tag, const std::string& value) {
    last_ = tag;
    if (tag == "AU" || tag == "A1") {
      r_.authors.push_back(NameFromText(value));
    } else if (tag == "A2" || tag == "ED") {
      r_.editors.push_back(NameFromText(value));
    } else if (tag == "TI" || tag == "T1") {
      Keep(r_.title, value);
    } else if (tag == "T2" || tag == "BT") {
      Keep(secondary_, value);
    } else if (tag == "JO" || tag == "JF" || tag == "JA" || tag == "J2") {
      Keep(journal_, value);
    } else if (tag == "PY" || tag == "Y1" || tag == "DA") {
      if (r_.year.empty()) r_.year = YearOf(value);
    } else if (tag == "VL") {
      Keep(r_.volume, value);
    } else if (tag == "IS") {
      Keep(r_.issue, value);
    } else if (tag == "SP") {
      Keep(start_page_, value);
    } else if (tag == "EP") {
      Keep(end_page_, value);
    } else if (tag == "PB") {
      Keep(r_.publisher, value);
    } else if (tag == "CY" || tag == "PP") {
      Keep(r_.place, value);
    } else if (tag == "ET") {
      Keep(r_.edition, value);
    } else if (tag == "DO") {
      Keep(r_.doi, value);
    }
  }

  // A line without a tag: the value before it goes on.
  void Continue(std::string_view text) {
    if (last_ == "TI" || last_ == "T1") r_.title = Squeezed(r_.title + " " + std::string(text));
  }

  Reference Finish(std::vector<std::string>& warnings) {
    bool known = false;
    for (const TypeRule& rule : kKnownTypes) {
      if (rule.type == type_) {
        r_.kind = rule.kind;
        known = true;
      }
    }
    if (!known) {
      r_.kind = !journal_.empty()     ? Kind::kArticle
                : !secondary_.empty() ? Kind::kChapter
                                      : Kind::kBook;
      warnings.push_back(LineWarning(line_, "", UnknownTypeText(type_, r_.kind)));
    }
    if (r_.kind == Kind::kArticle) {
      r_.container = !journal_.empty() ? journal_ : secondary_;
    } else if (r_.kind == Kind::kChapter) {
      r_.container = secondary_;
    }
    r_.pages = start_page_;
    if (!end_page_.empty() && start_page_.find('-') == std::string::npos) {
      r_.pages += (r_.pages.empty() ? "" : "-") + end_page_;
    }
    return r_;
  }

 private:
  // The first of repeated tags counts.
  static void Keep(std::string& to, const std::string& value) {
    if (to.empty()) to = value;
  }

  int line_;
  std::string type_;
  Reference r_;
  std::string last_;
  std::string secondary_;
  std::string journal_;
  std::string start_page_;
  std::string end_page_;
};

}  // namespace

bool LooksLikeRis(std::string_view text) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::optional<TaggedLine> tagged = Tagged(text.substr(start, end - start));
    if (tagged) return tagged->tag == "TY";
    if (!Squeezed(text.substr(start, end - start)).empty()) return false;
    start = end + 1;
  }
  return false;
}

ReadResult ReadRis(std::string_view text) {
  ReadResult result;
  std::optional<Builder> current;
  int line_number = 0;
  int stray_line = 0;  // the first line outside a reference not yet reported
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    ++line_number;
    const std::optional<TaggedLine> tagged = Tagged(line);
    if (tagged && tagged->tag == "TY") {
      if (current) {
        result.warnings.push_back(LineWarning(current->line(), "", msg::kRisNoEnd));
        result.references.push_back(current->Finish(result.warnings));
      }
      current.emplace(line_number, tagged->value);
    } else if (!current) {
      if (!Squeezed(line).empty() && stray_line == 0) stray_line = line_number;
    } else if (tagged && tagged->tag == "ER") {
      result.references.push_back(current->Finish(result.warnings));
      current.reset();
    } else if (tagged) {
      current->Add(tagged->tag, tagged->value);
    } else {
      current->Continue(line);
    }
    if (stray_line != 0 && (current || start >= text.size())) {
      result.warnings.push_back(LineWarning(stray_line, "", msg::kRisNoStart));
      stray_line = 0;
    }
  }
  if (current) {
    result.warnings.push_back(LineWarning(current->line(), "", msg::kRisNoEnd));
    result.references.push_back(current->Finish(result.warnings));
  }
  return result;
}

}  // namespace refimport
