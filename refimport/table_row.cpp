#include "refimport/table_row.h"

#include "refimport/text_rules.h"

namespace refimport {

const std::string_view kTableHeading =
    "区分,種別,著者,年,表題,誌名・書名,巻|号,ページ,出版社,出版地,編者,訳者,訳書名,訳書年,"
    "訳書出版社,読み,番号,版,DOI";

namespace {

constexpr std::string_view kEntryMark = "*";
constexpr std::string_view kJapanesePrefix = "j";
constexpr std::string_view kWesternPrefix = "e";
constexpr std::string_view kTranslationPrefix = "t";
constexpr std::string_view kFamilyEnd = "#";
constexpr std::string_view kSubValueSeparator = "|";
constexpr std::string_view kSurnameBlank = "_";
// Japanese styles print an edited book's editors as its authors followed by 編.
constexpr std::string_view kJapaneseEditedMark = "編";

std::string_view KindName(Kind kind) {
  switch (kind) {
    case Kind::kArticle:
      return "article";
    case Kind::kChapter:
      return "chapter";
    case Kind::kBook:
      break;
  }
  return "book";
}

bool IsJapaneseName(const Name& name) {
  return HasJapanese(name.family) || HasJapanese(name.given) || HasJapanese(name.literal);
}

std::string WithSurnameBlanks(std::string_view surname) {
  std::string out = Squeezed(surname);
  for (char& c : out) {
    if (c == ' ') c = kSurnameBlank[0];
  }
  return out;
}

// "|" separates sub-values in the table, so a value's own would split it.
std::string WithoutSeparator(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == kSubValueSeparator[0]) {
      out += "｜";
    } else {
      out += c;
    }
  }
  return out;
}

std::string NameList(const std::vector<Name>& names) {
  std::string out;
  for (const Name& name : names) {
    const std::string cell = NameCell(name);
    if (cell.empty()) continue;
    if (!out.empty()) out += kSubValueSeparator;
    out += cell;
  }
  return out;
}

std::string TitleCell(std::string_view title, std::string_view subtitle) {
  auto [main, sub] = SplitSubtitle(WithoutSeparator(title));
  const std::string own = Squeezed(WithoutSeparator(subtitle));
  if (!own.empty()) sub = sub.empty() ? own : sub + ": " + own;
  return sub.empty() ? main : main + std::string(kSubValueSeparator) + sub;
}

bool IsJapaneseReference(const Reference& r) {
  for (const std::vector<Name>* names : {&r.authors, &r.editors}) {
    for (const Name& name : *names) {
      if (IsJapaneseName(name)) return true;
    }
  }
  return HasJapanese(r.title) || HasJapanese(r.container);
}

}  // namespace

std::string NameCell(const Name& name) {
  if (!name.literal.empty()) {
    return IsJapaneseName(name) ? Squeezed(name.literal) : WithSurnameBlanks(name.literal);
  }
  const std::string family = Squeezed(name.family);
  const std::string given = Squeezed(name.given);
  if (IsJapaneseName(name)) {
    if (given.empty()) return family;
    return family + std::string(kFamilyEnd) + given;
  }
  if (family.empty()) return given;
  if (given.empty()) return WithSurnameBlanks(family);
  return given + " " + WithSurnameBlanks(family);
}

std::vector<std::string> TableRow(const Reference& r, int number) {
  const bool japanese = IsJapaneseReference(r);
  const bool translated = !r.translators.empty() || !r.translated_title.empty();
  // The table knows translated books and chapters only.
  const Kind kind = translated && r.kind == Kind::kArticle ? Kind::kBook : r.kind;
  const std::string_view prefix = translated ? kTranslationPrefix
                                  : japanese ? kJapanesePrefix
                                             : kWesternPrefix;
  std::string authors = NameList(r.authors);
  std::string editors = NameList(r.editors);
  // An edited book: its editors stand where its authors would.
  if (authors.empty() && kind != Kind::kChapter && !editors.empty()) {
    authors = editors;
    if (japanese) authors += kJapaneseEditedMark;
  }
  if (kind != Kind::kChapter) editors.clear();
  std::string volume = Squeezed(r.volume);
  const std::string issue = Squeezed(r.issue);
  if (!issue.empty()) volume += std::string(kSubValueSeparator) + issue;
  const std::string container =
      kind == Kind::kChapter ? TitleCell(r.container, "") : Squeezed(WithoutSeparator(r.container));
  return {std::string(kEntryMark),
          std::string(prefix) + std::string(KindName(kind)),
          authors,
          Squeezed(r.year),
          TitleCell(r.title, r.subtitle),
          container,
          volume,
          PageRange(r.pages),
          Squeezed(r.publisher),
          Squeezed(r.place),
          editors,
          NameList(r.translators),
          TitleCell(r.translated_title, ""),
          Squeezed(r.translated_year),
          Squeezed(r.translated_publisher),
          FirstWord(r.reading),
          std::to_string(number),
          EditionText(r.edition, japanese),
          Squeezed(r.doi)};
}

}  // namespace refimport
