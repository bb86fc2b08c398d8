// The first worksheet of a workbook as text: one row per sheet row, holding
// its non-empty cells with their columns, in UTF-8 as the readers get it from
// the file. Empty cells are not stored, so a row with one cell far to the
// right costs one cell, not thousands. The readers fill it; the CSV writer
// turns it into Shift-JIS once, for the whole table, so that characters
// Shift-JIS cannot hold are counted in one place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tabdump {

struct Cell {
  size_t column = 0;  // counting from 0
  std::string text;   // never empty

  bool operator==(const Cell &) const = default;
};
// The cells of one row in column order.
using Row = std::vector<Cell>;
using Table = std::vector<Row>;

// Why a workbook gave no table; each has its own message.
enum class ReadFailure {
  kNone,
  kUnreadable,           // not a workbook of a kind tabdump reads, or damaged
  kTooLarge,             // its table or its XML would exceed what tabdump holds
  kSharedStringMissing,  // a cell names a shared string the workbook lacks
  kNoSheetData,          // the first worksheet has no cell data part
  kOutsideSheet,         // a row past 1,048,576 or a column past XFD
  kPartMissing,          // a part the workbook's relationships name is not in it
};

struct ReadResult {
  Table table;
  ReadFailure failure = ReadFailure::kNone;
};

// What the table may cost, held in memory and again as CSV text. A real
// bibliography stays far below; a small hostile workbook that repeats a huge
// shared string or puts a cell in the last column of every row would
// otherwise need gigabytes.
inline constexpr size_t kMaxTableBytes = size_t{256} << 20;

// Collects the cells of a sheet in whatever order the file gives them and
// stops them at kMaxTableBytes.
class TableBuilder {
 public:
  // Puts `text` at `row` and `column` (both from 0); a later cell at the same
  // place replaces an earlier one, an empty text is no cell. False when the
  // table would pass the limit: the reader stops there.
  bool Put(size_t row, size_t column, std::string text);

  // The table, cells in column order, empty rows at the end dropped;
  // ReadFailure::kTooLarge when its CSV text (empty fields included) would
  // pass the limit.
  ReadResult Finish() &&;

 private:
  Table table_;
  size_t bytes_ = 0;
};

}  // namespace tabdump
