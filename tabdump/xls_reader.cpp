#include "tabdump/xls_reader.h"

#include <memory>
#include <string_view>

#include <freexl.h>

#include "tabdump/number_text.h"

namespace tabdump {
namespace {

struct WorkbookCloser {
  void operator()(const void* handle) const { freexl_close(handle); }
};
using Workbook = std::unique_ptr<const void, WorkbookCloser>;

// The library writes dates as "YYYY-MM-DD", with " HH:MM:SS" after them for
// a date and time; the converter's users expect "YYYY/MM/DD".
std::string DateText(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size() && i < 10; ++i) {
    if (out[i] == '-') out[i] = '/';
  }
  return out;
}

std::string CellText(const FreeXL_CellValue& value) {
  switch (value.type) {
    case FREEXL_CELL_INT:
      return std::to_string(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
      return NumberText(value.value.double_value);
    default:
      break;
  }
  // Every other kind with a value carries it as text: strings, dates, and
  // the "TRUE", "FALSE" or "#DIV/0!" of booleans and errors.
  const char* text = value.type == FREEXL_CELL_NULL ? nullptr : value.value.text_value;
  if (text == nullptr) return std::string();
  const bool is_date = value.type == FREEXL_CELL_DATE || value.type == FREEXL_CELL_DATETIME;
  return is_date ? DateText(text) : std::string(text);
}

}  // namespace

ReadResult ReadXls(const std::string& path) {
  const ReadResult unreadable{{}, ReadFailure::kUnreadable};
  const void* raw = nullptr;
  const int opened = freexl_open(path.c_str(), &raw);
  // The handle must be closed even when opening failed.
  const Workbook workbook(raw);
  if (opened != FREEXL_OK) return unreadable;
  unsigned int info = 0;
  if (freexl_get_info(raw, FREEXL_BIFF_PASSWORD, &info) != FREEXL_OK ||
      info == FREEXL_BIFF_OBFUSCATED) {
    return unreadable;
  }
  if (freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0 ||
      freexl_select_active_worksheet(raw, 0) != FREEXL_OK) {
    return unreadable;
  }
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_worksheet_dimensions(raw, &rows, &columns) != FREEXL_OK) return unreadable;
  // Cells may all name one long shared string: the builder stops the copies.
  TableBuilder builder;
  for (unsigned int row = 0; row < rows; ++row) {
    for (unsigned short column = 0; column < columns; ++column) {
      FreeXL_CellValue value;
      if (freexl_get_cell_value(raw, row, column, &value) != FREEXL_OK) return unreadable;
      if (!builder.Put(row, column, CellText(value))) return {{}, ReadFailure::kTooLarge};
    }
  }
  return std::move(builder).Finish();
}

}  // namespace tabdump
