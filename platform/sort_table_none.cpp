// For the program that writes the table at build time: it reads the table
// from ICU, so it is built without one.
#include "platform/sort_table.h"

namespace platform {

std::string BuiltInSortTable() { return {}; }

}  // namespace platform
