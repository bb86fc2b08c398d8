// Small helpers the Windows backend shares: code page 932 to UTF-16 and back,
// and the "/" separator that the programs' paths use on Windows too.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The Shift-JIS code page, whatever the machine's ANSI code page is.
inline constexpr unsigned kCodePage932 = 932;

// `text` in code page `code_page` as UTF-16. Bytes that form no character
// become the code page's default character.
std::wstring ToWide(std::string_view text, unsigned code_page);

// `wide` in code page `code_page`. A character the code page lacks becomes
// its default character ("?"), never a look-alike ("é" as "e"): in a path a
// look-alike would name another file.
std::string FromWide(std::wstring_view wide, unsigned code_page);

// A path from the system ("C:\dir\file") with every "\" character turned
// into "/". The callers above the platform layer split paths at "/" only;
// Windows takes both. A "\" that is the second byte of a double-byte
// character (as in "ソ", 83 5C) is left alone.
std::string ForwardSlashes(std::string_view path);

}  // namespace platform::win32
