// Message boxes as plain data, so that the code that decides what to say
// never touches Qt and tests can compare every message byte for byte. The
// one helper MakeMessage lays out every message of refdesk.
#pragma once

#include <string>
#include <string_view>

namespace refdesk {

enum class MessageIcon { kNone, kExclamation, kQuestion };
enum class MessageButtons { kOk, kOkCancel, kYesNo };
enum class Answer { kOk, kCancel, kYes, kNo };

// Where the path named by a message stands.
enum class PathPlace {
  kNone,
  kAfterText,   // the text, a line break, then the path
  kBeforeText,  // the path directly followed by the text
};

// The fixed part of one message, declared once in messages.h.
struct MessageForm {
  std::string_view caption;
  std::string_view text;
  PathPlace path_place = PathPlace::kNone;
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;
};

// A message ready to be shown.
struct Message {
  std::string caption;
  std::string text;
  MessageIcon icon = MessageIcon::kNone;
  MessageButtons buttons = MessageButtons::kOk;

  bool operator==(const Message&) const = default;
};

// The line break between a message's text and its path, as the stored
// wording has always had it.
inline constexpr std::string_view kMessageLineBreak = "\r\n";

// A path as it stands in a message or a status text, which are UTF-8. On
// Windows paths are code page 932 bytes with "/" between folders; there
// they are converted and shown with the system's "\".
std::string PathText(std::string_view path);

// What the status bar shows of a hint: a hint is stored as short part, "|",
// long part, and the bar shows the long part, or the whole hint when it has
// no "|".
std::string_view LongHint(std::string_view hint);

// `form` with `path` put in its place. A form without a path ignores `path`.
Message MakeMessage(const MessageForm& form, std::string_view path = {});

}  // namespace refdesk
