#include "tabdump/table.h"

namespace tabdump {

void TrimTrailingEmpty(Table& table) {
  for (Row& row : table) {
    while (!row.empty() && row.back().empty()) row.pop_back();
  }
  while (!table.empty() && table.back().empty()) table.pop_back();
}

}  // namespace tabdump
