// What the two backends' file code shares: writing every byte of a buffer
// to an open file, which each backend does with its own system calls.
#pragma once

#include <string_view>

namespace platform::file_io {

// Writes all of `data` to the open file `fd`; false on any failure.
bool WriteAll(int fd, std::string_view data);
// Asks the system to start putting the first `length` bytes of the open
// file `fd` on disk now, without waiting, so that the sync that commits the
// file finds most of them written. Nothing where the system has no such
// request.
void StartWriteback(int fd, long long length);
// Removes the temporary files of writers not yet committed, with calls a
// signal handler may make: for a program that must end at once.
void RemoveUnfinishedTemporaries();

}  // namespace platform::file_io
