// Reads the first worksheet of a workbook of either kind. The kind is taken
// from the file's first bytes, not its name, so a workbook saved under the
// wrong extension still converts.
#pragma once

#include <string>

#include "tabdump/table.h"

namespace tabdump {

// The first worksheet of the workbook at `path` (see ReadXls and ReadXlsx
// for how cells come out), or why there is none: ReadFailure::kUnreadable
// also when the file cannot be read or is not a workbook of a kind tabdump
// knows.
ReadResult ReadWorkbook(const std::string& path);

}  // namespace tabdump
