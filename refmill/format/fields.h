// The field list of one entry: the column texts of a source line, column 0
// first (the entry marker "*"), column 1 the category, padded with empty
// texts to at least 51 columns. The driver splits source lines into it; the
// formatter, the author lists and the sort keys read it.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace refmill::format {

// Columns 0 to 50 always exist.
inline constexpr size_t kMinimumColumns = 51;

class FieldList {
 public:
  using Span = std::pair<uint32_t, uint32_t>;  // offset and length in the text

  FieldList() = default;
  // Takes `text` and the (offset, length) spans of its columns within it.
  FieldList(std::string text, std::vector<Span> spans);

  size_t size() const { return size_; }
  std::string_view operator[](size_t column) const {
    const auto [offset, length] =
        column < kMinimumColumns ? first_[column] : more_[column - kMinimumColumns];
    return std::string_view(text_).substr(offset, length);
  }
  // The column's text, or nothing when `column` lies outside the list
  // (negative or beyond its end): a style that reads such a column is broken.
  std::optional<std::string_view> At(int64_t column) const {
    if (column < 0 || static_cast<size_t>(column) >= size_) return std::nullopt;
    return (*this)[static_cast<size_t>(column)];
  }

 private:
  friend FieldList SplitFields(std::string_view line, size_t columns);
  // The two ways of SplitFields, each done after `columns` columns; the
  // first gives up (false) at a quote.
  bool SplitUnquoted(std::string_view line, size_t columns);
  void SplitQuoted(std::string_view line, size_t columns);
  void Add(Span span) {
    if (size_ < kMinimumColumns) [[likely]] {
      first_[size_++] = span;
    } else {
      AddBeyondTheFirst(span);
    }
  }
  void AddBeyondTheFirst(Span span);
  // Pads with empty columns at the end of the text.
  void PadToMinimum() {
    if (size_ >= kMinimumColumns) return;
    std::fill(first_.begin() + static_cast<std::ptrdiff_t>(size_), first_.end(),
              Span{static_cast<uint32_t>(text_.size()), 0u});
    size_ = kMinimumColumns;
  }

  std::string text_;
  // Every line has the first columns; only wide ones need memory of their own.
  std::array<Span, kMinimumColumns> first_{};
  std::vector<Span> more_;
  size_t size_ = 0;
};

// Splits one source line into its field list: every ",," becomes ",|,"
// (twice over, so runs of empty fields all get the marker "|"), the result
// is split at commas outside double quotes (the quotes stay), empty pieces
// are dropped, and the list is padded to 51 columns. With `columns`, only so
// many columns are split off: they are those of the whole split, and the
// columns after them read as empty or missing.
FieldList SplitFields(std::string_view line, size_t columns = SIZE_MAX);

// How many bytes from its start SplitFields(line, columns) reads of `line`:
// the line cut there splits into the same columns.
size_t SplitReach(std::string_view line, size_t columns);

}  // namespace refmill::format

namespace refmill::format {

// A field list as the formatter holds it: the caller's list, with the year
// column carrying the year letters when some are given. The caller's list is
// never changed.
class EntryFields {
 public:
  explicit EntryFields(const FieldList& fields) : fields_(fields) {}
  EntryFields(const FieldList& fields, int32_t year_column, std::string_view year_letter)
      : fields_(fields), year_column_(year_column) {
    if (const auto year = fields.At(year_column); year && !year_letter.empty()) {
      year_ = std::string(*year);
      year_ += year_letter;
      has_year_ = true;
    }
  }

  std::optional<std::string_view> At(int64_t column) const {
    if (has_year_ && column == year_column_) return std::string_view(year_);
    return fields_.At(column);
  }

 private:
  const FieldList& fields_;
  int64_t year_column_ = -1;
  std::string year_;
  bool has_year_ = false;
};

}  // namespace refmill::format
