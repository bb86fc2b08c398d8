#include "refimport/bibtex_reader.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <btparse.h>

#include "refimport/bibtex_names.h"
#include "refimport/latex_text.h"
#include "refimport/messages.h"
#include "refimport/text_rules.h"
#include "refimport/warning.h"

// btparse's lexer keeps its state (the lexical class it was in, the entry
// part it expects) from one file to the next; after a file that ended inside
// a damaged entry the next file would be read in that state and fail. These
// two reset it; they are exported by the library but not declared in its
// header.
extern "C" {
void initialize_lexer_state(void);
void zzmode(int mode);
}

namespace refimport {
namespace {

// The lexer's starting class ("START" in btparse's lexer).
constexpr int kLexerStart = 0;
// Each empty return has read on, so the end comes after a few.
constexpr int kMaxEmptyReturns = 1000;

constexpr size_t kMaxLibraryNotes = 1 << 20;

using Fields = std::map<std::string, std::string>;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

std::string Field(const Fields& fields, std::string_view name) {
  const auto it = fields.find(std::string(name));
  return it == fields.end() ? "" : it->second;
}

// Field text with LaTeX turned into characters.
std::string Text(const Fields& fields, std::string_view name) {
  return Squeezed(LatexToText(Field(fields, name)));
}

struct TypeRule {
  std::string_view type;
  Kind kind;
};
// The types that are exactly one of the table's kinds; any other is taken
// as the nearest with a warning.
constexpr TypeRule kKnownTypes[] = {
    {"article", Kind::kArticle},    {"book", Kind::kBook},        {"incollection", Kind::kChapter},
    {"inbook", Kind::kChapter},     {"mvbook", Kind::kBook},      {"collection", Kind::kBook},
    {"suppbook", Kind::kChapter},   {"bookinbook", Kind::kChapter},
};

Kind NearestKind(const Fields& fields) {
  if (!Field(fields, "journal").empty() || !Field(fields, "journaltitle").empty()) {
    return Kind::kArticle;
  }
  if (!Field(fields, "booktitle").empty()) return Kind::kChapter;
  return Kind::kBook;
}

// btparse takes writable C strings; it copies what it keeps.
std::vector<char> Writable(std::string_view text) {
  std::vector<char> out(text.begin(), text.end());
  out.push_back('\0');
  return out;
}

Reference Convert(std::string_view type, const Fields& fields, int line, std::string_view key,
                  std::vector<std::string>& warnings) {
  Reference r;
  bool known = false;
  for (const TypeRule& rule : kKnownTypes) {
    if (rule.type == type) {
      r.kind = rule.kind;
      known = true;
    }
  }
  if (!known) {
    r.kind = NearestKind(fields);
    warnings.push_back(LineWarning(line, key, UnknownTypeText(type, r.kind)));
  }
  r.authors = BibtexNames(Field(fields, "author"));
  r.editors = BibtexNames(Field(fields, "editor"));
  r.year = Text(fields, "year");
  if (r.year.empty()) r.year = YearOf(Text(fields, "date"));
  r.title = Text(fields, "title");
  r.subtitle = Text(fields, "subtitle");
  if (r.kind == Kind::kArticle) {
    r.container = Text(fields, "journal");
    if (r.container.empty()) r.container = Text(fields, "journaltitle");
  } else if (r.kind == Kind::kChapter) {
    r.container = Text(fields, "booktitle");
    // BibTeX's own @inbook: the title is the book's, the chapter its part.
    if (r.container.empty()) {
      r.container = r.title;
      r.title = Text(fields, "chapter");
    }
  }
  r.volume = Text(fields, "volume");
  r.issue = Text(fields, "number");
  if (r.issue.empty()) r.issue = Text(fields, "issue");
  r.pages = Text(fields, "pages");
  r.publisher = Text(fields, "publisher");
  r.place = Text(fields, "address");
  if (r.place.empty()) r.place = Text(fields, "location");
  r.edition = Text(fields, "edition");
  r.doi = Squeezed(Field(fields, "doi"));
  r.reading = FirstWord(Text(fields, "yomi"));
  // biblatex describes a translation by the translated work, with the
  // original in orig* fields; the table describes the original and adds the
  // translation. A chapter's original book title, editors and pages stay.
  const std::string original_title = Text(fields, "origtitle");
  if (!original_title.empty()) {
    r.translators = BibtexNames(Field(fields, "translator"));
    r.translated_title = r.title;
    r.translated_year = r.year;
    r.translated_publisher = r.publisher;
    r.title = original_title;
    r.subtitle.clear();
    r.year = Text(fields, "origyear");
    if (r.year.empty()) r.year = YearOf(Text(fields, "origdate"));
    r.publisher = Text(fields, "origpublisher");
    r.place = Text(fields, "origlocation");
  }
  return r;
}

// btparse writes its notes to standard error; they are caught in a
// temporary file for the length of the reading and given back as warnings.
class NoteCatcher {
 public:
  NoteCatcher() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(STDERR_FILENO);
    if (file_ != nullptr && saved_ >= 0) dup2(fileno(file_), STDERR_FILENO);
  }
  ~NoteCatcher() {
    Restore();
    if (file_ != nullptr) std::fclose(file_);
  }
  NoteCatcher(const NoteCatcher&) = delete;
  NoteCatcher& operator=(const NoteCatcher&) = delete;

  std::vector<std::string> Notes() {
    Restore();
    std::vector<std::string> notes;
    if (file_ == nullptr) return notes;
    std::rewind(file_);
    std::string all;
    char buffer[4096];
    size_t got = 0;
    while (all.size() < kMaxLibraryNotes && (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
      all.append(buffer, got);
    }
    size_t start = 0;
    while (start < all.size()) {
      size_t end = all.find('\n', start);
      if (end == std::string::npos) end = all.size();
      if (end > start) notes.push_back(all.substr(start, end - start));
      start = end + 1;
    }
    return notes;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }

  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

// bt_parse_entry returns NULL also after an error short of the end of the
// file. Only a call made at the end lets the file go; otherwise btparse
// still holds it, and the next file (the next run of a test or fuzz target)
// would be refused with exit(1) as "interleaved". So NULL is passed on only
// from a call made at the end.
AST* NextEntry(std::FILE* in, char* name, boolean* ok) {
  for (int tries = 0; tries < kMaxEmptyReturns; ++tries) {
    const bool at_end = std::feof(in) != 0;
    AST* entry = bt_parse_entry(in, name, 0, ok);
    if (entry != nullptr || at_end) return entry;
  }
  return nullptr;
}

}  // namespace

ReadResult ReadBibtex(std::string_view text, std::string_view name) {
  ReadResult result;
  if (text.empty()) return result;
  std::string data(text);
  // btparse measures its tokens with strlen, and a zero byte inside a value
  // makes it fail an assertion (abort). No BibTeX file needs one.
  for (char& c : data) {
    if (c == '\0') c = ' ';
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(fmemopen(data.data(), data.size(), "rb"),
                                                     &std::fclose);
  if (!in) return result;
  std::vector<char> file_name = Writable(name);
  std::vector<std::string> entry_warnings;
  {
    NoteCatcher catcher;
    bt_initialize();
    initialize_lexer_state();
    zzmode(kLexerStart);
    boolean ok = 0;
    while (AST* entry = NextEntry(in.get(), file_name.data(), &ok)) {
      const int line = entry->line;
      const char* raw_key = bt_entry_key(entry);
      const std::string key = raw_key != nullptr ? raw_key : "";
      if (!ok) {
        entry_warnings.push_back(LineWarning(line, key, msg::kSkipped));
      } else if (bt_entry_metatype(entry) == BTE_REGULAR) {
        Fields fields;
        char* field_name = nullptr;
        for (AST* field = bt_next_field(entry, nullptr, &field_name); field != nullptr;
             field = bt_next_field(entry, field, &field_name)) {
          // bt_get_text hands over a new string of its own making.
          char* value = bt_get_text(field);
          if (field_name != nullptr) fields[Lower(field_name)] = value != nullptr ? value : "";
          std::free(value);
        }
        const char* type = bt_entry_type(entry);
        result.references.push_back(Convert(Lower(type != nullptr ? type : ""), fields, line, key,
                                            entry_warnings));
      }
      bt_free_ast(entry);
    }
    bt_delete_all_macros();  // this file's @string definitions
    bt_cleanup();
    for (const std::string& note : catcher.Notes()) {
      result.warnings.push_back(std::string(msg::kWarning) + std::string(msg::kBibtexSays) + note);
    }
  }
  result.warnings.insert(result.warnings.end(), entry_warnings.begin(), entry_warnings.end());
  return result;
}

}  // namespace refimport
