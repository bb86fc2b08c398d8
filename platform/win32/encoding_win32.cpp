#include "platform/encoding.h"

#include <windows.h>

#include <algorithm>

#include "platform/private_codes.h"
#include "platform/win32/windows_text.h"

namespace platform {
namespace {

std::string FromWide(const wchar_t* wide, size_t length, unsigned code_page, DWORD flags,
                     BOOL* used_default) {
  if (length == 0) return std::string();
  const int n16 = static_cast<int>(length);
  const int n = WideCharToMultiByte(code_page, flags, wide, n16, nullptr, 0, nullptr, used_default);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, flags, wide, n16, out.data(), n, nullptr, used_default);
  return out;
}

// Windows maps many characters to look-alikes ("é" to "e") unless told not
// to; a look-alike would silently change a name.
constexpr DWORD kExactOnly = WC_NO_BEST_FIT_CHARS;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  const std::wstring wide = win32::ToWide(sjis, win32::kCodePage932);
  return FromWide(wide.data(), wide.size(), CP_UTF8, 0, nullptr);
}

std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute, size_t* unmappable,
                       PrivateCodes* codes) {
  if (unmappable != nullptr) *unmappable = 0;
  const std::wstring wide = win32::ToWide(utf8, CP_UTF8);
  BOOL used_default = FALSE;
  std::string whole =
      FromWide(wide.data(), wide.size(), win32::kCodePage932, kExactOnly, &used_default);
  const auto onto_area = [codes](wchar_t c) {
    return codes != nullptr && PrivateCodes::MapsOntoTheArea(static_cast<char32_t>(c));
  };
  if (!used_default && std::none_of(wide.begin(), wide.end(), onto_area)) return whole;
  // Some character has no Shift-JIS form: convert one character at a time
  // to put the caller's substitute in its place and count it.
  std::string out;
  out.reserve(whole.size());
  for (size_t i = 0; i < wide.size();) {
    const size_t length = IsHighSurrogate(wide[i]) && i + 1 < wide.size() ? 2 : 1;
    BOOL missing = FALSE;
    const std::string one =
        FromWide(wide.data() + i, length, win32::kCodePage932, kExactOnly, &missing);
    if (missing || one.empty() || onto_area(wide[i])) {
      char32_t c = wide[i];
      if (length == 2) c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      if (const auto code = codes != nullptr ? codes->CodeFor(c) : std::nullopt) {
        out.push_back(static_cast<char>(*code >> 8));
        out.push_back(static_cast<char>(*code & 0xFF));
        i += length;
        continue;
      }
      out.append(substitute);
      if (unmappable != nullptr) ++*unmappable;
    } else {
      out.append(one);
    }
    i += length;
  }
  return out;
}

std::string PathToSjis(std::string_view path) { return std::string(path); }

}  // namespace platform
