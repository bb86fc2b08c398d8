// refimport: a BibTeX, RIS or CSL-JSON file as the shared comma-separated
// table refmill reads, in Shift-JIS (or UTF-8 with /u). Exit codes are listed
// in exit_code.h and the README; each failure writes one line to standard
// error, each entry skipped or changed a warning line.
#include <exception>
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "platform/console.h"
#include "refimport/bibtex_reader.h"
#include "refimport/exit_code.h"
#include "refimport/messages.h"
#include "refimport/run.h"

int main(int argc, char** argv) {
  if (const std::optional<int> child =
          platform::RunIfChild(argc, argv, &refimport::ReadBibtexInChild)) {
    return *child;
  }
  const tabdump::Console console{{std::cout, platform::IsUtf8Terminal(1)},
                                 {std::cerr, platform::IsUtf8Terminal(2)}};
  try {
    return static_cast<int>(
        refimport::Run(std::vector<std::string>(argv + 1, argv + argc), console));
  } catch (const std::bad_alloc&) {
    tabdump::WriteMessage(console.err, std::string(refimport::msg::kPrefix) +
                                           std::string(refimport::msg::kOutOfMemoryElsewhere) +
                                           "\n");
    return static_cast<int>(refimport::ExitCode::kUnreadable);
  } catch (const std::exception& e) {
    tabdump::WriteMessage(console.err, std::string(refimport::msg::kPrefix) +
                                           std::string(refimport::msg::kUnexpected) + e.what() +
                                           "\n");
    return static_cast<int>(refimport::ExitCode::kUnexpected);
  }
}
