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
  if (wide.empty()) return std::string();
  std::wstring slashed(wide);
  std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
  const int length = static_cast<int>(slashed.size());
  const UINT code_page = platform::win32::kCodePage932;
  const int n =
      WideCharToMultiByte(code_page, 0, slashed.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, slashed.data(), length, text.data(), n, nullptr, nullptr);
  return text;
}

}  // namespace refdesk::win32
