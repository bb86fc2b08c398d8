// Reads the first worksheet of an .xls workbook (the older binary format of
// Excel 97 to 2003) into a table of cell texts, through the freexl library.
#pragma once

#include <string>

#include "tabdump/table.h"

namespace tabdump {

// The first worksheet of the workbook at `path`: strings as they are,
// numbers in general form, dates as "yyyy/mm/dd" (with " hh:mm:ss" when they
// hold a time), booleans as "TRUE" and "FALSE", errors as the cell shows them
// ("#DIV/0!"), formulas by their last computed value. Empty rows stay in
// place; empty ones at the end are dropped. ReadFailure::kUnreadable when the
// file is not a workbook of this kind, is damaged or is protected by a
// password.
ReadResult ReadXls(const std::string& path);

}  // namespace tabdump
