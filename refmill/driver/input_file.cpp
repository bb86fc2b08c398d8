#include "refmill/driver/input_file.h"

#include <cstring>

namespace refmill::driver {
namespace {

constexpr std::string_view kGetaMark = "\x81\xAC";  // 〓

// Enough of a file's start to tell UTF-16 without a byte-order mark.
constexpr size_t kEncodingSample = 1024;

bool IsUtf16(platform::TextEncoding encoding) {
  return encoding == platform::TextEncoding::kUtf16LittleEndian ||
         encoding == platform::TextEncoding::kUtf16BigEndian;
}

}  // namespace

namespace {

InputText Decode(std::string raw, platform::TextEncoding encoding, platform::PrivateCodes* codes) {
  InputText text;
  text.encoding = encoding;
  if (!text.converted()) {
    text.bytes = std::move(raw);
    return text;
  }
  std::string_view body(raw);
  body.remove_prefix(platform::ByteOrderMarkLength(body, text.encoding));
  if (IsUtf16(text.encoding)) {
    const bool big_endian = text.encoding == platform::TextEncoding::kUtf16BigEndian;
    text.bytes = platform::Utf8ToSjis(platform::Utf16ToUtf8(body, big_endian), kGetaMark,
                                      &text.unmappable, codes);
  } else {
    text.bytes = platform::Utf8ToSjis(body, kGetaMark, &text.unmappable, codes);
  }
  return text;
}

}  // namespace

InputText DecodeInput(std::string raw, platform::PrivateCodes* codes) {
  const platform::TextEncoding encoding = platform::GuessTextEncoding(raw);
  return Decode(std::move(raw), encoding, codes);
}

InputText DecodeInput(InputRead&& read, platform::PrivateCodes* codes) {
  return Decode(std::move(read.raw), read.encoding, codes);
}

InputRead ReadInputFile(const std::string& path, size_t limit, bool stop_at_zero_byte) {
  InputRead read;
  platform::ReadEnough enough;
  if (stop_at_zero_byte) {
    enough = [](std::string_view so_far, size_t new_from) {
      if (std::memchr(so_far.data() + new_from, '\0', so_far.size() - new_from) == nullptr) {
        return false;
      }
      return !IsUtf16(platform::GuessTextEncoding(so_far.substr(0, kEncodingSample)));
    };
  }
  read.status = platform::ReadFileUpTo(path, read.raw, limit, enough);
  read.encoding = platform::GuessTextEncoding(read.raw);
  return read;
}

void ReserveOwnCodes(const InputRead& read, platform::PrivateCodes& codes) {
  if (read.encoding == platform::TextEncoding::kShiftJis) codes.ReserveUsedIn(read.raw);
}

}  // namespace refmill::driver
