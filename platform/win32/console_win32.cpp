#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

namespace platform {
namespace {

// Messages carry their own CR LF and Shift-JIS bytes: the C runtime must
// not add a CR to standard output or standard error. Set before main, in
// every program that asks about its terminal. Standard input stays in text
// mode, so an answer typed at the console arrives without its CR.
[[maybe_unused]] const bool kBinaryOutput = [] {
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
  return true;
}();

}  // namespace

// The console shows Shift-JIS through its code page, so messages are never
// converted on Windows.
bool IsUtf8Terminal(int /*fd*/) { return false; }

// Windows has no signal for a closed pipe: the write already fails with an
// error the run reports.
void IgnoreBrokenPipes() {}

}  // namespace platform
