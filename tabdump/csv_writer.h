// The table as the converter reads it: one line per sheet row, fields split
// at commas outside double quotes, Shift-JIS bytes, CR LF after every line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "tabdump/table.h"

namespace tabdump {

// One cell as a field. Every line break (CR LF, CR or LF) and zero byte
// becomes a blank, because the converter reads one reference per line and
// stops at a zero byte. A cell holding a comma or a double quote is put in
// double quotes with each of its own quotes doubled: the converter then keeps
// the commas inside the field and later takes the quotes off again.
std::string CsvField(std::string_view cell);

// The whole table in UTF-8: fields joined by commas, each row followed by
// CR LF, empty rows as empty lines. Empty cells before a row's last cell are
// empty fields; after it there are none. An empty table gives an empty text.
std::string CsvText(const Table& table);

// The CSV bytes to write, and how many characters had no Shift-JIS form.
struct EncodedCsv {
  std::string bytes;
  size_t unmappable = 0;
};

// `utf8` in Shift-JIS (code page 932). A character Shift-JIS has no place
// for becomes "〓" and is counted. Characters that other Japanese encodings
// map to the same Shift-JIS code under another Unicode value (the wave dash
// 〜 U+301C, the minus sign − U+2212 and the like, which Mac and web text
// carry) are first turned into the values code page 932 uses.
EncodedCsv EncodeShiftJis(std::string_view utf8);

}  // namespace tabdump
