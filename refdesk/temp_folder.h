// A private folder in the system's temporary folder, for the temporary
// table of direct mode: made fresh for each run, on a name nobody could
// have prepared, and removed again when empty.
#pragma once

#include <string>
#include <string_view>

namespace refdesk {

// Makes a new folder named after `pattern` (its trailing "XXXXXX" replaced
// by random characters) in the system's temporary folder and returns its
// path, without a trailing separator. Empty when no folder could be made.
std::string MakePrivateFolder(std::string_view pattern);
// Removes an empty folder; false when it is left.
bool RemoveEmptyFolder(const std::string& folder);

}  // namespace refdesk
