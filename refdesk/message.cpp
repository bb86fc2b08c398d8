#include "refdesk/message.h"

namespace refdesk {

Message MakeMessage(const MessageForm& form, std::string_view path) {
  std::string text;
  switch (form.path_place) {
    case PathPlace::kNone:
      text = form.text;
      break;
    case PathPlace::kAfterText:
      text = std::string(form.text) + std::string(kMessageLineBreak) + std::string(path);
      break;
    case PathPlace::kBeforeText:
      text = std::string(path) + std::string(form.text);
      break;
  }
  return Message{std::string(form.caption), text, form.icon, form.buttons};
}

}  // namespace refdesk
