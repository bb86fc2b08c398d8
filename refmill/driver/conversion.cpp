#include "refmill/driver/conversion.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "platform/collation.h"
#include "platform/encoding.h"
#include "platform/worker_pool.h"
#include "refmill/driver/message_output.h"
#include "refmill/format/entry_formatter.h"
#include "refmill/format/fields.h"
#include "refmill/format/sort_key.h"
#include "refmill/format/value_memo.h"
#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"

namespace refmill::driver {
namespace {

using format::EntryContext;
using format::FieldList;
using format::StyleFault;
using format::TextOrFault;

constexpr std::string_view kGetaMark = "\x81\xAC";  // 〓

bool IsEntryLine(char first_byte) { return first_byte == '*'; }

int LineNumber(size_t index) { return static_cast<int>(index + 1); }

// Warnings of one part of the table, kept until the parts before it have
// written theirs; dropped at once when they would not be shown anyway. A
// table can warn on every one of millions of lines, so they are packed into
// one text rather than kept as objects of their own.
class HeldWarnings : public format::WarningSink {
 public:
  explicit HeldWarnings(bool keep) : keep_(keep) {}
  // `pass` is asked to pass the warnings on whenever a good many are held:
  // it may, once the parts before have written theirs.
  void PassWhenMany(std::function<void()> pass) { pass_ = std::move(pass); }
  void Warn(int line, format::Warning warning, std::string_view detail) override {
    if (!keep_) return;
    const Head head{line, warning, detail.size()};
    held_.append(reinterpret_cast<const char*>(&head), sizeof head);
    held_.append(detail);
    constexpr size_t kMany = size_t{64} << 10;
    if (held_.size() >= kMany && pass_) pass_();
  }
  // Forgets the warnings passed on, keeping the room they took.
  void Clear() { held_.clear(); }
  void PassOn(format::WarningSink& sink) const {
    for (size_t at = 0; at < held_.size();) {
      Head head;
      std::memcpy(&head, held_.data() + at, sizeof head);
      at += sizeof head;
      sink.Warn(head.line, head.warning, std::string_view(held_).substr(at, head.detail_length));
      at += head.detail_length;
    }
  }

 private:
  struct Head {
    int line;
    format::Warning warning;
    size_t detail_length;
  };
  bool keep_;
  std::string held_;
  std::function<void()> pass_;
};

class NoWarnings : public format::WarningSink {
 public:
  void Warn(int, format::Warning, std::string_view) override {}
};

// Hands the pages of a table read in place back to the system behind a
// walk through it in its own order, in steps of `step` bytes; nothing for
// a table in memory.
class ForgetBehind {
 public:
  ForgetBehind(const platform::MappedFile* mapped, const char* from, ptrdiff_t step)
      : mapped_(mapped), from_(from), step_(step) {}
  // The walk has reached `at`.
  void At(const char* at) {
    if (at - from_ >= step_) UpTo(at);
  }
  void UpTo(const char* to) {
    if (mapped_ == nullptr) return;
    mapped_->Forget({from_, static_cast<size_t>(to - from_)});
    from_ = to;
  }

 private:
  const platform::MappedFile* mapped_;
  const char* from_;
  ptrdiff_t step_;
};

// Reads pieces of a table read in place from its file, a window at a time,
// in the table's own order, instead of through the mapping: each page
// touched in place brings its neighbours back with it, faster than a walk
// can hand them back, and a walk after the sort comes when the run holds
// the most. Where the file cannot be read, the pieces are read in place.
class WindowedReads {
 public:
  explicit WindowedReads(const platform::MappedFile& mapped) : mapped_(mapped) {}
  // The bytes of `part`, a piece of the mapped text, until the next call.
  std::string_view Read(std::string_view part) {
    constexpr size_t kWindow = size_t{64} << 10;
    const std::string_view text = mapped_.Text();
    const auto offset = static_cast<size_t>(part.data() - text.data());
    if (offset < window_at_ || offset + part.size() > window_at_ + window_.size()) {
      const size_t size = std::min(std::max(kWindow, part.size()), text.size() - offset);
      window_.resize(size);
      if (!mapped_.ReadAt(offset, size, window_.data())) {
        window_.clear();
        return part;
      }
      window_at_ = offset;
    }
    return std::string_view(window_).substr(offset - window_at_, part.size());
  }

 private:
  const platform::MappedFile& mapped_;
  std::string window_;
  size_t window_at_ = 0;
};

}  // namespace

// Written at every entry by the worker of its part: a cache line each, as
// for the arenas.
struct alignas(64) Conversion::Part {
  explicit Part(bool keep_warnings) : warnings(keep_warnings) {}
  HeldWarnings warnings;
  std::optional<StyleFault> fault;
  std::vector<uint32_t> literal_lines;  // in source order
};

Conversion::Conversion(std::string_view source, const format::StyleSettings& settings,
                       MessageOutput& messages, const platform::MappedFile* mapped)
    : source_lines_(source),
      source_size_(source.size()),
      settings_(settings),
      entry_behind_line_(settings.order.First().has_value()),
      messages_(messages),
      mapped_(mapped) {}

// Column 0 begins the split text, and the split only inserts "|" between
// commas, so a column lies in the line a few bytes before its offset in the
// split text: as many as empty columns came before it. Equal bytes are all
// the neighbour pass needs, so the first place that matches is taken.
uint32_t Conversion::AuthorOffset(std::string_view line, const FieldList& fields,
                                  std::string_view column) {
  constexpr size_t kEmptyColumnsLookedPast = 64;
  const std::string_view start = fields[0];
  if (column.empty() || column.data() < start.data()) return 0;
  const auto offset = static_cast<size_t>(column.data() - start.data());
  for (size_t shift = 0; shift <= std::min(offset, kEmptyColumnsLookedPast); ++shift) {
    const size_t at = offset - shift;
    if (at <= line.size() && line.size() - at >= column.size() &&
        line.compare(at, column.size(), column) == 0) {
      return static_cast<uint32_t>(at);
    }
  }
  return Entry::kAuthorInArena;
}

void Conversion::FormatLines(size_t begin, size_t end, Part& part, Entry* out, const char** lines,
                             TextArena& arena, TextArena& line_arena,
                             format::ValueMemo& memo) const {
  const format::PlaceholderColumns& roles = settings_.roles;
  // The source read so far, from here on, goes back to the system after
  // every few megabytes.
  ForgetBehind forget(mapped_, source_lines_.Start(begin), ptrdiff_t{4} << 20);
  for (size_t i = begin; i < end; ++i) {
    forget.At(source_lines_.Start(i));
    if (!IsEntryLine(source_lines_.FirstByte(i))) continue;
    const EntryContext ctx{settings_, LineNumber(i), part.warnings, &memo};
    const FieldList fields = format::SplitFields(source_lines_[i]);
    TextOrFault key = format::MakeSortKey(fields, ctx);
    if (auto* fault = std::get_if<StyleFault>(&key)) {
      part.fault = *fault;
      return;
    }
    std::string order_text;
    bool literally = false;
    TextOrFault text = format::FormatEntry(fields, false, {}, ctx, &order_text, &literally);
    if (literally) part.literal_lines.push_back(static_cast<uint32_t>(i));
    if (auto* fault = std::get_if<StyleFault>(&text)) {
      part.fault = *fault;
      return;
    }
    const std::string& sort_field = std::get<std::string>(key);
    const std::string& entry_text = std::get<std::string>(text);
    WarnNotInShiftJis(entry_text, ctx);
    // Kept for the neighbour pass, which compares these columns; a column
    // beyond the entry is reported there, as the style's fault.
    const auto author = fields.At(roles.author).value_or(std::string_view());
    const auto year = fields.At(roles.year).value_or(std::string_view());
    // The author column is mostly the source's bytes, which need no copy;
    // only the "|" that the split puts between empty columns is not. A
    // table read in place is not read again at random, though (see
    // GatherMarkedLines): its authors are kept with the entry.
    const uint32_t author_offset =
        mapped_ != nullptr ? Entry::kAuthorInArena : AuthorOffset(source_lines_[i], fields, author);
    const std::string_view kept_author =
        author_offset == Entry::kAuthorInArena ? author : std::string_view();
    const std::string index = std::to_string(i);
    Entry& entry = *out++;
    if (entry_behind_line_) {
      // Sorted by the style's order text; the formatted entry, which differs
      // by file type, is kept apart from the line.
      *lines++ = line_arena.StoreWritable(sort_field, std::string_view(" |"), order_text,
                                          std::string_view("|"), index);
      entry.texts = arena.StoreWritable(entry_text, kept_author, year);
      entry.line_length =
          static_cast<uint32_t>(sort_field.size() + 2 + order_text.size() + 1 + index.size());
    } else {
      entry.texts = arena.StoreWritable(sort_field, std::string_view(" |"), entry_text,
                                        std::string_view("|"), index, kept_author, year);
      entry.line_length =
          static_cast<uint32_t>(sort_field.size() + 2 + entry_text.size() + 1 + index.size());
    }
    entry.source_index = static_cast<uint32_t>(i);
    entry.text_length = static_cast<uint32_t>(entry_text.size());
    entry.author_offset = fields.At(roles.author) ? author_offset : Entry::kAuthorMissing;
    entry.author_length = static_cast<uint32_t>(author.size());
    entry.year_length =
        fields.At(roles.year) ? static_cast<uint32_t>(year.size()) : Entry::kYearMissing;
  }
  forget.UpTo(source_lines_.Start(end));
}

std::optional<StyleFault> Conversion::FirstPass() {
  const size_t lines = source_lines_.size();
  const size_t workers = platform::WorkerCount(lines);
  // The table goes in parts of a few thousand lines to whichever worker is
  // free: halves of a table seldom take the same time, and one core would
  // wait for the other by up to a twentieth of the pass.
  constexpr size_t kLinesPerPart = 4096;
  const size_t part_count = std::max<size_t>(1, (lines + kLinesPerPart - 1) / kLinesPerPart);
  const auto part_start = [&](size_t p) { return std::min(lines, p * kLinesPerPart); };
  // Each part's entries go straight to their place in the list, so the list
  // is never held twice: count them first, which costs one byte per line.
  std::vector<size_t> first_entry(part_count + 1, 0);
  for (size_t p = 0; p < part_count; ++p) {
    size_t count = 0;
    for (size_t i = part_start(p); i < part_start(p + 1); ++i) {
      count += IsEntryLine(source_lines_.FirstByte(i)) ? 1 : 0;
    }
    first_entry[p + 1] = first_entry[p] + count;
  }
  entries_.resize(first_entry[part_count]);
  if (entry_behind_line_) {
    sort_lines_ = std::make_unique_for_overwrite<const char*[]>(entries_.size());
  }
  // Nothing to hold when the warnings would not be shown.
  std::vector<Part> parts(part_count, Part(messages_.NoticesOn()));
  const size_t first_arena = arenas_.size();
  arenas_.resize(first_arena + workers);
  line_arenas_.resize(workers);
  // A part's warnings go out as soon as the parts before it have written
  // theirs, and while it is formatted once they have: a table that warns on
  // every line would otherwise hold them all until the end, in many small
  // pieces of memory. After a part with a fault of the style, none go out.
  std::mutex passing;
  std::vector<char> finished(part_count, 0);
  size_t next_to_pass = 0;
  std::optional<StyleFault> fault;
  std::atomic<bool> faulted{false};
  for (size_t p = 0; p < part_count; ++p) {
    parts[p].warnings.PassWhenMany([&, p] {
      const std::lock_guard<std::mutex> lock(passing);
      if (fault || next_to_pass != p) return;
      parts[p].warnings.PassOn(messages_);
      parts[p].warnings.Clear();
    });
  }
  const auto pass_on = [&](size_t p) {
    const std::lock_guard<std::mutex> lock(passing);
    finished[p] = 1;
    while (!fault && next_to_pass < part_count && finished[next_to_pass] != 0) {
      Part& part = parts[next_to_pass];
      literal_lines_.insert(literal_lines_.end(), part.literal_lines.begin(),
                            part.literal_lines.end());
      part.warnings.PassOn(messages_);
      part.warnings = HeldWarnings(false);
      fault = part.fault;
      if (!fault) ++next_to_pass;
    }
    if (fault) faulted = true;
  };
  std::atomic<size_t> next_part{0};
  platform::RunWorkers(workers, [&](size_t w) {
    // Author lists and readings come again all over the table: a worker
    // remembers them across its parts.
    format::ValueMemo memo;
    for (size_t p = next_part++; p < part_count && !faulted; p = next_part++) {
      const char** lines_from = sort_lines_ ? sort_lines_.get() + first_entry[p] : nullptr;
      FormatLines(part_start(p), part_start(p + 1), parts[p], entries_.data() + first_entry[p],
                  lines_from, arenas_[first_arena + w], line_arenas_[w], memo);
      pass_on(p);
    }
  });
  return fault;
}

void Conversion::Sort() {
  SortByLines();
  // Read no more: the neighbours are found by the entries' columns.
  sort_lines_.reset();
  line_arenas_.clear();
}

void Conversion::SortByLines() {
  if (settings_.sort != 1 && settings_.sort != 2) return;
  const platform::TextAt line = [this](uint32_t i) { return SortLine(i); };
  const std::vector<uint32_t> order = platform::JapaneseSortOrder(
      static_cast<uint32_t>(entries_.size()), line, 2, settings_.private_codes);
  std::vector<Entry> sorted(entries_.size());
  platform::ForEachPart(order.size(), platform::WorkerCount(order.size()),
                        [&](size_t begin, size_t end, size_t) {
                          for (size_t k = begin; k < end; ++k) {
                            if (k + kPrefetchDistance < end) {
                              __builtin_prefetch(&entries_[order[k + kPrefetchDistance]]);
                            }
                            sorted[k] = entries_[order[k]];
                          }
                        });
  entries_ = std::move(sorted);
}

std::optional<StyleFault> Conversion::NeighbourPass() {
  if (auto fault = MarkNeighbours()) return fault;
  return FormatMarked();
}

std::optional<StyleFault> Conversion::MarkNeighbours() {
  const format::StyleSettings& s = settings_;
  redo_.clear();
  if (s.samename.empty() && !s.sameyear) return std::nullopt;

  // Walking the sorted list, decide which entries repeat the author before
  // them and which letter each gets; the decisions depend only on
  // neighbours, so the entries can then be formatted again in any order.
  // Each entry's columns against the one before it; the comparisons wait
  // for memory, the sorted entries' columns lying all over it, so both
  // cores make them.
  enum : uint8_t { kSameAuthor = 1, kSameYear = 2, kColumnMissing = 4 };
  const size_t n = entries_.size();
  std::vector<uint8_t> same(n, 0);
  platform::ForEachPart(n, platform::WorkerCount(n), [&](size_t begin, size_t end, size_t) {
    for (size_t k = begin; k < end; ++k) {
      if (k + 2 * kPrefetchDistance < end) {
        source_lines_.PrefetchStart(entries_[k + 2 * kPrefetchDistance].source_index);
      }
      if (k + kPrefetchDistance < end) PrefetchColumns(entries_[k + kPrefetchDistance]);
      const Entry& entry = entries_[k];
      if (entry.author_offset == Entry::kAuthorMissing ||
          entry.year_length == Entry::kYearMissing) {
        same[k] |= kColumnMissing;
        continue;
      }
      if (k == 0) continue;
      const Entry& before = entries_[k - 1];
      if (text::EqualsIgnoringAsciiCase(Author(entry), Author(before))) same[k] |= kSameAuthor;
      if (text::EqualsIgnoringAsciiCase(Year(entry), Year(before))) same[k] |= kSameYear;
    }
  });
  // The marks follow from the flags alone: the walk is made once to count
  // them, so that the list of marks (an entry each, in some lists) is made
  // at its size, and once to make it.
  auto walk = [&](auto&& mark, auto&& unmark) -> std::optional<size_t> {
    size_t group_first = 0;
    size_t group_size = 1;      // entries of the current group so far
    bool first_repeat = false;  // the group's first entry's repeat flag
    std::optional<size_t> last_marked;
    for (size_t k = 0; k < n; ++k) {
      if ((same[k] & kColumnMissing) != 0) return k;
      const bool same_author = (same[k] & kSameAuthor) != 0;
      const bool same_year = (same[k] & kSameYear) != 0;
      const bool repeat = !s.samename.empty() && same_author;
      std::optional<uint32_t> letter;
      if (s.sameyear && same_author && same_year) {
        if (group_size == 1) {
          // The group's first entry is the one just before: it gets its "a" now.
          if (last_marked == group_first) unmark();
          mark(Redo{static_cast<uint32_t>(group_first), first_repeat, 0});
          last_marked = group_first;
        }
        letter = static_cast<uint32_t>(group_size++);
      } else {
        group_first = k;
        group_size = 1;
        first_repeat = repeat;
      }
      if (repeat || letter) {
        mark(Redo{static_cast<uint32_t>(k), repeat, letter});
        last_marked = k;
      }
    }
    return std::nullopt;
  };
  size_t marks = 0;
  const std::optional<size_t> missing = walk([&](const Redo&) { ++marks; }, [&] { --marks; });
  if (missing) {
    const Entry& entry = entries_[*missing];
    const bool author = entry.author_offset == Entry::kAuthorMissing;
    return StyleFault{StyleFault::Kind::kMissingColumn, author ? "$AT" : "$YR",
                      author ? settings_.roles.author : settings_.roles.year,
                      LineNumber(entry.source_index)};
  }
  redo_.reserve(marks);
  walk([&](const Redo& r) { redo_.push_back(r); }, [&] { redo_.pop_back(); });
  GatherMarkedLines();
  return std::nullopt;
}

void Conversion::GatherMarkedLines() {
  marked_lines_.clear();
  if (mapped_ == nullptr || redo_.empty()) return;
  // The marked entries' lines lie all over a table read in place. Read
  // there in list order, every page read would come back with its
  // neighbours (the system maps them together) and stay for the rest of
  // the run: the whole table held a second time. So they are copied in one
  // walk in the table's order, read from the file rather than in place.
  // Where most entries are marked, whole copies would hold as much as the
  // pages: only the columns the marks read are kept then, and the few
  // entries formatted whole again read the rest from the file. Where few are,
  // their lines are kept whole, since each line read in place would bring
  // back the pages around it.
  // And where the style formats every marked entry whole again (the year
  // twice in each template), the first columns would serve none of them;
  // where it does so for some templates, their entries' lines are kept
  // whole, which costs less than reading them from the file one by one.
  const bool most = redo_.size() > entries_.size() / 2;
  const size_t columns = most ? format::ColumnsReadForMarks(settings_) : SIZE_MAX;
  if (most && (columns == SIZE_MAX || format::MarksFormatEntriesWhole(settings_))) return;
  const bool by_template = most && format::SomeMarksFormatEntriesWhole(settings_);
  const auto formatted_whole = [&](std::string_view line, const Redo& mark) {
    constexpr size_t kCategoryColumns = 2;
    // The category may lie in the list's own copy of the line.
    const format::FieldList fields = format::SplitFields(line, kCategoryColumns);
    return format::FormatsMarkedEntryWhole(fields.At(1).value_or(std::string_view()), mark.repeat,
                                           mark.letter.has_value(), settings_);
  };
  constexpr uint32_t kUnmarked = UINT32_MAX;
  const size_t lines = source_lines_.size();
  std::vector<uint32_t> mark_of_line(lines, kUnmarked);
  for (size_t r = 0; r < redo_.size(); ++r) {
    mark_of_line[entries_[redo_[r].entry].source_index] = static_cast<uint32_t>(r);
  }
  marked_lines_.resize(redo_.size());
  const size_t workers = platform::WorkerCount(redo_.size());
  const size_t first_arena = arenas_.size();
  arenas_.resize(first_arena + workers);
  platform::ForEachPart(lines, workers, [&](size_t begin, size_t end, size_t w) {
    TextArena& arena = arenas_[first_arena + w];
    WindowedReads reads(*mapped_);
    for (size_t i = begin; i < end; ++i) {
      if (mark_of_line[i] == kUnmarked) continue;
      const std::string_view whole = reads.Read(source_lines_.WithBreak(i));
      const std::string_view line = text::LineIndex::WithoutBreak(whole);
      const size_t reach =
          columns == SIZE_MAX ||
                  std::binary_search(literal_lines_.begin(), literal_lines_.end(), i) ||
                  (by_template && formatted_whole(line, redo_[mark_of_line[i]]))
              ? line.size()
              : format::SplitReach(line, columns);
      marked_lines_[mark_of_line[i]] =
          arena.Store(reach < line.size() ? line.substr(0, reach) : whole);
    }
  });
}

std::optional<std::pair<size_t, StyleFault>> Conversion::FormatMarked(
    size_t begin, size_t end, const PutMarked& put, std::atomic<ptrdiff_t>& reads_left) {
  // Every warning was written in the first pass already.
  NoWarnings silent;
  format::UnmarkedValues known;
  format::ValueMemo memo;
  // The few columns the marks may change are split off; the whole line only
  // for an entry formatted whole again.
  const size_t columns = format::ColumnsReadForMarks(settings_);
  std::string read_again;
  for (size_t r = begin; r < end; ++r) {
    // The entries' source lines lie all over the table.
    if (r + 2 * kPrefetchDistance < end && marked_lines_.empty()) {
      source_lines_.PrefetchStart(entries_[redo_[r + 2 * kPrefetchDistance].entry].source_index);
    }
    if (r + kPrefetchDistance < end) {
      PrefetchText(MarkedLine(r + kPrefetchDistance));
      PrefetchText(FirstPassText(redo_[r + kPrefetchDistance].entry));
    }
    const Redo& marked = redo_[r];
    const Entry& entry = entries_[marked.entry];
    const EntryContext ctx{settings_, LineNumber(entry.source_index), silent, &memo};
    const std::string_view line = MarkedLine(r);
    const std::string letter = marked.letter ? format::YearLetter(*marked.letter) : "";
    // Mostly only the author list or the year changes: those values are put
    // into the text the first pass made, instead of making every value again.
    std::optional<std::string> spliced;
    if (!std::binary_search(literal_lines_.begin(), literal_lines_.end(), entry.source_index)) {
      spliced =
          format::FormatMarkedEntry(format::SplitFields(line, columns), FirstPassText(marked.entry),
                                    marked.repeat, letter, ctx, &known);
    }
    TextOrFault text =
        spliced ? TextOrFault(std::move(*spliced))
                : format::FormatEntry(format::SplitFields(WholeLine(r, read_again, reads_left)),
                                      marked.repeat, letter, ctx);
    if (auto* fault = std::get_if<StyleFault>(&text)) return std::pair(r, *fault);
    put(marked.entry, std::get<std::string>(text));
  }
  return std::nullopt;
}

ptrdiff_t Conversion::LineReads() const {
  // Lines kept only in part that are needed whole are read from the file,
  // a call each. Past a share of the marks (a style whose marks are mostly
  // formatted whole) that costs more than the pages, and they are read in
  // place. The share is of the whole list: the entries formatted whole
  // again come in runs (one reference many times over sorts together).
  constexpr size_t kFewReads = 1024;
  return static_cast<ptrdiff_t>(kFewReads + redo_.size() / 32);
}

std::string_view Conversion::WholeLine(size_t r, std::string& buffer,
                                       std::atomic<ptrdiff_t>& reads_left) const {
  const uint32_t i = entries_[redo_[r].entry].source_index;
  const std::string_view at = source_lines_.WithBreak(i);
  // A copy of a whole line keeps its break, which tells it from a start.
  if (marked_lines_.empty() || marked_lines_[r].size() == at.size()) return MarkedLine(r);
  // Read in place, the line would bring back the pages around it.
  if (reads_left.fetch_sub(1, std::memory_order_relaxed) > 0) {
    buffer.resize(at.size());
    if (mapped_->ReadAt(static_cast<size_t>(at.data() - mapped_->Text().data()), at.size(),
                        buffer.data())) {
      return text::LineIndex::WithoutBreak(buffer);
    }
  }
  return source_lines_[i];
}

std::optional<StyleFault> Conversion::FormatMarked() {
  if (redo_.empty()) return std::nullopt;
  const size_t workers = platform::WorkerCount(redo_.size());
  std::vector<std::optional<std::pair<size_t, StyleFault>>> faults(workers);
  const size_t first_arena = arenas_.size();
  arenas_.resize(first_arena + workers);
  redone_.assign(entries_.size(), std::string_view());
  std::atomic<ptrdiff_t> reads_left{LineReads()};
  platform::ForEachPart(redo_.size(), workers, [&](size_t begin, size_t end, size_t w) {
    TextArena& arena = arenas_[first_arena + w];
    // The entry's own texts are read no more once the neighbours are
    // marked: the new text takes their place where it fits, which for a
    // list whose entries nearly all repeat their authors saves a second
    // copy of it.
    const PutMarked keep = [&](size_t entry, std::string_view again) {
      Entry& stored = entries_[entry];
      if (again.size() <= StoredLength(stored)) {
        if (!again.empty()) std::memcpy(stored.texts, again.data(), again.size());
        redone_[entry] = std::string_view(stored.texts, again.size());
      } else {
        redone_[entry] = arena.Store(again);
      }
    };
    faults[w] = FormatMarked(begin, end, keep, reads_left);
  });
  for (const auto& fault : faults) {
    if (fault) return fault->second;
  }
  return std::nullopt;
}

std::optional<StyleFault> Conversion::RenderFormattingMarked(
    const std::function<void(std::string_view)>& write) {
  // The list is made in blocks of entries, in list order, by workers of
  // their own: each formats its block's marked entries again, puts the
  // block's lines together and encodes them; the writer only hands the
  // finished blocks on, one after the other. A few blocks at most wait
  // for the writer, so the list is never held whole.
  const size_t n = entries_.size();
  // A block ends after this many entries or bytes (as the first pass made
  // them), whichever comes first: entries of a huge template must not make
  // the blocks waiting for the writer hold much of the list.
  constexpr size_t kBlockEntries = 4096;
  constexpr size_t kBlockBytes = size_t{256} << 10;
  constexpr size_t kAhead = 8;  // blocks made but not yet written, at most
  std::vector<size_t> cuts{0};  // where each block begins, then n
  for (size_t k = 0, bytes = 0; k < n; ++k) {
    bytes += entries_[k].text_length;
    if (k + 1 - cuts.back() >= kBlockEntries || bytes >= kBlockBytes) {
      cuts.push_back(k + 1);
      bytes = 0;
    }
  }
  if (cuts.back() != n) cuts.push_back(n);
  const size_t blocks = cuts.size() - 1;
  enum State : uint8_t { kPending, kDone, kFailed };
  // Where each block's marked entries begin in the list of marks.
  std::vector<size_t> first_mark(blocks + 1, redo_.size());
  for (size_t b = 0, r = 0; b < blocks; ++b) {
    while (r < redo_.size() && redo_[r].entry < cuts[b]) ++r;
    first_mark[b] = r;
  }
  // A mutex and a condition rather than waiting on atomics, which not every
  // standard library we build with does reliably.
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<State> states(blocks, kPending);
  std::vector<std::optional<StyleFault>> faults(blocks);
  std::array<std::string, kAhead> made;  // by block number modulo kAhead
  // Blocks written, kept for their room: a block made in fresh memory has
  // every page of it given by the system first, which costs as much as
  // making it.
  std::vector<std::string> spare;
  size_t written = 0;  // blocks handed to `write`
  size_t next_block = 0;
  bool stop = false;
  const size_t workers = platform::WorkerCount(n);
  const bool encoded = NeedsEncoding();
  auto write_lines = [&](std::string_view lines) {
    if (!encoded) {
      write(lines);
      return;
    }
    const std::string text = Encode(lines);
    write(text);
  };
  std::optional<StyleFault> result;
  std::atomic<ptrdiff_t> reads_left{LineReads()};
  platform::RunWorkers(workers + 1, [&](size_t w) {
    if (w > 0) {
      for (;;) {
        size_t b = 0;
        std::string lines;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(
              lock, [&] { return stop || next_block >= blocks || next_block < written + kAhead; });
          if (stop || next_block >= blocks) return;
          b = next_block++;
          if (!spare.empty()) {
            lines = std::move(spare.back());
            spare.pop_back();
          }
        }
        lines.clear();
        // A block left pending would keep the writer waiting for ever.
        std::optional<StyleFault> fault;
        try {
          const auto append = [&lines](std::string_view piece) { lines.append(piece); };
          size_t next = cuts[b];  // the first entry not yet in `lines`
          // Marked entries go straight into the lines: the list is written
          // in sorted order, while the entries' own texts lie in source
          // order all over memory, so storing them first would write and
          // read each again at a place of its own.
          const PutMarked put = [&](size_t entry, std::string_view text) {
            WriteEntries(next, entry, append);
            lines.append(text);
            lines.append(kLineBreak);
            next = entry + 1;
          };
          if (const auto marked = FormatMarked(first_mark[b], first_mark[b + 1], put, reads_left)) {
            fault = marked->second;
          }
          if (!fault) {
            WriteEntries(next, cuts[b + 1], append);
            if (encoded) lines = Encode(lines);
            const std::lock_guard<std::mutex> lock(mutex);
            made[b % kAhead] = std::move(lines);
          }
        } catch (...) {
          {
            const std::lock_guard<std::mutex> lock(mutex);
            states[b] = kFailed;
            stop = true;
          }
          changed.notify_all();
          throw;
        }
        {
          const std::lock_guard<std::mutex> lock(mutex);
          faults[b] = fault;
          states[b] = fault ? kFailed : kDone;
          if (fault) stop = true;
        }
        changed.notify_all();
      }
    }
    // Workers waiting for room would wait for ever on a writer that failed.
    try {
      write_lines(std::string(settings_.header) + std::string(kLineBreak));
      for (size_t b = 0; b < blocks; ++b) {
        std::string lines;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return states[b] != kPending; });
          if (states[b] == kFailed) {
            result = faults[b];
            stop = true;
            lock.unlock();
            changed.notify_all();
            return;
          }
          lines = std::move(made[b % kAhead]);
        }
        write(lines);
        {
          const std::lock_guard<std::mutex> lock(mutex);
          written = b + 1;
          spare.push_back(std::move(lines));
        }
        changed.notify_all();
      }
      write_lines(std::string(settings_.footer) + std::string(kLineBreak));
    } catch (...) {
      {
        const std::lock_guard<std::mutex> lock(mutex);
        stop = true;
      }
      changed.notify_all();
      throw;
    }
  });
  // A block that failed without a fault of the style threw, and RunWorkers
  // has passed that on by now.
  return result;
}

bool Conversion::NeedsEncoding() const {
  const platform::PrivateCodes* codes = settings_.private_codes;
  return settings_.utf8_output || (codes != nullptr && !codes->empty());
}

std::string Conversion::Encode(std::string_view lines) const {
  const platform::PrivateCodes* codes = settings_.private_codes;
  const bool has_codes = codes != nullptr && !codes->empty();
  if (settings_.utf8_output) {
    return has_codes ? platform::SjisToUtf8(lines, *codes) : platform::SjisToUtf8(lines);
  }
  return has_codes ? platform::WithoutPrivateCodes(lines, *codes, kGetaMark) : std::string(lines);
}

void Conversion::WarnNotInShiftJis(std::string_view text, const EntryContext& ctx) const {
  const platform::PrivateCodes* codes = settings_.private_codes;
  if (settings_.utf8_output || codes == nullptr || codes->empty()) return;
  std::string lacking;
  for (size_t i = 0; i < text.size(); i += text::CharLength(text, i)) {
    if (i + 1 >= text.size() || !codes->CharacterAt(text, i)) continue;
    // Named once each, a blank between them.
    const std::string_view character = text.substr(i, 2);
    bool seen = false;
    for (size_t k = 0; k < lacking.size() && !seen; k += 3)
      seen = lacking.compare(k, 2, character) == 0;
    if (seen) continue;
    if (!lacking.empty()) lacking.push_back(' ');
    lacking.append(character);
  }
  if (!lacking.empty()) ctx.Warn(format::Warning::kNotInShiftJis, lacking);
}

std::string Conversion::Render() const {
  std::string out;
  Render([&out](std::string_view piece) { out.append(piece); });
  return out;
}

}  // namespace refmill::driver
