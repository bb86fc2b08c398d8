// The outcome of a refmill run, as its exit code. Callers (refdesk and
// scripts) rely on these numbers.
#pragma once

namespace refmill::driver {

enum class ExitCode : int {
  kWritten = 0,
  kUnexpected = 1,
  kArgumentCount = 2,
  kSourceUnreadable = 3,
  kSourceMissing = 4,
  kStyleMissing = 5,
  kOverwriteDeclined = 6,
  kOutputNotCreated = 7,
};

}  // namespace refmill::driver
