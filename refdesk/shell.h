// Handing a file or an address to the desktop, which opens it with the
// program the user has chosen for it. The real one is in qt_shell.h; tests
// record what would have been opened.
#pragma once

#include <string>

namespace refdesk {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a local file; false when the desktop could not start anything.
  virtual bool OpenFile(const std::string& path) = 0;
  // Opens a web address in the default browser; false on failure.
  virtual bool OpenAddress(const std::string& address) = 0;
};

}  // namespace refdesk
