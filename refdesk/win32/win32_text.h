// The three kinds of text the Win32 window moves between: the system's
// UTF-16, the UTF-8 of refdesk's messages, and paths as the platform layer
// keeps them on Windows (code page 932 bytes with "/" between folders).
// Paths are shown to the user with "\".
#pragma once

#include <string>
#include <string_view>

namespace refdesk::win32 {

std::wstring FromUtf8(std::string_view utf8);
// A path for the user to read: "/" shown as "\".
std::wstring PathToWide(std::string_view path);
// A path as the user wrote it, for the platform layer: "\" kept as "/".
// A character code page 932 lacks becomes "?", which names no file.
std::string WideToPath(std::wstring_view wide);

}  // namespace refdesk::win32
