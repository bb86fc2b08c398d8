// The files of one folder, for the desktop program: listing their names and
// finding a file whose name differs from the wanted one only in letter case.
// The programs were made for a file system that ignores letter case, and
// users' folders still hold names such as "Style.INI" that must be found as
// "Style.ini"; refdesk uses these for its settings, histories and lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Names (without folder) of the entries of `folder` that are not folders,
// sorted by their bytes. Empty when the folder cannot be read.
std::vector<std::string> ListFileNames(const std::string& folder);

// True when the names are equal with ASCII letters compared without regard
// to case. Other bytes must match exactly, which is right for UTF-8 names:
// an ASCII byte never occurs inside a multi-byte character there.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// `folder` + `name` when that file exists; else `folder` + the first listed
// name equal to `name` without regard to ASCII case; else `folder` + `name`.
// `folder` ends with a separator.
std::string FindFileIgnoringCase(const std::string& folder, std::string_view name);

}  // namespace platform
