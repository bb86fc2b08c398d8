// Stands in for tabdump and refmill in tests of starting real processes.
// Appends one line to $FAKE_TOOL_LOG: its working folder, then each argument,
// separated by tabs. With $FAKE_TOOL_WRITE set it writes that text to the
// file named by its last argument; $FAKE_TOOL_SLEEP_MS makes it take its
// time; it exits with $FAKE_TOOL_EXIT, or is killed by SIGKILL for "crash"
// (a signal no sanitizer runtime can catch and turn into an exit status).
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  char cwd[4096] = {};
  if (::getcwd(cwd, sizeof cwd) == nullptr) cwd[0] = '?';
  if (const std::string log = Env("FAKE_TOOL_LOG"); !log.empty()) {
    std::ofstream out(log, std::ios::app | std::ios::binary);
    out << cwd;
    for (int i = 1; i < argc; ++i) out << '\t' << argv[i];
    out << '\n';
  }
  if (const std::string text = Env("FAKE_TOOL_WRITE"); !text.empty() && argc > 1) {
    std::ofstream(argv[argc - 1], std::ios::binary) << text;
  }
  if (const std::string ms = Env("FAKE_TOOL_SLEEP_MS"); !ms.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms.c_str())));
  }
  const std::string exit_with = Env("FAKE_TOOL_EXIT");
  if (exit_with == "crash") ::kill(::getpid(), SIGKILL);
  return std::atoi(exit_with.c_str());
}
