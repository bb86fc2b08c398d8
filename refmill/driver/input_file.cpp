#include "refmill/driver/input_file.h"

#include <algorithm>
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

InputText Decode(std::string raw, std::unique_ptr<platform::MappedFile> mapped,
                 platform::TextEncoding encoding, platform::PrivateCodes* codes) {
  InputText text;
  text.encoding = encoding;
  if (!text.converted()) {
    text.bytes = std::move(raw);
    text.mapped = std::move(mapped);
    return text;
  }
  std::string_view body = mapped ? mapped->Text() : std::string_view(raw);
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
  return Decode(std::move(raw), nullptr, encoding, codes);
}

InputText DecodeInput(InputRead&& read, platform::PrivateCodes* codes) {
  return Decode(std::move(read.raw), std::move(read.mapped), read.encoding, codes);
}

InputRead ReadInputFile(const std::string& path, size_t limit, bool stop_at_zero_byte,
                        size_t map_from) {
  InputRead read;
  if (map_from != SIZE_MAX) {
    read.mapped = platform::MappedFile::Map(path, map_from, limit);
    // Where a zero byte cuts the text short, what follows it stays unread as
    // far as reading in pieces leaves it unread, which the encoding's guess
    // may depend on: such a rare file is read as ever.
    const std::string_view text = read.Bytes();
    if (read.mapped && std::memchr(text.data(), '\0', text.size()) == nullptr) {
      read.status = platform::ReadStatus::kRead;
      read.encoding = platform::GuessTextEncoding(text);
      return read;
    }
    read.mapped.reset();
  }
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

void ReserveOwnCodes(std::initializer_list<const InputRead*> reads, platform::PrivateCodes& codes) {
  const auto shift_jis = [](const InputRead* read) {
    return read->encoding == platform::TextEncoding::kShiftJis;
  };
  if (std::all_of(reads.begin(), reads.end(), shift_jis)) return;
  for (const InputRead* read : reads) {
    if (shift_jis(read)) codes.ReserveUsedIn(read->Bytes());
  }
}

}  // namespace refmill::driver
