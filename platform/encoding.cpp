#include "platform/encoding.h"

#include "platform/private_codes.h"

#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <memory>
#include <vector>

namespace platform {
namespace {

// ICU's name for the Windows flavour of Shift-JIS: 81 5C is U+2015 and 5C is
// the backslash, as on the users' machines.
constexpr const char* kCodePage932 = "windows-31j";

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter OpenCp932() {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(kCodePage932, &status));
  return U_SUCCESS(status) ? std::move(c) : nullptr;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  Converter cp932 = OpenCp932();
  if (!cp932 || sjis.empty()) return std::string();
  std::vector<UChar> utf16(sjis.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n16 = ucnv_toUChars(cp932.get(), utf16.data(), static_cast<int32_t>(utf16.size()),
                                    sjis.data(), static_cast<int32_t>(sjis.size()), &status);
  if (U_FAILURE(status)) return std::string();
  std::string out;
  out.reserve(static_cast<size_t>(n16) * 3);
  for (int32_t i = 0; i < n16;) {
    UChar32 c;
    U16_NEXT(utf16.data(), i, n16, c);
    uint8_t buf[4];
    int32_t len = 0;
    U8_APPEND_UNSAFE(buf, len, c);
    out.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(len));
  }
  return out;
}

std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute, size_t* unmappable,
                       PrivateCodes* codes) {
  Converter cp932 = OpenCp932();
  if (unmappable != nullptr) *unmappable = 0;
  if (!cp932) return std::string();
  std::string out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0x80 && c >= 0) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    UChar units[2];
    int32_t n16 = 0;
    if (c >= 0) U16_APPEND_UNSAFE(units, n16, c);
    char buf[8];
    UErrorCode status = U_ZERO_ERROR;
    int32_t n = 0;
    if (n16 > 0 && !(codes != nullptr && PrivateCodes::MapsOntoTheArea(static_cast<char32_t>(c)))) {
      ucnv_reset(cp932.get());
      // Stop at the first unmappable character instead of ICU's own fallback.
      ucnv_setFromUCallBack(cp932.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                            &status);
      n = ucnv_fromUChars(cp932.get(), buf, sizeof buf, units, n16, &status);
    }
    if (n16 == 0 || U_FAILURE(status) || n == 0) {
      const std::optional<uint16_t> code =
          codes != nullptr && c >= 0 ? codes->CodeFor(static_cast<char32_t>(c)) : std::nullopt;
      if (code) {
        out.push_back(static_cast<char>(*code >> 8));
        out.push_back(static_cast<char>(*code & 0xFF));
        continue;
      }
      out.append(substitute);
      if (unmappable != nullptr) ++*unmappable;
    } else {
      out.append(buf, static_cast<size_t>(n));
    }
  }
  return out;
}

std::string PathToSjis(std::string_view path) {
  return LooksLikeUtf8(path) ? Utf8ToSjis(path) : std::string(path);
}

}  // namespace platform
