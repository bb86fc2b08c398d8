#include "refmill/driver/conversion.h"

#include "platform/collation.h"
#include "refmill/driver/message_output.h"
#include "refmill/driver/parallel.h"
#include "refmill/format/entry_formatter.h"
#include "refmill/format/fields.h"
#include "refmill/format/sort_key.h"
#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"

namespace refmill::driver {
namespace {

using format::EntryContext;
using format::FieldList;
using format::StyleFault;
using format::TextOrFault;

bool IsEntryLine(std::string_view line) { return !line.empty() && line.front() == '*'; }

int LineNumber(size_t index) { return static_cast<int>(index + 1); }

// Warnings of one part of the table, kept until the parts before it have
// written theirs; dropped at once when they would not be shown anyway.
class HeldWarnings : public format::WarningSink {
 public:
  explicit HeldWarnings(bool keep) : keep_(keep) {}
  void Warn(int line, format::Warning warning, std::string_view detail) override {
    if (keep_) held_.push_back({line, warning, std::string(detail)});
  }
  void PassOn(format::WarningSink& sink) const {
    for (const Held& h : held_) sink.Warn(h.line, h.warning, h.detail);
  }

 private:
  struct Held {
    int line;
    format::Warning warning;
    std::string detail;
  };
  bool keep_;
  std::vector<Held> held_;
};

class NoWarnings : public format::WarningSink {
 public:
  void Warn(int, format::Warning, std::string_view) override {}
};

}  // namespace

struct Conversion::Part {
  explicit Part(bool keep_warnings) : warnings(keep_warnings) {}
  std::vector<Entry> entries;
  HeldWarnings warnings;
  std::optional<StyleFault> fault;
};

Conversion::Conversion(std::string_view source, const format::StyleSettings& settings,
                       MessageOutput& messages)
    : source_lines_(text::SplitLines(source)), settings_(settings), messages_(messages) {}

void Conversion::FormatLines(size_t begin, size_t end, Part& part, TextArena& arena) const {
  const format::PlaceholderColumns& roles = settings_.roles;
  for (size_t i = begin; i < end; ++i) {
    if (!IsEntryLine(source_lines_[i])) continue;
    const EntryContext ctx{settings_, LineNumber(i), part.warnings};
    const FieldList fields = format::SplitFields(source_lines_[i]);
    TextOrFault key = format::MakeSortKey(fields, ctx);
    if (auto* fault = std::get_if<StyleFault>(&key)) {
      part.fault = *fault;
      return;
    }
    TextOrFault text = format::FormatEntry(fields, false, {}, ctx);
    if (auto* fault = std::get_if<StyleFault>(&text)) {
      part.fault = *fault;
      return;
    }
    const std::string& sort_field = std::get<std::string>(key);
    const std::string& entry_text = std::get<std::string>(text);
    // Kept for the neighbour pass, which compares these columns; a column
    // beyond the entry is reported there, as the style's fault.
    const auto author = fields.At(roles.author);
    const auto year = fields.At(roles.year);
    Entry entry{};
    entry.line = arena.Store(sort_field, std::string_view(" |"), entry_text, std::string_view("|"),
                             std::to_string(i));
    entry.source_index = static_cast<uint32_t>(i);
    entry.text_offset = static_cast<uint32_t>(sort_field.size() + 2);
    entry.text_length = static_cast<uint32_t>(entry_text.size());
    if (!year) entry.missing_column = "$YR";
    if (!author) entry.missing_column = "$AT";
    entry.author = arena.Store(author.value_or(std::string_view()));
    entry.year = arena.Store(year.value_or(std::string_view()));
    part.entries.push_back(entry);
  }
}

std::optional<StyleFault> Conversion::FirstPass() {
  const size_t workers = WorkerCount(source_lines_.size());
  // Nothing to hold when the warnings would not be shown.
  std::vector<Part> parts(workers, Part(messages_.NoticesOn()));
  const size_t first_arena = arenas_.size();
  arenas_.resize(first_arena + workers);
  ForEachPart(source_lines_.size(), workers, [&](size_t begin, size_t end, size_t w) {
    FormatLines(begin, end, parts[w], arenas_[first_arena + w]);
  });
  size_t total = 0;
  for (const Part& part : parts) total += part.entries.size();
  entries_.reserve(total);
  for (Part& part : parts) {
    part.warnings.PassOn(messages_);
    if (part.fault) return part.fault;
    entries_.insert(entries_.end(), part.entries.begin(), part.entries.end());
    part.entries = {};
  }
  return std::nullopt;
}

void Conversion::Sort() {
  if (settings_.sort != 1 && settings_.sort != 2) return;
  std::vector<std::string_view> lines;
  lines.reserve(entries_.size());
  for (const Entry& e : entries_) lines.push_back(e.line);
  const std::vector<uint32_t> order = platform::JapaneseSortOrder(lines);
  std::vector<Entry> sorted;
  sorted.reserve(entries_.size());
  for (uint32_t i : order) sorted.push_back(entries_[i]);
  entries_ = std::move(sorted);
}

std::optional<StyleFault> Conversion::NeighbourPass() {
  const format::StyleSettings& s = settings_;
  if (s.samename.empty() && !s.sameyear) return std::nullopt;

  // First decide, walking the sorted list, which entries repeat the author
  // before them and which letter each gets; the decisions depend only on
  // neighbours, so the entries can then be formatted again in any order.
  struct Redo {
    size_t entry;
    bool repeat;
    std::optional<size_t> letter;  // the entry's place in its year group
  };
  std::vector<Redo> redo;
  size_t group_first = 0;
  size_t group_size = 1;       // entries of the current group so far
  bool first_repeat = false;   // the group's first entry's repeat flag
  for (size_t k = 0; k < entries_.size(); ++k) {
    const Entry& entry = entries_[k];
    if (!entry.missing_column.empty()) {
      const bool author = entry.missing_column == "$AT";
      return StyleFault{StyleFault::Kind::kMissingColumn, std::string(entry.missing_column),
                        author ? settings_.roles.author : settings_.roles.year,
                        LineNumber(entry.source_index)};
    }
    bool same_author = false;
    bool same_year = false;
    if (k > 0) {
      same_author = text::EqualsIgnoringAsciiCase(entry.author, entries_[k - 1].author);
      same_year = text::EqualsIgnoringAsciiCase(entry.year, entries_[k - 1].year);
    }
    const bool repeat = !s.samename.empty() && same_author;
    std::optional<size_t> letter;
    if (s.sameyear && same_author && same_year) {
      if (group_size == 1) {
        // The group's first entry is the one just before: it gets its "a" now.
        if (!redo.empty() && redo.back().entry == group_first) redo.pop_back();
        redo.push_back({group_first, first_repeat, 0});
      }
      letter = group_size++;
    } else {
      group_first = k;
      group_size = 1;
      first_repeat = repeat;
    }
    if (repeat || letter) redo.push_back({k, repeat, letter});
  }

  // Every warning was written in the first pass already.
  const size_t workers = WorkerCount(redo.size());
  std::vector<std::optional<std::pair<size_t, StyleFault>>> faults(workers);
  const size_t first_arena = arenas_.size();
  arenas_.resize(first_arena + workers);
  ForEachPart(redo.size(), workers, [&](size_t begin, size_t end, size_t w) {
    TextArena& arena = arenas_[first_arena + w];
    NoWarnings silent;
    for (size_t r = begin; r < end; ++r) {
      Entry& entry = entries_[redo[r].entry];
      const EntryContext ctx{s, LineNumber(entry.source_index), silent};
      const FieldList fields = format::SplitFields(source_lines_[entry.source_index]);
      const std::string letter = redo[r].letter ? format::YearLetter(*redo[r].letter) : "";
      TextOrFault text = format::FormatEntry(fields, redo[r].repeat, letter, ctx);
      if (auto* fault = std::get_if<StyleFault>(&text)) {
        faults[w] = {r, *fault};
        return;
      }
      entry.redone = arena.Store(std::get<std::string>(text));
      entry.has_redone = true;
    }
  });
  for (const auto& fault : faults) {
    if (fault) return fault->second;
  }
  return std::nullopt;
}

std::string Conversion::Render() const {
  std::string out;
  Render([&out](std::string_view piece) { out.append(piece); });
  return out;
}

}  // namespace refmill::driver
