// Whether two paths name one file, for the Windows build of tabdump, which
// must never write its table over the workbook it reads.
#pragma once

#include <string>

namespace tabdump::win32 {

// True when both paths (in the ANSI code page, as the arguments come) name
// one existing file, whatever the spelling: case, "/" or "\", short names,
// links. False when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace tabdump::win32
