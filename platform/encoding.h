// Conversions between Shift-JIS (code page 932, as Windows defines it) and
// UTF-8. The programs keep text as Shift-JIS bytes; these are used for the
// messages file (kept in UTF-8 in the sources), for showing text on a UTF-8
// terminal, and for reading and writing UTF-8 input.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Shift-JIS bytes as UTF-8. Bytes that are not valid Shift-JIS become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// True when `bytes` begins with the UTF-8 byte-order mark, or is valid UTF-8
// that holds at least one non-ASCII character. Shift-JIS text with kana or
// kanji is practically never valid UTF-8, so such a file was saved as UTF-8.
bool LooksLikeUtf8(std::string_view bytes);

// UTF-8 text as Shift-JIS. A character that Shift-JIS cannot hold becomes
// `substitute` (itself Shift-JIS bytes) and is counted in `*unmappable` when
// given.
std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute = "?",
                       size_t* unmappable = nullptr);

// A path as the system hands it over, as Shift-JIS text for a message. On
// Linux names are UTF-8 (a name that is not valid UTF-8 is kept as it is,
// and a character Shift-JIS lacks becomes "?"); on Windows they already are
// in code page 932. Files are always opened by the path's own bytes.
std::string PathToSjis(std::string_view path);

}  // namespace platform
