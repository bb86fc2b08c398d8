#include "refmill/driver/message_output.h"

#include <cstdio>
#include <ostream>

#include "platform/encoding.h"
#include "platform/files.h"

namespace refmill::driver {
namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Warnings may come by the hundred thousand; they are gathered and written
// in large pieces.
constexpr size_t kBufferLimit = 1 << 16;

// A character a Shift-JIS message cannot hold, by its number: "U+00E9".
std::string CodePointName(char32_t c) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
  return name;
}

}  // namespace

MessageOutput::MessageOutput(std::ostream& console, bool utf8_console, std::string log_path,
                             bool notices_on, const Messages& messages)
    : console_(console),
      utf8_console_(utf8_console),
      log_path_(std::move(log_path)),
      notices_on_(notices_on),
      messages_(messages) {}

void MessageOutput::Write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kBufferLimit) Flush();
}

void MessageOutput::Flush() {
  if (buffer_.empty()) return;
  const bool private_codes = codes_ != nullptr && !codes_->empty();
  if (private_codes && (!log_path_.empty() || !utf8_console_)) {
    buffer_ = platform::MapPrivateCodes(buffer_, *codes_, CodePointName);
  }
  if (!log_path_.empty()) {
    // error.log is created (or emptied) only when its first line is written.
    // A link in its place could aim that emptying at any file, so it is
    // refused.
    if (!log_.is_open() && !platform::IsSymbolicLink(log_path_)) {
      log_.open(log_path_, std::ios::binary | std::ios::trunc);
    }
    log_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    log_.flush();
    ok_ = ok_ && log_.good();
  } else {
    if (utf8_console_) {
      console_ << (private_codes ? platform::SjisToUtf8(buffer_, *codes_)
                                 : platform::SjisToUtf8(buffer_));
    } else {
      console_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    }
    console_.flush();
    ok_ = ok_ && console_.good();
  }
  buffer_.clear();
}

void MessageOutput::Line(std::string_view text) {
  Write(text);
  Write(kLineBreak);
}

void MessageOutput::Prompt(std::string_view text) {
  Write(text);
  Flush();
}

void MessageOutput::Notice(std::string_view text) {
  if (notices_on_) Line(text);
}

void MessageOutput::Stamp(std::string_view text) {
  if (!log_path_.empty()) {
    Line(text);
    return;
  }
  Flush();
  const bool ok_before = ok_;
  Line(text);
  Flush();
  if (ok_before && !ok_) {
    ok_ = true;
    console_.clear();
  }
}

void MessageOutput::Warn(int line_number, format::Warning warning, std::string_view detail) {
  if (!notices_on_) return;
  Write(messages_.warning_a);
  Write(std::to_string(line_number));
  Write(messages_.warning_b);
  if (warning == format::Warning::kNotInShiftJis) Write(messages_.not_in_sjis_a);
  Write(detail);
  Write(messages_.Text(warning));
  Write(kLineBreak);
}

}  // namespace refmill::driver
