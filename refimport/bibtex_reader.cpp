#include "refimport/bibtex_reader.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#if defined(__GLIBC__)
#include <stdio_ext.h>
#endif
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <btparse.h>

#include "platform/child_process.h"
#include "refimport/bibtex_names.h"
#include "refimport/latex_text.h"
#include "refimport/messages.h"
#include "refimport/text_rules.h"
#include "refimport/warning.h"

namespace refimport {
namespace {

// Each empty return has read on, so the end comes after a few.
constexpr int kMaxEmptyReturns = 1000;

// Far beyond any path; a longer one means the child's input is not ours.
constexpr uint32_t kMaxNameBytes = 1 << 16;

using Fields = std::map<std::string, std::string, std::less<>>;

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

std::string_view Field(const Fields& fields, std::string_view name) {
  const auto it = fields.find(name);
  return it == fields.end() ? std::string_view() : std::string_view(it->second);
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
    {"article", Kind::kArticle},  {"book", Kind::kBook},          {"incollection", Kind::kChapter},
    {"inbook", Kind::kChapter},   {"mvbook", Kind::kBook},        {"collection", Kind::kBook},
    {"suppbook", Kind::kChapter}, {"bookinbook", Kind::kChapter},
};

Kind NearestKind(const Fields& fields) {
  if (!Field(fields, "journal").empty() || !Field(fields, "journaltitle").empty()) {
    return Kind::kArticle;
  }
  if (!Field(fields, "booktitle").empty()) return Kind::kChapter;
  return Kind::kBook;
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

// btparse's notes, one a line, without empty lines.
std::vector<std::string> NoteLines(std::string_view all) {
  std::vector<std::string> notes;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    if (end > start) notes.emplace_back(all.substr(start, end - start));
    start = end + 1;
  }
  return notes;
}

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

// The reading runs in a child process that sends each entry to the parent
// as it is read: btparse 0.89 ends the process on some damaged input
// (exit(1) from a "usage error" after its error recovery, an assertion, a
// read through a bad pointer in its macro table, all found by fuzzing). The
// parent keeps every entry that came before, and btparse's global state
// never outlives one file.
enum class RecordTag : char { kEntry = 'E', kSkipped = 'S', kNote = 'N', kDone = 'D' };

// What the child has read and not yet sent. Records are sent in batches,
// since one write per entry costs more than the parsing; when btparse ends
// the child (exit, abort, a bad read) the handlers below still send what is
// pending. Set only in the child.
std::string* g_child_pending = nullptr;

void SendPending() {
  if (g_child_pending == nullptr) return;
  platform::WriteToParent(*g_child_pending);
  g_child_pending->clear();
}

extern "C" void SendPendingOnSignal(int signal_number) {
  SendPending();  // a plain write of a buffer that is always whole
  _Exit(128 + signal_number);
}

extern "C" void SendPendingAtExit() { SendPending(); }

class RecordWriter {
 public:
  RecordWriter() {
    g_child_pending = &pending_;
    std::atexit(SendPendingAtExit);
    for (const int signal_number : {SIGSEGV, SIGABRT, SIGFPE, SIGILL}) {
      std::signal(signal_number, SendPendingOnSignal);
    }
#ifdef SIGBUS  // not on Windows
    std::signal(SIGBUS, SendPendingOnSignal);
#endif
  }
  ~RecordWriter() { g_child_pending = nullptr; }
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  void Add(std::string_view text) {
    const auto size = static_cast<uint32_t>(text.size());
    buffer_.append(reinterpret_cast<const char*>(&size), sizeof size);
    buffer_.append(text);
  }
  // Queues what was added as one record, so the parent sees whole entries.
  void Send(RecordTag tag) {
    const auto size = static_cast<uint32_t>(buffer_.size());
    std::string record(1, static_cast<char>(tag));
    record.append(reinterpret_cast<const char*>(&size), sizeof size);
    record += buffer_;
    buffer_.clear();
    pending_ += record;  // one append: the pending bytes are always whole records
    if (pending_.size() >= kBatchBytes) SendPending();
  }
  void Flush() { SendPending(); }

 private:
  static constexpr size_t kBatchBytes = size_t{1} << 16;
  std::string buffer_;
  std::string pending_;
};

// The child's input: the length of `name`, `name` and `text`. btparse
// measures its tokens with strlen, and a zero byte inside a value makes it
// fail an assertion; no BibTeX file needs one, so they become blanks.
std::string ChildInput(std::string_view name, std::string_view text) {
  const auto size = static_cast<uint32_t>(name.size());
  std::string input(reinterpret_cast<const char*>(&size), sizeof size);
  input += name;
  const size_t text_start = input.size();
  input += text;
  for (size_t i = text_start; i < input.size(); ++i) {
    if (input[i] == '\0') input[i] = ' ';
  }
  return input;
}

// The file name at the start of the child's input, as the writable C string
// btparse takes (it copies what it keeps); false when it is cut short.
bool ReadChildName(std::FILE* in, std::vector<char>& name) {
  uint32_t size = 0;
  if (std::fread(&size, sizeof size, 1, in) != 1 || size > kMaxNameBytes) return false;
  name.assign(size + 1, '\0');
  return std::fread(name.data(), 1, size, in) == size;
}

// Cuts the child's records apart; a record cut short (the child died while
// sending it) is left out.
class RecordReader {
 public:
  explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
  size_t consumed() const { return pos_; }
  bool Next(RecordTag* tag, std::vector<std::string>* texts) {
    constexpr size_t kHead = 1 + sizeof(uint32_t);
    if (bytes_.size() - pos_ < kHead) return false;
    uint32_t size = 0;
    std::memcpy(&size, bytes_.data() + pos_ + 1, sizeof size);
    if (bytes_.size() - pos_ - kHead < size) return false;
    *tag = static_cast<RecordTag>(bytes_[pos_]);
    std::string_view body = bytes_.substr(pos_ + kHead, size);
    pos_ += kHead + size;
    texts->clear();
    while (body.size() >= sizeof(uint32_t)) {
      uint32_t len = 0;
      std::memcpy(&len, body.data(), sizeof len);
      body.remove_prefix(sizeof len);
      if (body.size() < len) break;
      texts->emplace_back(body.substr(0, len));
      body.remove_prefix(len);
    }
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

}  // namespace

int ReadBibtexInChild(std::FILE* input) {
  std::vector<char> file_name;
  if (!ReadChildName(input, file_name)) return 1;
  RecordWriter out;
#if defined(__GLIBC__)
  // Only this thread reads the input, and btparse takes it a getc at a
  // time: a lock for each byte was a fifth of the child's work.
  __fsetlocking(input, FSETLOCKING_BYCALLER);
#endif
  bt_initialize();
  boolean ok = 0;
  while (AST* entry = NextEntry(input, file_name.data(), &ok)) {
    const char* key = bt_entry_key(entry);
    out.Add(std::to_string(entry->line));
    out.Add(key != nullptr ? key : "");
    if (!ok) {
      out.Send(RecordTag::kSkipped);
    } else if (bt_entry_metatype(entry) == BTE_REGULAR) {
      const char* type = bt_entry_type(entry);
      out.Add(type != nullptr ? type : "");
      char* field_name = nullptr;
      for (AST* field = bt_next_field(entry, nullptr, &field_name); field != nullptr;
           field = bt_next_field(entry, field, &field_name)) {
        // bt_get_text hands over a new string of its own making.
        char* value = bt_get_text(field);
        out.Add(field_name != nullptr ? field_name : "");
        out.Add(value != nullptr ? value : "");
        std::free(value);
      }
      out.Send(RecordTag::kEntry);
    } else {
      out.Send(RecordTag::kNote);  // @string, @comment, @preamble: nothing to keep
    }
    bt_free_ast(entry);
  }
  out.Send(RecordTag::kDone);
  out.Flush();
  std::fflush(stderr);
  return 0;
}

ReadResult ReadBibtex(std::string_view text, std::string_view name, const ReferenceSink& taken) {
  ReadResult result;
  if (text.empty()) return result;
  // The records are turned into references as they come, while the child
  // goes on reading.
  std::vector<std::string> entry_warnings;
  std::vector<std::string> texts;
  bool done = false;
  int last_line = 1;
  const auto take = [&](RecordTag tag) {
    if (tag == RecordTag::kDone) done = true;
    if ((tag != RecordTag::kEntry && tag != RecordTag::kSkipped) || texts.size() < 2) return;
    const int line = std::atoi(texts[0].c_str());
    last_line = line;
    if (tag == RecordTag::kSkipped) {
      entry_warnings.push_back(LineWarning(line, texts[1], msg::kSkipped));
      return;
    }
    Fields fields;
    for (size_t i = 3; i + 1 < texts.size(); i += 2) fields[Lower(texts[i])] = texts[i + 1];
    Reference reference =
        Convert(Lower(texts.size() > 2 ? texts[2] : ""), fields, line, texts[1], entry_warnings);
    // What a sink takes is not kept as well: a large file's references
    // would otherwise be held, and moved as their list grows, to no end.
    if (taken) {
      taken(reference);
    } else {
      result.references.push_back(std::move(reference));
    }
  };
  std::string bytes;
  const std::optional<std::string> notes =
      platform::RunInChild(&ReadBibtexInChild, ChildInput(name, text), [&](std::string_view piece) {
        bytes.append(piece);
        RecordReader records(bytes);
        RecordTag tag{};
        while (records.Next(&tag, &texts)) take(tag);
        bytes.erase(0, records.consumed());  // a record cut short waits for its rest
      });
  // btparse's notes, when it finished: a child that died may have left
  // half a line.
  if (done && notes) {
    for (const std::string& note : NoteLines(*notes)) {
      result.warnings.push_back(std::string(msg::kWarning) + std::string(msg::kBibtexSays) + note);
    }
  }
  if (!done) entry_warnings.push_back(LineWarning(last_line, "", msg::kBibtexGaveUp));
  result.warnings.insert(result.warnings.end(), entry_warnings.begin(), entry_warnings.end());
  return result;
}

}  // namespace refimport
