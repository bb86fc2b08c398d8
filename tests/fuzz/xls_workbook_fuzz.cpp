// Fuzzes the .xls path: the input is the whole file as freexl opens it
// (compound file, BIFF records, shared strings over CONTINUE records). It
// ends with a table or a failure, never a crash or a read outside memory,
// and a table's cells are never empty and stay in column order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tabdump/workbook_reader.h"
#include "tests/fuzz/fuzz_file.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile file(".xls");
  const std::string& path = file.path();
  fuzz::WriteBytes(path, std::string_view(reinterpret_cast<const char*>(data), size));
  const tabdump::ReadResult read = tabdump::ReadWorkbook(path);
  for (const tabdump::Row& row : read.table) {
    for (size_t i = 0; i < row.size(); ++i) {
      fuzz::Check(!row[i].text.empty(), "no empty cells stored");
      fuzz::Check(i == 0 || row[i - 1].column < row[i].column, "cells in column order");
    }
  }
  return 0;
}
