// Test helper: writes a zip archive from named texts, to build .xlsx files
// with exactly the XML a case needs (prefixed names, phonetic guides, cells
// without references) that libxlsxwriter never writes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tabdump_testing {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;

enum class Packing { kDeflated, kStored };

// Writes `entries` (name, contents) to a new archive at `path`; false on failure.
bool WriteZip(const std::string& path, const ZipEntries& entries,
              Packing packing = Packing::kDeflated);

// With TABDUMP_KEEP_WORKBOOKS naming a folder, a copy of the workbook at
// `path` goes there (WriteZip does this itself): the Windows tests run
// tabdump.exe on every workbook these tests make and compare its tables
// with the Linux tabdump's.
void KeepWorkbook(const std::string& path);

// The parts of a one-sheet workbook around `sheet_xml` (the worksheet part),
// with `shared_strings_xml` and `styles_xml` added when not empty.
ZipEntries MinimalXlsx(const std::string& sheet_xml, const std::string& shared_strings_xml = "",
                       const std::string& styles_xml = "", const std::string& workbook_pr = "");

}  // namespace tabdump_testing
