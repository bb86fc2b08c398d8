// The one message stream of a run: the console's standard output, or the
// file error.log when the log flag is set. It decides which messages are
// notices (shown only when notices are on) and turns formatter warnings into
// their notice lines.
#pragma once

#include <fstream>
#include <iosfwd>
#include <string>
#include <string_view>

#include "platform/private_codes.h"
#include "refmill/driver/messages.h"
#include "refmill/format/entry_context.h"

namespace refmill::driver {

class MessageOutput : public format::WarningSink {
 public:
  // `console` is standard output; `log_path` empty means no log file. When
  // `utf8_console` is set, text for the console is converted from Shift-JIS.
  MessageOutput(std::ostream& console, bool utf8_console, std::string log_path, bool notices_on,
                const Messages& messages);

  // Writes `text` and one line break, always.
  void Line(std::string_view text);
  // Writes `text` without a line break and flushes (the overwrite question).
  void Prompt(std::string_view text);
  // Writes `text` and a line break when notices are on.
  void Notice(std::string_view text);
  // Writes a time-stamp line, always. On the console a stamp that cannot be
  // written does not count as a lost message: it tells nothing the list
  // needs, and a run whose standard output is closed must still write it.
  void Stamp(std::string_view text);

  void Warn(int line_number, format::Warning warning, std::string_view detail) override;

  bool NoticesOn() const { return notices_on_; }
  // Characters Shift-JIS lacks may appear in messages from here on: the
  // console shows them as they are, error.log (Shift-JIS) by their numbers.
  void SetPrivateCodes(const platform::PrivateCodes* codes) { codes_ = codes; }

  // False once a message could not be written (for example error.log could
  // not be created, or is a symbolic link, which is never followed).
  bool Ok() const { return ok_; }
  void Flush();

 private:
  void Write(std::string_view text);

  std::ostream& console_;
  bool utf8_console_;
  std::string log_path_;
  std::ofstream log_;
  bool notices_on_;
  bool ok_ = true;
  const Messages& messages_;
  const platform::PrivateCodes* codes_ = nullptr;
  std::string buffer_;
};

}  // namespace refmill::driver
