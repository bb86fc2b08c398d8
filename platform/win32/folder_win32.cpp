// The folder listing of the Windows backend. Names come from the system in
// the ANSI code page (Shift-JIS), like every other path of the programs;
// std::filesystem does not hand out narrow names in that code page.
#include "platform/folder.h"

#include <windows.h>

#include <algorithm>

#include "platform/files.h"
#include "platform/shift_jis.h"

namespace platform {

std::vector<std::string> ListFileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '/' && pattern.back() != '\\') pattern += '/';
  pattern += '*';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// In Shift-JIS an ASCII letter can be the second byte of a character, so
// only characters of one byte are folded.
bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

}  // namespace platform
