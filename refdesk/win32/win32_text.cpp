#include "refdesk/win32/win32_text.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/windows_text.h"

namespace refdesk::win32 {

std::wstring FromUtf8(std::string_view utf8) { return platform::win32::ToWide(utf8, CP_UTF8); }

std::wstring PathToWide(std::string_view path) {
  std::wstring wide = platform::win32::ToWide(path, platform::win32::kCodePage932);
  // In UTF-16 no half of another character is "/", unlike in code page 932.
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

std::string WideToPath(std::wstring_view wide) {
  std::wstring slashed(wide);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  return platform::win32::FromWide(slashed, platform::win32::kCodePage932);
}

}  // namespace refdesk::win32
