// Double-byte-aware operations on Shift-JIS text, shared by every part of the
// converter. The separators the converter looks for ("|", "#", "=", "_", the
// blank) also occur as the second byte of double-byte characters ("ポ" is
// 83 7C), so a match may only begin where a character begins.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shift_jis.h"

namespace refmill::text {

using platform::BeginsCharacter;
using platform::CharLength;
using platform::EqualsIgnoringAsciiCase;
using platform::IsLeadByte;

inline constexpr size_t kNotFound = std::string_view::npos;

// 0-based offset of the first occurrence of `needle` at or after `from` that
// begins on a character boundary; kNotFound when there is none or either
// text is empty. `from` must itself be a character boundary.
size_t FindFrom(std::string_view text, std::string_view needle, size_t from = 0);
// The same for a single byte.
size_t FindByte(std::string_view text, char byte, size_t from = 0);
inline bool Contains(std::string_view text, std::string_view needle) {
  return FindFrom(text, needle) != kNotFound;
}

// 1-based position of the first occurrence of `needle` in `text` on a
// character boundary; 0 when absent or when either text is empty.
size_t Find(std::string_view needle, std::string_view text);

// Every occurrence of `pattern` replaced by `replacement`, left to right,
// without overlaps and without searching inserted text again. An empty
// pattern leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);
// The length ReplaceAll would give, without building the text.
size_t ReplacedLength(std::string_view text, std::string_view pattern,
                      std::string_view replacement);
// The same as `text = ReplaceAll(text, pattern, replacement)`, without
// copying a text that holds no `pattern`.
void ReplaceAllInPlace(std::string& text, std::string_view pattern, std::string_view replacement);
// Every occurrence of the single byte `byte` removed.
std::string DeleteAll(std::string_view text, char byte);
// The same, in place.
void DeleteAllInPlace(std::string& text, char byte);

// 1-based position of the last `byte` on a character boundary; 0 when none.
size_t LastPos(char byte, std::string_view text);

// The first character: one byte, both bytes of a double-byte character, or
// empty for an empty text.
std::string_view FirstChar(std::string_view text);

// Splits at every `sep` that is a character of its own. Always returns at
// least one part; "a|" gives {"a", ""}.
std::vector<std::string> SplitOnByte(std::string_view text, char sep);

// ASCII letters lowered; every other byte, including both bytes of
// double-byte characters, unchanged.
std::string LowerAscii(std::string_view text);

// True when `text` ends with the character sequence `suffix` (the suffix
// must start on a character boundary of `text`).
bool EndsWith(std::string_view text, std::string_view suffix);

}  // namespace refmill::text
