// Fuzzes refimport's csl-json reader: any input gives references whose table
// rows keep their shape (table_check.h), and never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "refimport/csl_json_reader.h"
#include "tests/fuzz/table_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::CheckTable(refimport::ReadCslJson(text));
  return 0;
}
