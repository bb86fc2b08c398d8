#include "refdesk/win32/win32_services.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/win32/windows_text.h"
#include "refdesk/messages.h"
#include "refdesk/win32/resource_ids.h"
#include "refdesk/win32/win32_text.h"

namespace refdesk::win32 {
namespace {

inline constexpr DWORD kWaitStepMs = 100;
// Room for a long path chosen in the open-file dialog.
inline constexpr size_t kBrowseBuffer = 32768;

UINT MessageBoxStyle(const Message& message) {
  UINT style = MB_OK;
  if (message.buttons == MessageButtons::kOkCancel) style = MB_OKCANCEL;
  if (message.buttons == MessageButtons::kYesNo) style = MB_YESNO;
  if (message.icon == MessageIcon::kExclamation) style |= MB_ICONEXCLAMATION;
  if (message.icon == MessageIcon::kQuestion) style |= MB_ICONQUESTION;
  return style;
}

Answer AnswerOf(int button) {
  switch (button) {
    case IDYES:
      return Answer::kYes;
    case IDNO:
      return Answer::kNo;
    case IDCANCEL:
      return Answer::kCancel;
    default:
      return Answer::kOk;
  }
}

void SetItemText(HWND dialog, int item, std::string_view utf8) {
  SetDlgItemTextW(dialog, item, FromUtf8(utf8).c_str());
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextW(dialog, FromUtf8(msg::kAboutCaption).c_str());
      SetItemText(dialog, IDC_ABOUT_PRODUCT, msg::kProductName);
      SetItemText(dialog, IDC_ABOUT_VERSION, msg::kVersionLine);
      SetItemText(dialog, IDC_ABOUT_RIGHTS1, msg::kRightsLine1);
      SetItemText(dialog, IDC_ABOUT_RIGHTS2, msg::kRightsLine2);
      SetItemText(dialog, IDOK, msg::kOkButton);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// Lets the window handle everything that waits for it, so that it stays
// usable; a quit request is kept for the message loop that owns it.
void HandlePendingMessages() {
  MSG message;
  bool quit = false;
  int exit_code = 0;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      exit_code = static_cast<int>(message.wParam);
      continue;
    }
    DispatchWindowMessage(message);
  }
  if (quit) PostQuitMessage(exit_code);
}

class Win32RunningProcess : public RunningProcess {
 public:
  explicit Win32RunningProcess(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Win32RunningProcess() override {
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Win32RunningProcess(const Win32RunningProcess&) = delete;
  Win32RunningProcess& operator=(const Win32RunningProcess&) = delete;

  int Wait() override {
    while (WaitForSingleObject(info_.hProcess, kWaitStepMs) == WAIT_TIMEOUT) {
      HandlePendingMessages();
    }
    DWORD status = 0;
    if (!GetExitCodeProcess(info_.hProcess, &status)) return -1;
    // A status with its top bit set (an exception code) reads as negative.
    return static_cast<int>(status);
  }

 private:
  PROCESS_INFORMATION info_;
};

// One argument as the C runtime reads it back: in quotes, with each quote
// escaped and the "\" before a quote (or before the closing one) doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

void DispatchWindowMessage(MSG& message) {
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd != nullptr) {
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root != nullptr && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0 &&
        IsDialogMessageW(root, &message)) {
      return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

Answer Win32Dialogs::Show(const Message& message) {
  return AnswerOf(MessageBoxW(owner_, FromUtf8(message.text).c_str(),
                              FromUtf8(message.caption).c_str(), MessageBoxStyle(message)));
}

std::optional<std::string> Win32Dialogs::Browse(const BrowseRequest& request) {
  std::wstring filter = FromUtf8(request.filter);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.append(2, L'\0');
  const std::wstring title = FromUtf8(request.title);
  std::vector<wchar_t> file(kBrowseBuffer, L'\0');
  const std::wstring start = PathToWide(request.start_path);
  std::copy_n(start.begin(), std::min(start.size(), file.size() - 1), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                 (request.file_must_exist ? OFN_FILEMUSTEXIST : 0);
  // A dialog closed without a choice leaves the field as it was.
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return WideToPath(file.data());
}

void Win32Dialogs::ShowAbout() {
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), owner_, AboutProc, 0);
}

bool Win32Shell::OpenFile(const std::string& path) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", PathToWide(path).c_str(), nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::OpenAddress(const std::string& address) {
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", FromUtf8(address).c_str(), nullptr, nullptr, SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

std::wstring CommandLine(const ProcessRequest& request) {
  std::wstring line;
  AppendQuoted(line, PathToWide(request.program));
  for (const std::string& argument : request.arguments) {
    line += L' ';
    AppendQuoted(line, platform::win32::ToWide(argument, platform::win32::kCodePage932));
  }
  return line;
}

std::unique_ptr<RunningProcess> Win32ProcessRunner::Start(const ProcessRequest& request) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  std::wstring line = CommandLine(request);
  const std::wstring folder = PathToWide(request.working_folder);
  PROCESS_INFORMATION info{};
  // No console of its own either: the tools never wait for an answer
  // nobody sees.
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                      NORMAL_PRIORITY_CLASS | CREATE_NO_WINDOW, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return nullptr;
  }
  return std::make_unique<Win32RunningProcess>(info);
}

}  // namespace refdesk::win32
