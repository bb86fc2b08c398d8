#include "platform/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "platform/private_codes.h"
#include "platform/shift_jis.h"

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

// What the conversion callback needs to put a character Shift-JIS lacks in
// its place.
struct Unmappable {
  std::string_view substitute;
  PrivateCodes* codes;
  size_t count = 0;
};

void WriteUnmappable(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                     UChar32 code_point, UConverterCallbackReason reason, UErrorCode* status) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  auto* unmappable = static_cast<Unmappable*>(const_cast<void*>(context));
  *status = U_ZERO_ERROR;
  const std::optional<uint16_t> code =
      unmappable->codes != nullptr && code_point >= 0
          ? unmappable->codes->CodeFor(static_cast<char32_t>(code_point))
          : std::nullopt;
  if (code) {
    const char bytes[2] = {static_cast<char>(*code >> 8), static_cast<char>(*code & 0xFF)};
    ucnv_cbFromUWriteBytes(args, bytes, 2, 0, status);
    return;
  }
  ++unmappable->count;
  ucnv_cbFromUWriteBytes(args, unmappable->substitute.data(),
                         static_cast<int32_t>(unmappable->substitute.size()), 0, status);
}

// The whole text in one conversion: valid UTF-8 without characters that
// code page 932 would put on the user-defined area itself. Nothing when the
// text is not such, for the character-by-character way to take it.
std::optional<std::string> Utf8ToSjisAtOnce(UConverter* cp932, std::string_view utf8,
                                            std::string_view substitute, size_t* unmappable,
                                            PrivateCodes* codes) {
  UErrorCode status = U_ZERO_ERROR;
  // UTF-16 never needs more code units than UTF-8 has bytes.
  std::vector<UChar> utf16(utf8.size() + 1);
  int32_t n16 = 0;
  u_strFromUTF8(utf16.data(), static_cast<int32_t>(utf16.size()), &n16, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  if (U_FAILURE(status)) return std::nullopt;
  // ICU's table of code page 932 rotates three control characters (1A, 1C
  // and 7F), which Windows, and every other part of this program, keep as
  // they are; those go the character-by-character way, which passes ASCII
  // through untouched.
  const auto needs_care = [codes](UChar c) {
    return c == 0x1A || c == 0x1C || c == 0x7F ||
           (codes != nullptr && PrivateCodes::MapsOntoTheArea(c));
  };
  if (std::any_of(utf16.begin(), utf16.begin() + n16, needs_care)) return std::nullopt;
  Unmappable context{substitute, codes};
  ucnv_setFromUCallBack(cp932, WriteUnmappable, &context, nullptr, nullptr, &status);
  std::string out(static_cast<size_t>(n16) * 2 + substitute.size() * 2 + 16, '\0');
  int32_t n = ucnv_fromUChars(cp932, out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                              n16, &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    // Substitutes longer than two bytes can need more room.
    out.resize(static_cast<size_t>(n));
    status = U_ZERO_ERROR;
    context.count = 0;
    ucnv_reset(cp932);
    n = ucnv_fromUChars(cp932, out.data(), static_cast<int32_t>(out.size()), utf16.data(), n16,
                        &status);
  }
  if (U_FAILURE(status)) return std::nullopt;
  out.resize(static_cast<size_t>(n));
  if (unmappable != nullptr) *unmappable = context.count;
  return out;
}

}  // namespace

namespace {

// Code page 932 as UTF-8 one character at a time, looked up in a table made
// once from ICU's own converter: whole lists pass through here, and most of
// their bytes are ASCII that needs no converter at all.
class Cp932Table {
 public:
  Cp932Table() : pairs_(65536) {
    Converter cp932 = OpenCp932();
    if (!cp932) return;
    for (int b = 0x80; b < 0x100; ++b) {
      const char in[1] = {static_cast<char>(b)};
      if (!IsLeadByte(static_cast<unsigned char>(b)))
        singles_[b - 0x80] = Decode(cp932.get(), in, 1);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        pairs_[static_cast<size_t>(lead << 8 | trail)] = Decode(cp932.get(), in, 2);
      }
    }
    ready_ = true;
  }

  // The text as UTF-8, or nothing when some byte forms no character (the
  // converter then decides what stands for it).
  std::optional<std::string> ToUtf8(std::string_view sjis) const {
    if (!ready_) return std::nullopt;
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const size_t n = sjis.size();
    for (size_t i = 0; i < n;) {
      if (p[i] < 0x80) {
        const size_t start = i;
        while (i < n && p[i] < 0x80) ++i;
        out.append(sjis.data() + start, i - start);
        continue;
      }
      const std::string* c = nullptr;
      if (IsLeadByte(p[i])) {
        if (i + 1 < n) c = &pairs_[static_cast<size_t>(p[i] << 8 | p[i + 1])];
        i += 2;
      } else {
        c = &singles_[p[i] - 0x80];
        i += 1;
      }
      if (c == nullptr || c->empty()) return std::nullopt;
      out += *c;
    }
    return out;
  }

 private:
  // One character's UTF-8, or empty when the bytes are no character.
  static std::string Decode(UConverter* cp932, const char* in, int32_t length) {
    UChar utf16[4];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(cp932);
    ucnv_setToUCallBack(cp932, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const int32_t n16 = ucnv_toUChars(cp932, utf16, 4, in, length, &status);
    if (U_FAILURE(status) || n16 == 0) return std::string();
    char utf8[16];
    int32_t n8 = 0;
    u_strToUTF8(utf8, sizeof utf8, &n8, utf16, n16, &status);
    return U_FAILURE(status) ? std::string() : std::string(utf8, static_cast<size_t>(n8));
  }

  bool ready_ = false;
  std::array<std::string, 0x80> singles_;
  std::vector<std::string> pairs_;
};

const Cp932Table& Table() {
  static const Cp932Table table;  // made on first use, read-only after
  return table;
}

}  // namespace

std::string SjisToUtf8(std::string_view sjis) {
  if (auto fast = Table().ToUtf8(sjis)) return std::move(*fast);
  Converter cp932 = OpenCp932();
  if (!cp932 || sjis.empty()) return std::string();
  std::vector<UChar> utf16(sjis.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n16 = ucnv_toUChars(cp932.get(), utf16.data(), static_cast<int32_t>(utf16.size()),
                                    sjis.data(), static_cast<int32_t>(sjis.size()), &status);
  if (U_FAILURE(status)) return std::string();
  std::string out(static_cast<size_t>(n16) * 3, '\0');
  int32_t n8 = 0;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &n8, utf16.data(), n16, &status);
  if (U_FAILURE(status)) return std::string();
  out.resize(static_cast<size_t>(n8));
  return out;
}

std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute, size_t* unmappable,
                       PrivateCodes* codes) {
  Converter cp932 = OpenCp932();
  if (unmappable != nullptr) *unmappable = 0;
  if (!cp932) return std::string();
  if (auto whole = Utf8ToSjisAtOnce(cp932.get(), utf8, substitute, unmappable, codes)) {
    return std::move(*whole);
  }
  ucnv_reset(cp932.get());
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
