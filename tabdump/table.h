// The first worksheet of a workbook as text: one row per sheet row, one cell
// text per column, in UTF-8 as the readers get it from the file. The readers
// fill it; the CSV writer turns it into Shift-JIS once, for the whole table,
// so that characters Shift-JIS cannot hold are counted in one place.
#pragma once

#include <string>
#include <vector>

namespace tabdump {

using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// Drops empty cells at the end of every row and empty rows at the end of the
// table. Empty cells and rows in between keep their places.
void TrimTrailingEmpty(Table& table);

}  // namespace tabdump
