// Test helper: a table as rows of cell texts with the empty cells in place,
// which is how the expected tables are easiest to write and to read.
#pragma once

#include <string>
#include <vector>

#include "tabdump/table.h"

namespace tabdump_testing {

using Texts = std::vector<std::vector<std::string>>;

inline Texts TextsOf(const tabdump::Table& table) {
  Texts texts;
  for (const tabdump::Row& row : table) {
    std::vector<std::string>& cells = texts.emplace_back();
    for (const tabdump::Cell& cell : row) {
      cells.resize(cell.column + 1);
      cells[cell.column] = cell.text;
    }
  }
  return texts;
}

}  // namespace tabdump_testing
