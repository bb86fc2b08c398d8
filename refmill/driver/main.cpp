// refmill: converts a comma-separated bibliography table into a formatted
// reference list. See README.md for the command line and exit codes.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "refmill/driver/run.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  platform::GiveLargeBlocksBack();
  platform::IgnoreBrokenPipes();
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const refmill::driver::Console console{std::cin, std::cout, platform::IsUtf8Terminal(1),
                                           platform::ProgramFolder()};
    return static_cast<int>(refmill::driver::Run(args, console));
  } catch (const std::exception& e) {
    std::cout << "REFMILL v1.0: " << e.what() << std::endl;
  } catch (...) {
    std::cout << "REFMILL v1.0: unexpected error" << std::endl;
  }
  return static_cast<int>(refmill::driver::ExitCode::kUnexpected);
}
