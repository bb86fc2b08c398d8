// Reads the first worksheet of an .xlsx workbook (the zip-and-XML format of
// current spreadsheets) into a table of cell texts.
#pragma once

#include <string>

#include "tabdump/table.h"

namespace tabdump {

// The first worksheet of the workbook at `path`, every cell as the sheet
// shows it: shared and inline strings as they are, numbers in general form,
// dates in their format's look, booleans as "TRUE" and "FALSE", formulas by
// their last computed value. Empty rows stay in place; empty ones at the end
// are dropped. ReadFailure::kUnreadable when the file is not a workbook of
// this kind or is damaged; the other failures as they are named.
ReadResult ReadXlsx(const std::string& path);

}  // namespace tabdump
