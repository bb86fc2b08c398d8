// The table of every Shift-JIS character's primary weights that the
// Japanese sort reads. Reading it from ICU takes tens of milliseconds, more
// than a short list takes to convert, so the build reads it once and writes
// it into the program; a run takes it from there whenever it came from the
// same ICU as the run's own, and reads it from ICU otherwise.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The table as bytes, read from ICU now; empty when the collation cannot
// be read into such a table.
std::string SortTableFromIcu();

// The table the program was built with; empty when it was built without.
std::string BuiltInSortTable();

// Whether `table` is whole and came from the ICU this run has.
bool SortTableFits(std::string_view table);

}  // namespace platform
