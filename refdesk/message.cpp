#include "refdesk/message.h"

#ifdef _WIN32
#include <algorithm>

#include "platform/encoding.h"
#endif

namespace refdesk {

std::string PathText(std::string_view path) {
#ifdef _WIN32
  std::string text = platform::SjisToUtf8(path);
  // No byte of a UTF-8 multi-byte character is "/".
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
#else
  return std::string(path);
#endif
}

std::string_view LongHint(std::string_view hint) {
  const size_t bar = hint.find('|');
  return bar == std::string_view::npos ? hint : hint.substr(bar + 1);
}

Message MakeMessage(const MessageForm& form, std::string_view path) {
  std::string text;
  switch (form.path_place) {
    case PathPlace::kNone:
      text = form.text;
      break;
    case PathPlace::kAfterText:
      text = std::string(form.text) + std::string(kMessageLineBreak) + PathText(path);
      break;
    case PathPlace::kBeforeText:
      text = PathText(path) + std::string(form.text);
      break;
  }
  return Message{std::string(form.caption), text, form.icon, form.buttons};
}

}  // namespace refdesk
