#include "tabdump/workbook_reader.h"

#include <fstream>
#include <string_view>

#include "tabdump/xls_reader.h"
#include "tabdump/xlsx_reader.h"

namespace tabdump {
namespace {

// An .xlsx workbook is a zip archive; an .xls one lives in a compound file.
constexpr std::string_view kZipSignature = "PK\x03\x04";
constexpr std::string_view kCompoundFileSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

}  // namespace

ReadResult ReadWorkbook(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[8] = {};
  in.read(head, sizeof head);
  const std::string_view start(head, static_cast<size_t>(in.gcount()));
  if (start.starts_with(kZipSignature)) return ReadXlsx(path);
  if (start.starts_with(kCompoundFileSignature)) return ReadXls(path);
  return {{}, ReadFailure::kUnreadable};
}

}  // namespace tabdump
