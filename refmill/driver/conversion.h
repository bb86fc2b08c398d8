// The body of a run: every entry line of the source table formatted and
// given its sort field, the entries sorted, repeated authors and same-year
// works marked in a second pass over neighbours, and the output assembled
// between the file type's header and footer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/driver/text_arena.h"
#include "refmill/format/entry_context.h"
#include "refmill/format/style_settings.h"

namespace refmill::driver {

class MessageOutput;

class Conversion {
 public:
  static constexpr std::string_view kLineBreak = "\r\n";

  // `source` is the whole source file; it must outlive the conversion.
  Conversion(std::string_view source, const format::StyleSettings& settings,
             MessageOutput& messages);

  // Formats every entry line and builds its sort line; warnings go out in
  // source order. Returns the style's fault when the style reads a column an
  // entry does not have (the warnings of the lines before it are written).
  std::optional<format::StyleFault> FirstPass();
  // Sorts when the style asks for it (sort 1 or 2).
  void Sort();
  // Marks repeated authors and year letters, formatting those entries again
  // with notices off.
  std::optional<format::StyleFault> NeighbourPass();
  // Header, the entries in their final order and footer, each line ended by
  // CR LF, handed to `write` piece by piece.
  template <class Write>
  void Render(Write&& write) const {
    write(settings_.header);
    write(kLineBreak);
    for (const Entry& e : entries_) {
      write(e.Text());
      write(kLineBreak);
    }
    write(settings_.footer);
    write(kLineBreak);
  }
  // The same as one text.
  std::string Render() const;

  size_t EntryCount() const { return entries_.size(); }

 private:
  // Texts of an entry live in the conversion's arenas.
  struct Entry {
    std::string_view line;   // sort field + " |" + entry + "|" + source index
    uint32_t source_index;   // the source line the entry came from
    uint32_t text_offset;    // where the formatted entry starts in `line`
    uint32_t text_length;
    bool has_redone = false;
    // "$AT" or "$YR" when the style's column for it lies beyond the entry.
    std::string_view missing_column;
    // The author and year columns, which the neighbour pass compares.
    std::string_view author;
    std::string_view year;
    std::string_view redone;  // the entry formatted again by the neighbour pass
    std::string_view Text() const {
      return has_redone ? redone : line.substr(text_offset, text_length);
    }
  };
  struct Part;

  void FormatLines(size_t begin, size_t end, Part& part, TextArena& arena) const;

  std::vector<std::string_view> source_lines_;
  const format::StyleSettings& settings_;
  MessageOutput& messages_;
  std::vector<Entry> entries_;
  std::vector<TextArena> arenas_;
};

}  // namespace refmill::driver
