#include "platform/encoding.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/private_codes.h"
#include "platform/shift_jis.h"
#include "platform/utf8_scan.h"

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
      if (!IsLeadByte(static_cast<unsigned char>(b))) {
        if (!Keep(Decode(cp932.get(), in, 1), singles_[b - 0x80])) return;
      }
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        if (!Keep(Decode(cp932.get(), in, 2), pairs_[static_cast<size_t>(lead << 8 | trail)])) {
          return;
        }
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
    // Characters are gathered a few hundred bytes at a time and joined to
    // the text in one go, rather than one append each.
    char gathered[512];
    size_t used = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const size_t n = sjis.size();
    for (size_t i = 0; i < n;) {
      if (p[i] < 0x80) {
        const size_t start = i;
        while (i < n && p[i] < 0x80) ++i;
        out.append(gathered, used);
        used = 0;
        out.append(sjis.data() + start, i - start);
        continue;
      }
      const Utf8Of* c = nullptr;
      if (IsLeadByte(p[i])) {
        if (i + 1 < n) c = &pairs_[static_cast<size_t>(p[i] << 8 | p[i + 1])];
        i += 2;
      } else {
        c = &singles_[p[i] - 0x80];
        i += 1;
      }
      if (c == nullptr || c->length == 0) return std::nullopt;
      if (used + sizeof c->bytes > sizeof gathered) {
        out.append(gathered, used);
        used = 0;
      }
      std::memcpy(gathered + used, c->bytes, sizeof c->bytes);
      used += c->length;
    }
    out.append(gathered, used);
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

  // One character's UTF-8 in a fixed place, copied whole and counted by
  // its length; a length of 0 where the bytes are no character.
  struct Utf8Of {
    char bytes[7];
    uint8_t length = 0;
  };
  static bool Keep(const std::string& utf8, Utf8Of& kept) {
    if (utf8.size() > sizeof kept.bytes) return false;
    std::memcpy(kept.bytes, utf8.data(), utf8.size());
    kept.length = static_cast<uint8_t>(utf8.size());
    return true;
  }

  bool ready_ = false;
  std::array<Utf8Of, 0x80> singles_;
  std::vector<Utf8Of> pairs_;
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

namespace {

// Each character of the Basic Multilingual Plane as code page 932 writes
// it, asked of ICU's converter the first time the character is met and kept:
// a UTF-8 table of millions of characters is converted by look-up, and a run
// that converts only its messages asks for a few hundred characters, not
// all sixty thousand. 0 for a character code page 932 lacks; one byte is
// written as 00XX.
class Cp932FromUnicode {
 public:
  static constexpr uint16_t kLacking = 0;

  Cp932FromUnicode() : cp932_(OpenCp932()) {
    for (auto& code : codes_) code.store(kUnknown, std::memory_order_relaxed);
  }
  bool ready() const { return cp932_ != nullptr; }
  uint16_t Of(UChar32 c) const {
    if (c < 0 || c >= 0x10000) return kLacking;
    auto& known = codes_[static_cast<size_t>(c)];
    uint16_t code = known.load(std::memory_order_relaxed);
    if (code == kUnknown) {
      // Threads that meet a character at once each ask, and get the same.
      code = Ask(c);
      known.store(code, std::memory_order_relaxed);
    }
    return code;
  }

 private:
  // No character is written as FF FF.
  static constexpr uint16_t kUnknown = 0xFFFF;

  uint16_t Ask(UChar32 c) const {
    if (U_IS_SURROGATE(c)) return kLacking;
    const std::lock_guard<std::mutex> lock(mutex_);
    const UChar unit = static_cast<UChar>(c);
    char buf[8];
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(cp932_.get());
    // Stop at an unmappable character instead of ICU's own fallback.
    ucnv_setFromUCallBack(cp932_.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    const int32_t n = ucnv_fromUChars(cp932_.get(), buf, sizeof buf, &unit, 1, &status);
    if (U_FAILURE(status) || n < 1 || n > 2) return kLacking;
    const auto first = static_cast<unsigned char>(buf[0]);
    return n == 1 ? first : static_cast<uint16_t>(first << 8 | static_cast<unsigned char>(buf[1]));
  }

  Converter cp932_;
  mutable std::mutex mutex_;  // the converter, for the characters not yet known
  mutable std::array<std::atomic<uint16_t>, 0x10000> codes_;
};

const Cp932FromUnicode& FromUnicode() {
  static const Cp932FromUnicode table;  // made on first use; learns characters as they come
  return table;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8, std::string_view substitute, size_t* unmappable,
                       PrivateCodes* codes) {
  if (unmappable != nullptr) *unmappable = 0;
  const Cp932FromUnicode& table = FromUnicode();
  if (!table.ready()) return std::string();
  std::string out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const auto length = static_cast<int32_t>(utf8.size());
  for (int32_t i = 0; i < length;) {
    // Runs of ASCII, most of a table, go through as they are, found eight
    // bytes at a time: this runs before anything else can, on one core.
    const auto ascii = static_cast<int32_t>(AsciiRunEnd(utf8, static_cast<size_t>(i)));
    if (ascii > i) {
      out.append(utf8.data() + i, static_cast<size_t>(ascii - i));
      i = ascii;
      continue;
    }
    UChar32 c;
    if (IsPlainThreeByteCharacter(utf8, static_cast<size_t>(i))) {
      c = (bytes[i] & 0x0F) << 12 | (bytes[i + 1] & 0x3F) << 6 | (bytes[i + 2] & 0x3F);
      i += 3;
    } else {
      U8_NEXT(bytes, i, length, c);
    }
    // Characters that code page 932 would put on the user-defined area go
    // through the run's table of codes, so that none takes a code handed
    // out for another.
    const bool own_code =
        codes != nullptr && c >= 0 && PrivateCodes::MapsOntoTheArea(static_cast<char32_t>(c));
    const uint16_t sjis = c >= 0 && !own_code ? table.Of(c) : Cp932FromUnicode::kLacking;
    if (sjis != Cp932FromUnicode::kLacking) {
      if (sjis > 0xFF) out.push_back(static_cast<char>(sjis >> 8));
      out.push_back(static_cast<char>(sjis & 0xFF));
      continue;
    }
    const std::optional<uint16_t> code =
        codes != nullptr && c >= 0 ? codes->CodeFor(static_cast<char32_t>(c)) : std::nullopt;
    if (code) {
      out.push_back(static_cast<char>(*code >> 8));
      out.push_back(static_cast<char>(*code & 0xFF));
      continue;
    }
    out.append(substitute);
    if (unmappable != nullptr) ++*unmappable;
  }
  return out;
}

std::string PathToSjis(std::string_view path) {
  return LooksLikeUtf8(path) ? Utf8ToSjis(path) : std::string(path);
}

}  // namespace platform
