// The real Shell: the desktop's default application for files and the
// default browser for addresses (xdg-open on Linux desktops).
#pragma once

#include "refdesk/shell.h"

namespace refdesk {

class QtShell : public Shell {
 public:
  bool OpenFile(const std::string& path) override;
  bool OpenAddress(const std::string& address) override;
};

}  // namespace refdesk
