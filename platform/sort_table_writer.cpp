// Writes the C++ source of BuiltInSortTable with the table read from ICU
// now, for the build to compile into the programs.
#include <algorithm>
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
  // Literals no longer than compilers are bound to take, joined when the
  // table is asked for. Octal escapes of three digits, so that no digit after one is
  // taken into it; text in quotes otherwise.
  constexpr size_t kPerPiece = 60000;
  constexpr size_t kPerLine = 96;
  std::string source =
      "// Written by sort_table_writer at build time; not to be edited.\n"
      "#include <string>\n\n"
      "#include \"platform/sort_table.h\"\n\n"
      "namespace platform {\n"
      "namespace {\n\n";
  std::string joins;
  for (size_t piece = 0; piece * kPerPiece < table.size(); ++piece) {
    const std::string name = "kPiece" + std::to_string(piece);
    source += "const char " + name + "[] =\n";
    const size_t end = std::min(table.size(), (piece + 1) * kPerPiece);
    for (size_t at = piece * kPerPiece; at < end; at += kPerLine) {
      source += "    \"";
      for (size_t i = at; i < end && i < at + kPerLine; ++i) {
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
    source += "    ;\n\n";
    joins += "  table.append(" + name + ", sizeof " + name + " - 1);\n";
  }
  source +=
      "}  // namespace\n\n"
      "std::string BuiltInSortTable() {\n"
      "  std::string table;\n"
      "  table.reserve(" +
      std::to_string(table.size()) + ");\n" + joins +
      "  return table;\n"
      "}\n\n"
      "}  // namespace platform\n";
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
