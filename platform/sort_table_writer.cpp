// Writes the C++ source of BuiltInSortTable with the table read from ICU
// now, for the build to compile into the programs.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/sort_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: sort_table_writer OUTPUT.cpp\n";
    return 2;
  }
  const std::string table = platform::SortTableFromIcu();
  std::string source =
      "// Written by sort_table_writer at build time; not to be edited.\n"
      "#include \"platform/sort_table.h\"\n\n"
      "namespace platform {\n\n"
      "std::string_view BuiltInSortTable() {\n"
      "  static const char kTable[] =\n";
  // Octal escapes of three digits, so that no digit after one is taken
  // into it; text in quotes otherwise.
  constexpr size_t kPerLine = 96;
  for (size_t at = 0; at < table.size() || at == 0; at += kPerLine) {
    source += "      \"";
    for (size_t i = at; i < table.size() && i < at + kPerLine; ++i) {
      const auto c = static_cast<unsigned char>(table[i]);
      if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
        source += static_cast<char>(c);
      } else {
        char escape[5];
        std::snprintf(escape, sizeof escape, "\\%03o", c);
        source += escape;
      }
    }
    source += "\"\n";
  }
  source += "      ;\n  return std::string_view(kTable, " + std::to_string(table.size()) +
            ");\n}\n\n}  // namespace platform\n";
  const std::string temporary = std::string(argv[1]) + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << source;
    if (!out.flush()) {
      std::cerr << "sort_table_writer: cannot write " << temporary << "\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), argv[1]) != 0) {
    std::cerr << "sort_table_writer: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
