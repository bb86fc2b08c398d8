// Reads the first worksheet of an .xls workbook (the older binary format of
// Excel 97 to 2003) into a table of cell texts, through the freexl library.
#pragma once

#include <optional>
#include <string>

#include "tabdump/table.h"

namespace tabdump {

// The first worksheet of the workbook at `path`: strings as they are,
// numbers in general form, dates as "yyyy/mm/dd" (with " hh:mm:ss" when they
// hold a time). The library does not tell booleans from numbers, so TRUE and
// FALSE come out as "1" and "0". Empty cells and rows stay in place; empty
// ones at the ends are dropped. nullopt when the file is not a workbook of
// this kind, is damaged or is protected by a password.
std::optional<Table> ReadXls(const std::string& path);

}  // namespace tabdump
