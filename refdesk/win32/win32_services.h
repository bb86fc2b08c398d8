// The real services of the Win32 window: message boxes, the open-file
// dialog and the About box; the shell; and the tools started hidden with
// CreateProcess and waited for in steps of 100 ms while the window goes on
// handling its messages.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "refdesk/dialogs.h"
#include "refdesk/process_runner.h"
#include "refdesk/shell.h"

namespace refdesk::win32 {

class Win32Dialogs : public Dialogs {
 public:
  // Message boxes and dialogs belong to `owner` once it is set.
  void SetOwner(HWND owner) { owner_ = owner; }

  Answer Show(const Message& message) override;
  std::optional<std::string> Browse(const BrowseRequest& request) override;
  void ShowAbout() override;

 private:
  HWND owner_ = nullptr;
};

class Win32Shell : public Shell {
 public:
  bool OpenFile(const std::string& path) override;
  bool OpenAddress(const std::string& address) override;
};

class Win32ProcessRunner : public ProcessRunner {
 public:
  std::unique_ptr<RunningProcess> Start(const ProcessRequest& request) override;
};

// Hands one message from a message loop to its window. Keys go first to
// the dialog keys of the window they were typed in (Tab, Shift+Tab, Enter,
// Escape), as in a dialog box. Every loop of refdesk.exe uses it, the wait
// for a running tool included.
void DispatchWindowMessage(MSG& message);

// The command line CreateProcess is given for `request`: the program and
// each argument quoted so that the tool's C runtime splits it back into
// exactly these arguments, whatever blanks, quotes or "\" they hold.
std::wstring CommandLine(const ProcessRequest& request);

}  // namespace refdesk::win32
