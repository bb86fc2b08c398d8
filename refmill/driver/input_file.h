// Reading the files a user names (source table, style, file type). They
// should be Shift-JIS, but editors save UTF-8 more and more often; such a
// file would otherwise be split at the wrong bytes into silent garbage, so
// it is converted on reading and the run says so.
#pragma once

#include <optional>
#include <string>

namespace refmill::driver {

struct InputText {
  std::string bytes;       // Shift-JIS
  bool converted = false;  // the file was UTF-8
  size_t unmappable = 0;   // characters Shift-JIS cannot hold, now "〓"
};

// The file's text, converted from UTF-8 when it is UTF-8 (a byte-order mark
// is dropped); nothing when it cannot be read.
std::optional<InputText> ReadInputFile(const std::string& path);

// The same for text already in memory.
InputText DecodeInput(std::string raw);

}  // namespace refmill::driver
