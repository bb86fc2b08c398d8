// Conversions between Shift-JIS (code page 932, as Windows defines it) and
// UTF-8. The programs keep text as Shift-JIS bytes; these are used for the
// messages file (kept in UTF-8 in the sources), for showing text on a UTF-8
// terminal, and for reading and writing UTF-8 input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class PrivateCodes;

// Shift-JIS bytes as UTF-8. Bytes that are not valid Shift-JIS become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

enum class TextEncoding { kShiftJis, kUtf8, kUtf16LittleEndian, kUtf16BigEndian };

// The encoding a file was most likely saved in. A byte-order mark decides;
// without one, a start of ASCII characters each paired with a zero byte is
// UTF-16 (Excel's "Unicode text"), and text that is valid UTF-8 and holds a
// non-ASCII character is UTF-8, unless it is also valid Shift-JIS and reads
// as UTF-8 only into unlikely characters (half-width katakana such as
// "ﾐｷﾗｲ" are valid two-byte UTF-8 too). Everything else is Shift-JIS.
TextEncoding GuessTextEncoding(std::string_view bytes);
// GuessTextEncoding(bytes) == kUtf8.
bool LooksLikeUtf8(std::string_view bytes);
// The length of the byte-order mark `bytes` begins with for `encoding`
// (0 when there is none).
size_t ByteOrderMarkLength(std::string_view bytes, TextEncoding encoding);
// UTF-16 code units (without a byte-order mark) as UTF-8. Unpaired
// surrogates and a last odd byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian);

// UTF-8 text as Shift-JIS. A character that Shift-JIS cannot hold becomes
// `substitute` (itself Shift-JIS bytes) and is counted in `*unmappable` when
// given.
// With `codes`, such a character gets a code of the user-defined area
// instead, and only those past the area's end become `substitute`.
std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute = "?",
                       size_t* unmappable = nullptr, PrivateCodes* codes = nullptr);

// Shift-JIS bytes as UTF-8, the user-defined codes that `codes` handed out
// as the characters they stand for.
std::string SjisToUtf8(std::string_view sjis, const PrivateCodes& codes);
// Shift-JIS bytes with every code that `codes` handed out replaced by
// `substitute`, for output that must stay Shift-JIS.
std::string WithoutPrivateCodes(std::string_view sjis, const PrivateCodes& codes,
                                std::string_view substitute);
// The same with each such code replaced by what `replace` makes of its
// character.
std::string MapPrivateCodes(std::string_view sjis, const PrivateCodes& codes,
                            std::string (*replace)(char32_t));

// A path as the system hands it over, as Shift-JIS text for a message. On
// Linux names are UTF-8 (a name that is not valid UTF-8 is kept as it is,
// and a character Shift-JIS lacks becomes "?"); on Windows they already are
// in code page 932. Files are always opened by the path's own bytes.
std::string PathToSjis(std::string_view path);

}  // namespace platform
