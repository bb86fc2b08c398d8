// Fuzzes the .xlsx reader on a package built from fuzzed parts: the input is
// the worksheet, the shared strings and the styles (number formats and the
// dates they make), cut at "\xff", around the fixed parts that lead to them.
// Whatever the parts hold, the reader ends with a table or a failure it can
// name, never a crash, and a table never names a cell past the sheet's edge.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tabdump/xlsx_reader.h"
#include "tests/fuzz/fuzz_file.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/tabdump/zip_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = fuzz::Parts(data, size, 3);
  static const fuzz::ScratchFile file(".xlsx");
  const std::string& path = file.path();
  // An empty strings or styles part is left out of the package.
  fuzz::Check(tabdump_testing::WriteZip(
                  path, tabdump_testing::MinimalXlsx(std::string(parts[0]), std::string(parts[1]),
                                                     std::string(parts[2]))),
              "the package could be written");
  const tabdump::ReadResult read = tabdump::ReadXlsx(path);
  fuzz::Check(read.failure == tabdump::ReadFailure::kNone || read.table.empty(),
              "no table beside a failure");
  for (const tabdump::Row& row : read.table) {
    for (const tabdump::Cell& cell : row) {
      fuzz::Check(cell.column < 16384 && !cell.text.empty(), "cells inside the sheet, not empty");
    }
  }
  fuzz::Check(read.table.size() <= 1048576, "rows inside the sheet");
  return 0;
}
