// One tabdump run, from the command line to the exit code. main builds the
// real console and calls Run; tests call Run with string streams.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "tabdump/exit_code.h"

namespace tabdump {

// Where messages go, and whether that place reads UTF-8 (a terminal that
// does) or Shift-JIS (anything else, as on the users' machines).
struct MessageStream {
  std::ostream& stream;
  bool utf8 = false;
};

struct Console {
  MessageStream out;  // the help text
  MessageStream err;  // one line per failure or warning
};

// Writes `text` (UTF-8) in the encoding the stream reads.
void WriteMessage(const MessageStream& to, std::string_view text);

// True for a command line that is only "/?", "-h" or "--help".
bool IsHelpRequest(const std::vector<std::string>& args);

// A path as UTF-8 for a message. Paths come in the system's code page: on
// Windows that is Shift-JIS, which must not go through the messages' UTF-8
// conversion as it stands.
std::string PathForMessage(std::string_view path);

// Runs tabdump on `args` (the command line without the program name):
// [/s] source destination, or /? for the help text. Writes the table and
// returns ExitCode::kWritten, or writes one line to `console.err` and returns
// the failure's code. Nothing is written to the destination on failure.
ExitCode Run(const std::vector<std::string>& args, const Console& console);

}  // namespace tabdump
