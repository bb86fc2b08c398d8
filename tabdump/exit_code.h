// The exit codes of tabdump. refdesk shows any non-zero one as "エラー" + the
// number, so the codes that mean the same as refmill's keep refmill's number.
#pragma once

namespace tabdump {

enum class ExitCode {
  kWritten = 0,
  kUnexpected = 1,
  kUsage = 2,
  kUnreadable = 3,
  kSourceMissing = 4,
  kCannotWrite = 7,
};

}  // namespace tabdump
