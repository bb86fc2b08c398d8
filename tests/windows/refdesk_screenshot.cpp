// Renders refdesk.exe's window under wine into a BMP for the README: the
// window with sample histories, captured from the (virtual) screen.
//   refdesk_screenshot.exe <out.bmp>, run in a program folder
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "platform/files.h"
#include "refdesk/win32/sdi_app_form_win32.h"
#include "refdesk/win32/win32_services.h"

namespace {

inline constexpr DWORD kSettleMs = 1500;

void HandleMessagesFor(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (GetTickCount() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

bool WriteBitmap(HWND window, const char* path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + row * static_cast<DWORD>(height);
  FILE* out = std::fopen(path, "wb");
  bool ok = out != nullptr;
  if (ok) {
    ok = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
         std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
         std::fwrite(bits, row, static_cast<size_t>(height), out) == static_cast<size_t>(height);
    ok = std::fclose(out) == 0 && ok;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

class NoDialogs : public refdesk::Dialogs {
 public:
  refdesk::Answer Show(const refdesk::Message&) override { return refdesk::Answer::kOk; }
  std::optional<std::string> Browse(const refdesk::BrowseRequest&) override { return std::nullopt; }
  void ShowAbout() override {}
};

class NoShell : public refdesk::Shell {
 public:
  bool OpenFile(const std::string&) override { return false; }
  bool OpenAddress(const std::string&) override { return false; }
};

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: refdesk_screenshot <out.bmp>\n");
    return 2;
  }
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  NoDialogs dialogs;
  NoShell shell;
  refdesk::win32::Win32ProcessRunner runner;
  refdesk::win32::TSDIAppForm form(refdesk::win32::FormServices{
      dialogs, shell, runner, platform::CurrentFolder() + "/refdesk.exe", false});
  ShowWindow(form.Handle(), SW_SHOW);
  form.SetStatusText("tabdumpの実行結果：成功 / refmillの実行結果：成功");
  HandleMessagesFor(kSettleMs);
  return WriteBitmap(form.Handle(), argv[1]) ? 0 : 1;
}
