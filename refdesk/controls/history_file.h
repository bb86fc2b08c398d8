// Where a history field keeps its entries: an ini file named like the
// running program with the extension ".INI", in the program's folder. On the
// platform the programs were made for, "refdesk.INI" and the window's own
// "refdesk.ini" are one file; here the name is looked up without regard to
// case so that they stay one file.
#pragma once

#include <string>
#include <string_view>

namespace refdesk::controls {

// The history file for the program at `program_path`: its folder + its name
// with the extension (from the last dot of the file name on) replaced by
// ".INI", or ".INI" appended to a name without one. An existing file whose
// name differs only in letter case is returned instead; when there is none,
// the name ends in ".ini", which is the spelling the window's own settings
// file uses.
std::string HistoryFilePath(std::string_view program_path);

}  // namespace refdesk::controls
