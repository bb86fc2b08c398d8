// Splitting file contents into lines, as every text file of the converter is
// read: a line ends at CR LF, at LF or at CR; a last line without an ending
// counts; a zero byte ends the text.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace refmill::text {

// The lines of `contents` as views into it. A line break at the very end adds
// no empty line; an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view contents);

// The same lines, kept as one 4-byte offset each instead of a 16-byte view:
// a table of twenty million short lines is mostly this index. The text must
// be shorter than 4 GiB and outlive the index.
class LineIndex {
 public:
  explicit LineIndex(std::string_view contents);

  size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  // How much of the text the lines cover: up to its zero byte, if any.
  size_t TextSize() const { return text_.size(); }
  // Line `i` without its break.
  std::string_view operator[](size_t i) const;
  // The first byte of line `i`, or 0 for an empty line; cheaper than the
  // whole line when only its first character matters.
  char FirstByte(size_t i) const { return starts_[i] < starts_[i + 1] ? text_[starts_[i]] : '\0'; }
  // Asks the processor for where line `i` starts, ahead of a walk in an
  // order of its own (a sorted list) that would otherwise wait for memory
  // at every line.
  void PrefetchStart(size_t i) const { __builtin_prefetch(starts_.data() + i); }
  // Where line `i` begins, and the line with its break, known from the index
  // alone: such a walk can ask for a line's bytes ahead, or reach a column
  // of it, without first waiting for the end of the line to arrive.
  const char* Start(size_t i) const { return text_.data() + starts_[i]; }
  std::string_view WithBreak(size_t i) const {
    return text_.substr(starts_[i], starts_[i + 1] - starts_[i]);
  }
  // A line as WithBreak gives it, without its break.
  static std::string_view WithoutBreak(std::string_view line) {
    // A line holds no CR or LF of its own, so what it ends with is its break.
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

 private:
  std::string_view text_;         // up to the zero byte that ends it
  std::vector<uint32_t> starts_;  // where each line begins, then where the last one ends
};

}  // namespace refmill::text
