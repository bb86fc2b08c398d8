// What the two backends' file code shares: writing every byte of a buffer
// to an open file, which each backend does with its own system calls.
#pragma once

#include <string_view>

namespace platform::file_io {

// Writes all of `data` to the open file `fd`; false on any failure.
bool WriteAll(int fd, std::string_view data);

}  // namespace platform::file_io
