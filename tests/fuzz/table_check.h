// Shared by the refimport reader targets: whatever a reader made of its
// input, the table holds the heading and one line per reference, each line
// with exactly the heading's columns, so no value can break a row apart.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "refimport/reference.h"
#include "refimport/run.h"
#include "tests/fuzz/fuzz_input.h"

namespace fuzz {

inline void CheckTable(const refimport::ReadResult& read) {
  const std::string table = refimport::TableText(read.references);
  size_t lines = 0;
  size_t heading_fields = 0;
  for (size_t start = 0; start < table.size();) {
    const size_t end = table.find("\r\n", start);
    Check(end != std::string::npos, "every line ends in CR LF");
    const std::string_view line(table.data() + start, end - start);
    Check(line.find('\n') == std::string_view::npos && line.find('\r') == std::string_view::npos,
          "no line break inside a line");
    size_t fields = 1;
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') quoted = !quoted;
      if (c == ',' && !quoted) ++fields;
    }
    Check(!quoted, "quotes are closed");
    if (lines == 0) heading_fields = fields;
    Check(fields == heading_fields, "every row has the heading's columns");
    ++lines;
    start = end + 2;
  }
  Check(lines == read.references.size() + 1, "one line per reference after the heading");
}

}  // namespace fuzz
