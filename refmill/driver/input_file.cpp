#include "refmill/driver/input_file.h"

#include "platform/encoding.h"
#include "platform/files.h"

namespace refmill::driver {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kGetaMark = "\x81\xAC";  // 〓

}  // namespace

InputText DecodeInput(std::string raw) {
  InputText text;
  if (!platform::LooksLikeUtf8(raw)) {
    text.bytes = std::move(raw);
    return text;
  }
  std::string_view utf8(raw);
  if (utf8.substr(0, kByteOrderMark.size()) == kByteOrderMark) utf8.remove_prefix(kByteOrderMark.size());
  text.bytes = platform::Utf8ToSjis(utf8, kGetaMark, &text.unmappable);
  text.converted = true;
  return text;
}

std::optional<InputText> ReadInputFile(const std::string& path) {
  std::string raw;
  if (!platform::ReadWholeFile(path, raw)) return std::nullopt;
  return DecodeInput(std::move(raw));
}

}  // namespace refmill::driver
