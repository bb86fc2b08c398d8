// The hints and tips of the Win32 TSDIAppForm: what the status bar shows
// as the pointer, the focus and the menu move, the history fields' tips and
// the style list's descriptions.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/windows_text.h"
#include "refdesk/messages.h"
#include "refdesk/win32/resource_ids.h"
#include "refdesk/win32/sdi_app_form_win32.h"
#include "refdesk/win32/win32_text.h"

namespace refdesk::win32 {

// Every control, and the edit box inside a field, tells the window when the
// pointer moves over it or the focus comes to it from another control.
LRESULT CALLBACK TSDIAppForm::ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                          UINT_PTR, DWORD_PTR data) {
  auto* form = reinterpret_cast<TSDIAppForm*>(data);
  if (message == WM_MOUSEMOVE) form->ShowHint(form->HintOf(window));
  // Focus coming back from a message box or another program is no move of
  // the user's, and must not wipe a result from the status bar; nor is a
  // field handing it on to its own edit box.
  if (message == WM_SETFOCUS) {
    const HWND from = reinterpret_cast<HWND>(wparam);
    if (from != nullptr && from != GetParent(window) &&
        GetAncestor(from, GA_ROOT) == form->window_) {
      form->ShowHint(form->HintOf(window));
    }
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ControlProc, 0);
  return DefSubclassProc(window, message, wparam, lparam);
}

// The style list's opening list shows the description of the style under
// the pointer.
LRESULT CALLBACK TSDIAppForm::StyleListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR, DWORD_PTR data) {
  auto* form = reinterpret_cast<TSDIAppForm*>(data);
  if (message == WM_MOUSEMOVE) {
    const LRESULT hit = SendMessageW(window, LB_ITEMFROMPOINT, 0, lparam);
    form->ShowStyleTip(HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit)));
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, StyleListProc, 0);
  return DefSubclassProc(window, message, wparam, lparam);
}

void TSDIAppForm::WatchPointer(HWND control) {
  SetWindowSubclass(control, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
  // A combo box that takes typing has an edit box of its own over most of it.
  if (HWND edit = GetWindow(control, GW_CHILD)) {
    SetWindowSubclass(edit, ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }
}

void TSDIAppForm::AddTip(HWND part) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(part);
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TSDIAppForm::SetTip(HWND part, const std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(part);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string TSDIAppForm::TipText(HWND part) const {
  std::wstring text(4096, L'\0');
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(part);
  tool.lpszText = text.data();
  SendMessageW(tooltip_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
  text.resize(wcslen(text.c_str()));
  return platform::win32::FromWide(text, CP_UTF8);
}

void TSDIAppForm::ShowTextAsTip(THisComboBox& field) {
  const std::wstring text = PathToWide(field.Text());
  for (HWND part : {field.Handle(), GetWindow(field.Handle(), GW_CHILD)}) {
    if (part != nullptr) SetTip(part, text);
  }
}

void TSDIAppForm::ShowStyleTip(int index) {
  // Closed, the list shows the selected style's description; open, the
  // description of the entry under the pointer.
  const auto description = [this](LRESULT i) {
    return i >= 0 && static_cast<size_t>(i) < style_descriptions_.size()
               ? FromUtf8(style_descriptions_[static_cast<size_t>(i)])
               : std::wstring();
  };
  SetTip(ComboBox1, description(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0)));
  if (style_list_ == nullptr || index == style_tip_index_) return;
  style_tip_index_ = index;
  // The tip of the entry left behind goes, so the new one opens where the
  // pointer is.
  SendMessageW(tooltip_, TTM_POP, 0, 0);
  SetTip(style_list_, description(index));
}

std::string TSDIAppForm::HintOf(HWND control) const {
  for (THisComboBox* field :
       {HisComboBox1.get(), HisComboBox2.get(), HisComboBox3.get(), HisComboBox4.get()}) {
    if (field == nullptr) continue;
    // A field's hint is its tip, which follows every text the window sets
    // and each pick from the list, but not typing (as on Linux).
    if (control == field->Handle() || GetParent(control) == field->Handle()) {
      return TipText(field->Handle());
    }
  }
  return std::string();
}

HWND TSDIAppForm::ControlAt(HWND window, POINT point) const {
  // Down through the groups to the control itself, disabled or not.
  for (;;) {
    HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == window) return window;
    if (child != GroupBox1 && child != GroupBox2) return child;
    MapWindowPoints(window, child, &point, 1);
    window = child;
  }
}

void TSDIAppForm::ShowHint(const std::string& hint) {
  if (hint == current_hint_) return;
  current_hint_ = hint;
  SetStatusText(std::string(LongHint(hint)));
}

void TSDIAppForm::ShowMenuHint(UINT item, UINT flags) {
  std::string_view hint;
  if (flags & MF_POPUP) {
    // A menu of the bar, by its position: File, View, Help.
    if (item == 0) hint = msg::kFileMenuHint;
    if (item == 2) hint = msg::kHelpMenuHint;
  } else if (item == IDM_FILE_EXIT1) {
    hint = msg::kExitHint;
  } else if (item == IDM_HELP_CONTENTS1) {
    hint = msg::kContentsHint;
  } else if (item == IDM_HELP_ABOUT1) {
    hint = msg::kAboutHint;
  }
  ShowHint(std::string(hint));
}

}  // namespace refdesk::win32
