// What the console converter needs to know about its terminal.
#pragma once

namespace platform {

// True when file descriptor `fd` is a terminal whose locale expects UTF-8, so
// Shift-JIS messages must be converted to be readable there.
bool IsUtf8Terminal(int fd);

// Makes writing to a pipe whose reader has gone an ordinary write error
// instead of a signal that ends the process, so the run can still finish
// its output file and report the failure through its exit code.
void IgnoreBrokenPipes();

}  // namespace platform
