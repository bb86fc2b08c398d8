// Reading the files a user names (source table, style, file type). They
// should be Shift-JIS, but editors save UTF-8 more and more often, and
// Excel's "Unicode text" is UTF-16; such a file would otherwise be split at
// the wrong bytes into silent garbage, so it is converted on reading and
// the run says so. Every read has a size limit, so that a device or pipe
// without end ends the run with a message instead of exhausting memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/private_codes.h"

namespace refmill::driver {

// Far above any real file of each kind, far below what would exhaust a
// machine. A table of a million references is about 120 MB.
inline constexpr size_t kSettingsFileLimit = size_t{16} << 20;       // style, file type, roman.dat
inline constexpr size_t kAbbreviationFileLimit = size_t{256} << 20;  // abbrev.dat
inline constexpr size_t kTableLimit = size_t{1} << 30;               // the source table
// A table from this size on is read in place (mapped) where the system can:
// it is then held once, in the system's cache, instead of twice.
inline constexpr size_t kMapTableFrom = size_t{1} << 20;

struct InputText {
  std::string bytes;                             // Shift-JIS
  std::unique_ptr<platform::MappedFile> mapped;  // in place of `bytes`: a file read in place
  platform::TextEncoding encoding = platform::TextEncoding::kShiftJis;  // as saved
  size_t unmappable = 0;  // characters Shift-JIS cannot hold, now "〓"
  bool converted() const { return encoding != platform::TextEncoding::kShiftJis; }
  std::string_view Text() const { return mapped ? mapped->Text() : std::string_view(bytes); }
};

// A file as it was read, before any conversion.
struct InputRead {
  platform::ReadStatus status = platform::ReadStatus::kUnreadable;
  std::string raw;
  std::unique_ptr<platform::MappedFile> mapped;  // in place of `raw`: a file read in place
  platform::TextEncoding encoding = platform::TextEncoding::kShiftJis;  // guessed once
  bool ok() const { return status == platform::ReadStatus::kRead; }
  std::string_view Bytes() const { return mapped ? mapped->Text() : std::string_view(raw); }
};

// Reads up to `limit` bytes. With `stop_at_zero_byte` reading ends at a
// zero byte (after which nothing is used) unless the file is UTF-16, whose
// characters hold zero bytes. A regular file of `map_from` bytes or more
// that holds no zero byte is mapped instead of read, where the system can.
InputRead ReadInputFile(const std::string& path, size_t limit, bool stop_at_zero_byte = false,
                        size_t map_from = SIZE_MAX);

// The text as Shift-JIS, converted when it was saved as UTF-8 or UTF-16 (a
// byte-order mark is dropped). With `codes`, characters Shift-JIS lacks get
// user-defined codes, and only those past the area's end become "〓".
InputText DecodeInput(std::string raw, platform::PrivateCodes* codes = nullptr);
// The same for a file read, whose encoding was guessed on reading. A mapped
// file stays mapped when it needs no conversion and goes when it is
// converted.
InputText DecodeInput(InputRead&& read, platform::PrivateCodes* codes);

// Keeps the user-defined characters of the files that are Shift-JIS from
// being handed out for characters of the run's other files. Codes are
// handed out only while a UTF-8 or UTF-16 file is converted: where all the
// files are Shift-JIS there is nothing to keep them from, and a large table
// is not read for them.
void ReserveOwnCodes(std::initializer_list<const InputRead*> reads, platform::PrivateCodes& codes);

}  // namespace refmill::driver
