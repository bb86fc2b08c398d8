#include "refdesk/win32/his_combo_box_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "refdesk/controls/history_entries.h"
#include "refdesk/controls/history_file.h"
#include "refdesk/win32/win32_text.h"

namespace refdesk::win32 {
namespace {

inline constexpr int kDroppedListHeight = 200;

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

THisComboBox::THisComboBox(HWND parent, int id, const char* name, RECT design, HFONT font)
    : name_(name) {
  // The height covers the opening list; the field itself keeps the font's.
  handle_ = CreateWindowExW(
      0, WC_COMBOBOXW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, design.left,
      design.top, design.right - design.left, kDroppedListHeight, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetWindowSubclass(handle_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK THisComboBox::SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR, DWORD_PTR data) {
  // A field keeps its entries whenever its window goes away.
  if (message == WM_DESTROY) {
    auto* field = reinterpret_cast<THisComboBox*>(data);
    field->SaveHistory();
    RemoveWindowSubclass(window, SubclassProc, 0);
    field->handle_ = nullptr;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

std::string THisComboBox::HistoryFile() const { return controls::HistoryFilePath(program_path_); }

std::string THisComboBox::Text() const { return WideToPath(WindowText(handle_)); }

void THisComboBox::SetText(const std::string& text) {
  SetWindowTextW(handle_, PathToWide(text).c_str());
}

int THisComboBox::Count() const {
  return static_cast<int>(SendMessageW(handle_, CB_GETCOUNT, 0, 0));
}

std::vector<std::string> THisComboBox::Entries() const {
  std::vector<std::string> entries;
  for (int i = 0; i < Count(); ++i) {
    const LRESULT length = SendMessageW(handle_, CB_GETLBTEXTLEN, i, 0);
    std::wstring entry(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(handle_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<size_t>(std::max<LRESULT>(length, 0)));
    entries.push_back(WideToPath(entry));
  }
  return entries;
}

void THisComboBox::LoadHistory() {
  // Filling the list must not change what the field shows.
  const std::wstring text = WindowText(handle_);
  SendMessageW(handle_, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry :
       controls::ReadHistoryEntries(HistoryFile(), name_, history_max_)) {
    SendMessageW(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PathToWide(entry).c_str()));
  }
  SetWindowTextW(handle_, text.c_str());
}

bool THisComboBox::SaveHistory() {
  if (handle_ == nullptr) return true;
  const std::string path = HistoryFile();
  if (controls::WriteHistoryEntries(path, name_, Entries())) return true;
  if (write_failed_) write_failed_(path);
  return false;
}

void THisComboBox::AddHistory() {
  const std::wstring text = WindowText(handle_);
  if (text.empty()) return;
  const LRESULT found = SendMessageW(handle_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(handle_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (found != CB_ERR) SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(found + 1), 0);
  SendMessageW(handle_, CB_SETCURSEL, 0, 0);
  TrimToHistoryMax();
}

void THisComboBox::TrimToHistoryMax() {
  while (Count() > std::max(history_max_, 0)) {
    SendMessageW(handle_, CB_DELETESTRING, static_cast<WPARAM>(Count() - 1), 0);
  }
}

}  // namespace refdesk::win32
