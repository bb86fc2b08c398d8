// The body of a run: every entry line of the source table formatted and
// given its sort field, the entries sorted, repeated authors and same-year
// works marked in a second pass over neighbours, and the output assembled
// between the file type's header and footer.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mapped_file.h"
#include "refmill/driver/text_arena.h"
#include "refmill/format/entry_context.h"
#include "refmill/format/fields.h"
#include "refmill/format/style_settings.h"
#include "refmill/format/value_memo.h"
#include "refmill/text/lines.h"

namespace refmill::driver {

class MessageOutput;

class Conversion {
 public:
  static constexpr std::string_view kLineBreak = "\r\n";

  // `source` is the whole source file; it must outlive the conversion. When
  // it is `mapped`, the pages the first pass has read are handed back to
  // the system as it goes: the entries' texts take their place, and only
  // the lines formatted again later are read from the file once more, in
  // one walk once the neighbours are marked (unless they are most of it).
  Conversion(std::string_view source, const format::StyleSettings& settings,
             MessageOutput& messages, const platform::MappedFile* mapped = nullptr);

  // Formats every entry line and builds its sort line; warnings go out in
  // source order. Returns the style's fault when the style reads a column an
  // entry does not have (the warnings of the lines before it are written).
  std::optional<format::StyleFault> FirstPass();
  // Sorts when the style asks for it (sort 1 or 2).
  void Sort();
  // Marks repeated authors and year letters, formatting those entries again
  // with notices off.
  std::optional<format::StyleFault> NeighbourPass();
  // The neighbour pass in two steps: which entries repeat the author before
  // them or get a year letter, then those entries formatted again.
  std::optional<format::StyleFault> MarkNeighbours();
  std::optional<format::StyleFault> FormatMarked();
  // Render, formatting the marked entries again while the list is written.
  // On the style's fault the writing stops part way and the fault is
  // returned: the caller must then discard what was written.
  std::optional<format::StyleFault> RenderFormattingMarked(
      const std::function<void(std::string_view)>& write);
  // Header, the entries in their final order and footer, each line ended by
  // CR LF, handed to `write` piece by piece, in the file type's encoding.
  // Every marked entry must have been formatted again (NeighbourPass).
  template <class Write>
  void Render(Write&& write) const {
    if (!NeedsEncoding()) {
      RenderLines(write);
      return;
    }
    // Converted in large batches of whole lines rather than line by line.
    std::string batch;
    RenderLines([&](std::string_view piece) {
      batch.append(piece);
      if (batch.size() >= kEncodeBatch) {
        write(std::string_view(Encode(batch)));
        batch.clear();
      }
    });
    if (!batch.empty()) write(std::string_view(Encode(batch)));
  }
  // The same as one text.
  std::string Render() const;

  size_t EntryCount() const { return entries_.size(); }
  // Where a zero byte cut the source short, if one did: nothing after it
  // was read.
  std::optional<size_t> ZeroByteAt() const {
    if (source_lines_.TextSize() == source_size_) return std::nullopt;
    return source_lines_.TextSize();
  }

 private:
  // One entry, kept small: a table may hold millions. Its texts lie one
  // after the other in the conversion's arenas: the entry line (sort field
  // + " |" + entry + "|" + source index), then the author column where the
  // source line does not hold it as it is, then the year column; the
  // neighbour pass compares those two. Where the line holds the style's
  // order text instead of the entry, the texts begin with the formatted
  // entry, and the line lies apart (sort_lines_), to go once it is sorted.
  struct Entry {
    // Left unset: every field is written where the entry is made, on the
    // core that makes it, instead of one core clearing millions first.
    Entry() {}  // NOLINT(modernize-use-equals-default): = default would zero them
    static constexpr uint32_t kAuthorInArena = UINT32_MAX;
    // The style's column for "$AT" or "$YR" lies beyond the entry.
    static constexpr uint32_t kAuthorMissing = UINT32_MAX - 1;
    static constexpr uint32_t kYearMissing = UINT32_MAX;
    char* texts;  // the line, or the formatted entry where the line lies apart
    uint32_t line_length;
    uint32_t source_index;  // the source line the entry came from
    uint32_t text_length;
    uint32_t author_offset;  // in the source line, kAuthorInArena or kAuthorMissing
    uint32_t author_length;
    uint32_t year_length;  // or kYearMissing
  };
  struct Part;
  // An entry the neighbour pass formats again.
  struct Redo {
    uint32_t entry;
    bool repeat;
    std::optional<uint32_t> letter;  // the entry's place in its year group
  };
  // Formats marked entries [begin, end), each handed to `put` with its
  // place in the list; the first fault, with the index of its mark.
  // `reads_left`, shared by the workers, counts down the lines that may
  // still be read from the file (WholeLine).
  using PutMarked = std::function<void(size_t entry, std::string_view text)>;
  std::optional<std::pair<size_t, format::StyleFault>> FormatMarked(
      size_t begin, size_t end, const PutMarked& put, std::atomic<ptrdiff_t>& reads_left);
  // How many lines cut short the marked entries may read from the file.
  ptrdiff_t LineReads() const;

  static constexpr size_t kEncodeBatch = size_t{1} << 20;
  // How many entries ahead a walk in sorted order asks for their memory.
  static constexpr size_t kPrefetchDistance = 8;
  static void PrefetchText(std::string_view text) {
    constexpr size_t kCacheLine = 64;
    for (size_t at = 0; at < text.size(); at += kCacheLine) __builtin_prefetch(text.data() + at);
  }

  template <class Write>
  void RenderLines(Write&& write) const {
    write(settings_.header);
    write(kLineBreak);
    WriteEntries(0, entries_.size(), write);
    write(settings_.footer);
    write(kLineBreak);
  }
  // Entries [begin, end) as they stand now, each line ended by CR LF.
  template <class Write>
  void WriteEntries(size_t begin, size_t end, Write&& write) const {
    for (size_t k = begin; k < end; ++k) {
      // The entries' texts lie all over memory.
      if (k + kPrefetchDistance < end) PrefetchText(EntryText(k + kPrefetchDistance));
      write(EntryText(k));
      write(kLineBreak);
    }
  }
  // True when the list is not written as the bytes it was built from: it is
  // UTF-8, or characters Shift-JIS lacks must become "〓".
  bool NeedsEncoding() const;
  std::string Encode(std::string_view lines) const;
  // One warning for an entry whose text holds characters a Shift-JIS list
  // cannot.
  void WarnNotInShiftJis(std::string_view text, const format::EntryContext& ctx) const;

  std::string_view EntryText(size_t k) const {
    // A text from an arena never has a null start, even when empty.
    if (!redone_.empty() && redone_[k].data() != nullptr) return redone_[k];
    return FirstPassText(k);
  }
  std::string_view FirstPassText(size_t k) const {
    const Entry& e = entries_[k];
    return {e.texts + TextOffset(e), e.text_length};
  }
  // Where the formatted entry starts: behind the line, or before its "|"
  // and source index.
  size_t TextOffset(const Entry& e) const {
    if (entry_behind_line_) return 0;
    return e.line_length - e.text_length - 1 - std::to_string(e.source_index).size();
  }
  // The line of entry `k`, until the sort.
  std::string_view SortLine(size_t k) const {
    const Entry& e = entries_[k];
    return {entry_behind_line_ ? sort_lines_[k] : e.texts, e.line_length};
  }
  // All the entry's texts together.
  size_t StoredLength(const Entry& e) const {
    return (entry_behind_line_ ? e.text_length : e.line_length) +
           (e.author_offset == Entry::kAuthorInArena ? e.author_length : 0) +
           (e.year_length == Entry::kYearMissing ? 0 : e.year_length);
  }
  // The columns follow the line, or the formatted entry where the line
  // lies apart.
  const char* Columns(const Entry& e) const {
    return e.texts + (entry_behind_line_ ? e.text_length : e.line_length);
  }
  std::string_view Author(const Entry& e) const {
    if (e.author_offset == Entry::kAuthorMissing) return {};
    if (e.author_offset == Entry::kAuthorInArena) return {Columns(e), e.author_length};
    return {source_lines_.Start(e.source_index) + e.author_offset, e.author_length};
  }
  std::string_view Year(const Entry& e) const {
    if (e.year_length == Entry::kYearMissing) return {};
    const uint32_t author = e.author_offset == Entry::kAuthorInArena ? e.author_length : 0;
    return {Columns(e) + author, e.year_length};
  }
  // The author and year columns the neighbour pass compares.
  void PrefetchColumns(const Entry& e) const {
    __builtin_prefetch(Columns(e));
    if (e.author_offset < Entry::kAuthorMissing) {
      __builtin_prefetch(source_lines_.Start(e.source_index) + e.author_offset);
    }
  }
  void SortByLines();
  // Copies the marked entries' source lines out of a table read in place.
  void GatherMarkedLines();
  // The source line of the entry of mark `r`; where most entries are
  // marked, only as far as the marks read it (see GatherMarkedLines).
  std::string_view MarkedLine(size_t r) const {
    if (!marked_lines_.empty()) return text::LineIndex::WithoutBreak(marked_lines_[r]);
    return source_lines_[entries_[redo_[r].entry].source_index];
  }
  // The whole source line of the entry of mark `r`, read from the file
  // into `buffer` where only its start was copied and `reads_left` allows.
  std::string_view WholeLine(size_t r, std::string& buffer,
                             std::atomic<ptrdiff_t>& reads_left) const;
  // The entries of source lines [begin, end), from `out` on; their lines
  // from `lines` on where those lie apart. `memo` is the worker's own.
  void FormatLines(size_t begin, size_t end, Part& part, Entry* out, const char** lines,
                   TextArena& arena, TextArena& line_arena, format::ValueMemo& memo) const;
  // Where `column`, a column of `fields`, lies in `line`, the source line
  // they were split from, when the bytes there are the same; otherwise
  // Entry::kAuthorInArena.
  static uint32_t AuthorOffset(std::string_view line, const format::FieldList& fields,
                               std::string_view column);

  text::LineIndex source_lines_;
  size_t source_size_;
  const format::StyleSettings& settings_;
  // The style has an order text, which the line holds instead of the entry.
  const bool entry_behind_line_;
  MessageOutput& messages_;
  std::vector<Entry> entries_;
  // By place in the list: the entry formatted again, or nothing. Made
  // only by the neighbour pass, after the sort, whose items would otherwise
  // share the memory with it.
  std::vector<std::string_view> redone_;
  // The entries the neighbour pass marked, in list order.
  std::vector<Redo> redo_;
  // By mark: the entry's source line with its break, or its first columns,
  // copied out of a table read in place.
  std::vector<std::string_view> marked_lines_;
  // The source lines whose entries the first pass filled token by token, in
  // order; few or none.
  std::vector<uint32_t> literal_lines_;
  std::vector<TextArena> arenas_;
  // Where the style has an order text: each entry's line, by the entry's
  // place before the sort, and the arenas that hold them.
  std::unique_ptr<const char*[]> sort_lines_;
  std::vector<TextArena> line_arenas_;
  const platform::MappedFile* mapped_;  // the source, when it is read in place
};

}  // namespace refmill::driver
