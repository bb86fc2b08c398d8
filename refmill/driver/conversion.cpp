#include "refmill/driver/conversion.h"

#include "platform/collation.h"
#include "refmill/driver/message_output.h"
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

constexpr std::string_view kLineBreak = "\r\n";
constexpr char kFirstYearLetter = 'a';

bool IsEntryLine(std::string_view line) { return !line.empty() && line.front() == '*'; }

int LineNumber(size_t index) { return static_cast<int>(index + 1); }

}  // namespace

Conversion::Conversion(std::string_view source, const format::StyleSettings& settings,
                       MessageOutput& messages)
    : source_lines_(text::SplitLines(source)), settings_(settings), messages_(messages) {}

std::optional<StyleFault> Conversion::FirstPass() {
  for (size_t i = 0; i < source_lines_.size(); ++i) {
    if (!IsEntryLine(source_lines_[i])) continue;
    const EntryContext ctx{settings_, LineNumber(i), messages_};
    const FieldList fields = format::SplitFields(source_lines_[i]);
    TextOrFault key = format::MakeSortKey(fields, ctx);
    if (auto* fault = std::get_if<StyleFault>(&key)) return *fault;
    TextOrFault text = format::FormatEntry(fields, false, std::nullopt, ctx);
    if (auto* fault = std::get_if<StyleFault>(&text)) return *fault;
    const std::string& sort_field = std::get<std::string>(key);
    const std::string& entry_text = std::get<std::string>(text);
    Entry entry;
    entry.line.reserve(sort_field.size() + entry_text.size() + 16);
    entry.line.append(sort_field).append(" |");
    entry.text_offset = static_cast<uint32_t>(entry.line.size());
    entry.text_length = static_cast<uint32_t>(entry_text.size());
    entry.line.append(entry_text).append("|").append(std::to_string(i));
    entry.source_index = static_cast<uint32_t>(i);
    entries_.push_back(std::move(entry));
  }
  return std::nullopt;
}

void Conversion::Sort() {
  if (settings_.sort != 1 && settings_.sort != 2) return;
  std::vector<std::string_view> lines;
  lines.reserve(entries_.size());
  for (const Entry& e : entries_) lines.emplace_back(e.line);
  const std::vector<uint32_t> order = platform::JapaneseSortOrder(lines);
  std::vector<Entry> sorted;
  sorted.reserve(entries_.size());
  for (uint32_t i : order) sorted.push_back(std::move(entries_[i]));
  entries_ = std::move(sorted);
}

std::optional<StyleFault> Conversion::NeighbourPass() {
  const format::StyleSettings& s = settings_;
  if (s.samename.empty() && !s.sameyear) return std::nullopt;
  // Every warning was written in the first pass already.
  const bool notices = messages_.NoticesOn();
  messages_.SetNoticesOn(false);

  struct Neighbour {
    FieldList fields;
    bool repeat = false;
  };
  std::optional<StyleFault> fault;
  auto redo = [&](Entry& entry, const FieldList& fields, bool repeat,
                  std::optional<char> letter) {
    const EntryContext ctx{s, LineNumber(entry.source_index), messages_};
    TextOrFault text = format::FormatEntry(fields, repeat, letter, ctx);
    if (auto* f = std::get_if<StyleFault>(&text)) {
      fault = *f;
      return;
    }
    entry.redone = std::move(std::get<std::string>(text));
  };

  Neighbour previous;
  size_t group_first = 0;
  std::optional<char> group_letter;  // the letter of the group's latest entry
  for (size_t k = 0; k < entries_.size() && !fault; ++k) {
    Entry& entry = entries_[k];
    Neighbour current{format::SplitFields(source_lines_[entry.source_index]), false};
    const auto author = current.fields.At(s.roles.author);
    const auto year = current.fields.At(s.roles.year);
    if (!author || !year) {
      fault = StyleFault{"the style's author or year column lies beyond the entry on line " +
                         std::to_string(LineNumber(entry.source_index))};
      break;
    }
    bool same_author = false;
    bool same_year = false;
    if (k > 0) {
      same_author = text::EqualsIgnoringAsciiCase(*author, *previous.fields.At(s.roles.author));
      same_year = text::EqualsIgnoringAsciiCase(*year, *previous.fields.At(s.roles.year));
    }
    current.repeat = !s.samename.empty() && same_author;
    std::optional<char> letter;
    if (s.sameyear) {
      if (same_author && same_year) {
        if (!group_letter) {
          // The group's first entry is the one just before: it gets its "a" now.
          group_letter = kFirstYearLetter;
          redo(entries_[group_first], previous.fields, previous.repeat, group_letter);
        }
        letter = static_cast<char>(static_cast<unsigned char>(*group_letter) + 1);
        group_letter = letter;
      } else {
        group_first = k;
        group_letter.reset();
      }
    }
    if (current.repeat || letter) redo(entry, current.fields, current.repeat, letter);
    previous = std::move(current);
  }
  messages_.SetNoticesOn(notices);
  return fault;
}

std::string Conversion::Render() const {
  size_t size = settings_.header.size() + settings_.footer.size() + 4;
  for (const Entry& e : entries_) size += e.Text().size() + 2;
  std::string out;
  out.reserve(size);
  out.append(settings_.header).append(kLineBreak);
  for (const Entry& e : entries_) out.append(e.Text()).append(kLineBreak);
  out.append(settings_.footer).append(kLineBreak);
  return out;
}

}  // namespace refmill::driver
