#include "platform/console.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace platform {

void IgnoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

bool IsUtf8Terminal(int fd) {
  if (::isatty(fd) == 0) return false;
  // The first of these that is set decides, as for every other program.
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string_view v(value);
    return v.find("UTF-8") != std::string_view::npos || v.find("utf8") != std::string_view::npos ||
           v.find("utf-8") != std::string_view::npos || v.find("UTF8") != std::string_view::npos;
  }
  return false;
}

}  // namespace platform
