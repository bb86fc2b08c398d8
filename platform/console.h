// What the console converter needs to know about its terminal.
#pragma once

namespace platform {

// True when file descriptor `fd` is a terminal whose locale expects UTF-8, so
// Shift-JIS messages must be converted to be readable there.
bool IsUtf8Terminal(int fd);

}  // namespace platform
