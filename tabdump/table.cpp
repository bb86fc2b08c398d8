#include "tabdump/table.h"

#include <algorithm>

namespace tabdump {
namespace {

constexpr size_t kLineEndBytes = 2;

}  // namespace

bool TableBuilder::Put(size_t row, size_t column, std::string text) {
  if (text.empty()) return true;
  if (row >= table_.size()) {
    const size_t added = row + 1 - table_.size();
    if (added > (kMaxTableBytes - bytes_) / sizeof(Row)) return false;
    bytes_ += added * sizeof(Row);
    table_.resize(row + 1);
  }
  const size_t cost = sizeof(Cell) + text.size();
  if (cost > kMaxTableBytes - bytes_) return false;
  bytes_ += cost;
  table_[row].push_back({column, std::move(text)});
  return true;
}

ReadResult TableBuilder::Finish() && {
  size_t csv_bytes = 0;
  for (Row& row : table_) {
    // Cells come in file order; the last one written to a place wins.
    std::stable_sort(row.begin(), row.end(),
                     [](const Cell& a, const Cell& b) { return a.column < b.column; });
    const auto last_of_each =
        std::unique(row.rbegin(), row.rend(),
                    [](const Cell& a, const Cell& b) { return a.column == b.column; });
    row.erase(row.begin(), last_of_each.base());
    csv_bytes += kLineEndBytes + (row.empty() ? 0 : row.back().column);
    for (const Cell& cell : row) csv_bytes += cell.text.size();
    if (csv_bytes > kMaxTableBytes) return {{}, ReadFailure::kTooLarge};
  }
  while (!table_.empty() && table_.back().empty()) table_.pop_back();
  return {std::move(table_), ReadFailure::kNone};
}

}  // namespace tabdump
