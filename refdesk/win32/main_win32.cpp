// refdesk.exe: the desktop front end of refmill on Windows. Builds the real
// services and the main window, and runs until the window closes.
#include <windows.h>

#include <commctrl.h>

#include "platform/files.h"
#include "refdesk/win32/sdi_app_form_win32.h"
#include "refdesk/win32/win32_services.h"
#include "refdesk/win32/win32_text.h"

namespace {

// The running program's path, as the platform layer spells paths.
std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return refdesk::win32::WideToPath(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  refdesk::win32::Win32Dialogs dialogs;
  refdesk::win32::Win32Shell shell;
  refdesk::win32::Win32ProcessRunner runner;
  refdesk::win32::TSDIAppForm form(
      refdesk::win32::FormServices{dialogs, shell, runner, ProgramPath()});
  dialogs.SetOwner(form.Handle());
  ShowWindow(form.Handle(), show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) refdesk::win32::DispatchWindowMessage(message);
  // Messages about the history file, when its fields are destroyed below,
  // must not belong to a window that has gone.
  dialogs.SetOwner(nullptr);
  return static_cast<int>(message.wParam);
}
