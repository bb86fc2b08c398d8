// One reference as a reader found it, in UTF-8, before it becomes a row of
// the shared table. The readers fill what their format gives; table_row.h
// decides categories, name forms and the edition wording.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace refimport {

enum class Kind { kArticle, kBook, kChapter };

// A person's name in parts. `literal` holds a name given as one text (an
// institution, or a Japanese name written without a separator).
struct Name {
  std::string family;  // with any particle ("van IJzendoorn")
  std::string given;
  std::string literal;
};

struct Reference {
  Kind kind = Kind::kBook;
  std::vector<Name> authors;
  std::vector<Name> editors;
  std::string year;
  std::string title;
  std::string subtitle;   // from a field of its own; a title may still hold one
  std::string container;  // journal, or the book holding a chapter
  std::string volume;
  std::string issue;
  std::string pages;
  std::string publisher;
  std::string place;
  std::string edition;  // as the source gives it: "2", "2nd", "second", "第2版"
  std::string doi;
  std::string reading;  // of the first author's family name
  // A Japanese translation of the work: then the fields above describe the
  // original, and the table's category is tbook or tchapter.
  std::vector<Name> translators;
  std::string translated_title;
  std::string translated_year;
  std::string translated_publisher;
};

// What a reader made of a file: the references in file order, and one
// warning text (UTF-8, naming the line or entry) per entry skipped or
// changed on the way.
// Sees each reference as soon as a reader has it.
using ReferenceSink = std::function<void(const Reference&)>;

struct ReadResult {
  std::vector<Reference> references;
  std::vector<std::string> warnings;
};

}  // namespace refimport
