#include "platform/win32/windows_text.h"

#include <windows.h>

#include "platform/shift_jis.h"

namespace platform::win32 {

std::wstring ToWide(std::string_view text, unsigned code_page) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), n);
  return wide;
}

std::string FromWide(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes no flags; it has every character anyway.
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int n =
      WideCharToMultiByte(code_page, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, flags, wide.data(), length, text.data(), n, nullptr, nullptr);
  return text;
}

std::string ForwardSlashes(std::string_view path) {
  std::string out(path);
  for (size_t pos = 0; pos < out.size(); pos += CharLength(out, pos)) {
    if (out[pos] == '\\') out[pos] = '/';
  }
  return out;
}

}  // namespace platform::win32
