// Fuzzes the reading and writing of UTF-8 text: any valid UTF-8 text read
// as a run reads a UTF-8 file (characters Shift-JIS lacks given user-defined
// codes) and written back as a UTF-8 list is the same bytes; any input at
// all is read without a crash, and a Shift-JIS file's own user-defined
// characters are never handed out again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/private_codes.h"
#include "platform/shift_jis.h"
#include "refmill/driver/input_file.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using fuzz::Check;

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<uint8_t>(s[i]);
    size_t n = b < 0x80                 ? 1
               : b >= 0xC2 && b <= 0xDF ? 2
               : b >= 0xE0 && b <= 0xEF ? 3
               : b >= 0xF0 && b <= 0xF4 ? 4
                                        : 0;
    if (n == 0 || i + n > s.size()) return false;
    char32_t c = n == 1 ? b : b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
      const auto t = static_cast<uint8_t>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = c << 6 | (t & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto parts = fuzz::Parts(data, size, 2);
  // A Shift-JIS file of the same run, whose own user-defined characters
  // must keep their meaning.
  const std::string_view sjis_file = parts[1];
  platform::PrivateCodes codes;
  codes.ReserveUsedIn(sjis_file);

  // The byte-order mark makes the text UTF-8 whatever it holds.
  const std::string utf8(parts[0]);
  const refmill::driver::InputText read =
      refmill::driver::DecodeInput("\xEF\xBB\xBF" + utf8, &codes);
  const std::string written = platform::SjisToUtf8(read.bytes, codes);
  if (IsValidUtf8(utf8) && read.unmappable == 0 && codes.overflow() == 0) {
    Check(written == utf8, "valid UTF-8 comes back byte for byte");
  }
  // The Shift-JIS file's user-defined characters stand for nothing handed out.
  for (size_t i = 0; i + 1 < sjis_file.size(); ++i) {
    const auto code = platform::PrivateCodes::AsCode(static_cast<uint8_t>(sjis_file[i]),
                                                     static_cast<uint8_t>(sjis_file[i + 1]));
    if (code && codes.CharacterOf(*code)) {
      // Only a code at a character boundary of the file is its own.
      size_t at = 0;
      while (at < i) at += platform::CharLength(sjis_file, at);
      Check(at != i, "a code the Shift-JIS file uses was handed out");
    }
  }
  return 0;
}
