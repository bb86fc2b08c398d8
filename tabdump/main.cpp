// tabdump: the first worksheet of an Excel workbook (.xls or .xlsx) as a
// comma-separated table in Shift-JIS, for refmill to read. refdesk starts it
// as: tabdump.exe /s "source" "destination".
//
// Exit codes (each failure also writes one line to standard error):
//   0  the table was written. Characters without a Shift-JIS form became
//      "〓", and a warning line on standard error says how many.
//   1  unexpected error
//   2  wrong arguments; the line shows the usage
//   3  the source is not a workbook tabdump can read (another kind of file,
//      damaged, protected by a password, or too large), or memory ran out
//   4  the source does not exist
//   7  the destination cannot be written, or is the source itself; an
//      existing destination is left as it was
// The numbers that mean the same for refmill are refmill's numbers.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "platform/console.h"
#include "tabdump/exit_code.h"
#include "tabdump/messages.h"
#include "tabdump/run.h"

int main(int argc, char** argv) {
  const tabdump::Console console{{std::cout, platform::IsUtf8Terminal(1)},
                                 {std::cerr, platform::IsUtf8Terminal(2)}};
  try {
    return static_cast<int>(tabdump::Run(std::vector<std::string>(argv + 1, argv + argc), console));
  } catch (const std::bad_alloc&) {
    // Reading has its own; this is memory running out anywhere else.
    tabdump::WriteMessage(console.err, std::string(tabdump::msg::kPrefix) +
                                           std::string(tabdump::msg::kOutOfMemoryElsewhere) + "\n");
    return static_cast<int>(tabdump::ExitCode::kUnreadable);
  } catch (const std::exception& e) {
    tabdump::WriteMessage(console.err, std::string(tabdump::msg::kPrefix) +
                                           std::string(tabdump::msg::kUnexpected) + e.what() +
                                           "\n");
    return static_cast<int>(tabdump::ExitCode::kUnexpected);
  }
}
