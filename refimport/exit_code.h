// The exit codes of refimport. They keep the numbers tabdump and refmill use
// for the same failure, so refdesk's "エラー" + number reads alike for all.
#pragma once

namespace refimport {

enum class ExitCode {
  kWritten = 0,
  kUnexpected = 1,
  kUsage = 2,
  kUnreadable = 3,
  kSourceMissing = 4,
  kCannotWrite = 7,
};

}  // namespace refimport
