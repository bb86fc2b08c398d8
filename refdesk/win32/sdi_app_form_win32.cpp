#include "refdesk/win32/sdi_app_form_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "refdesk/messages.h"
#include "refdesk/program_folder.h"
#include "refdesk/win32/resource_ids.h"
#include "refdesk/win32/win32_text.h"

namespace refdesk::win32 {
namespace {

inline constexpr wchar_t kWindowClass[] = L"TSDIAppForm";
inline constexpr POINT kFormPosition{229, 107};
inline constexpr int kStatusBarHeight = 21;
inline constexpr int kHistoryMax = 10;
inline constexpr int kFontPixels = 12;
inline constexpr int kFirstControlId = 2000;

inline constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// Tab goes through each group as a user reads it, row by row, and to the
// convert button last.
inline constexpr const char* kTabOrder[] = {
    "HisComboBox1", "Button1",      "Button7", "CheckBox1", "HisComboBox2", "Button2",
    "CheckBox2",    "CheckBox3",    "Button3", "CheckBox4", "HisComboBox3", "Button4",
    "CheckBox5",    "HisComboBox4", "Button5", "ComboBox1", "CheckBox9",    "CheckBox7",
    "ComboBox2",    "CheckBox6",    "Button6"};

RECT Rect(int left, int top, int width, int height) {
  return RECT{left, top, left + width, top + height};
}

}  // namespace

TSDIAppForm::TSDIAppForm(const FormServices& services)
    : dialogs_(services.dialogs),
      shell_(services.shell),
      program_path_(services.program_path),
      program_folder_(refdesk::ProgramFolder(services.program_path)),
      quit_on_close_(services.quit_on_close),
      converter_(*this, services.dialogs, services.shell, services.runner) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_REFDESK));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  RegisterClassExW(&window_class);  // fails harmlessly for a second window

  // Japanese captions need a font with Japanese characters; asking for the
  // Shift-JIS character set lets the font mapper find one.
  font_ = CreateFontW(-kFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic");
  // The window takes Tab, Enter and Escape as a dialog does
  // (DispatchWindowMessage).
  CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, FromUtf8(msg::kAppTitle).c_str(), kWindowStyle,
                  kFormPosition.x, kFormPosition.y, kFormWidth, kFormHeight, nullptr,
                  LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU)), instance, this);
  CreateControls();
  FormCreate();
  DrawMenuBar(window_);
}

TSDIAppForm::~TSDIAppForm() {
  if (window_ == nullptr) return;
  if (!settings_saved_) FormDestroy();
  quit_on_close_ = false;
  DestroyWindow(window_);
}

LRESULT CALLBACK TSDIAppForm::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form =
        static_cast<TSDIAppForm*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TSDIAppForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return form->Handle(message, wparam, lparam);
}

// The group boxes pass their children's notifications on to the window and
// take the files dropped on them (or on any of their children).
LRESULT CALLBACK TSDIAppForm::GroupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* form = reinterpret_cast<TSDIAppForm*>(data);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
      return SendMessageW(form->window_, message, wparam, lparam);
    case WM_DROPFILES:
      form->DropFiles(window, reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_MOUSEMOVE:
      // Here the pointer is over the group itself or over a disabled control.
      form->ShowHint(
          form->HintOf(form->ControlAt(window, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})));
      break;
    case WM_ERASEBKGND: {
      // A group box paints only its frame; the window behind it is clipped.
      RECT r{};
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wparam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT TSDIAppForm::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(reinterpret_cast<HWND>(lparam), LOWORD(wparam), HIWORD(wparam));
      return 0;
    case kFieldPicked:
      if (THisComboBox* field = FieldByHandle(reinterpret_cast<HWND>(lparam))) {
        ShowTextAsTip(*field);
        ShowDerivedNames();
      }
      return 0;
    case WM_MENUSELECT:
      ShowMenuHint(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_MOUSEMOVE:
      ShowHint(HintOf(ControlAt(window_, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)})));
      return 0;
    case WM_ACTIVATE:
      // Like a dialog, the window gives the focus back to the control that
      // had it, or to the first one.
      if (LOWORD(wparam) == WA_INACTIVE) {
        last_focus_ = GetFocus();
      } else {
        if (last_focus_ == nullptr || !IsChild(window_, last_focus_) ||
            !IsWindowEnabled(last_focus_)) {
          last_focus_ = GetNextDlgTabItem(window_, nullptr, FALSE);
        }
        if (last_focus_ == nullptr) break;
        SetFocus(last_focus_);
      }
      return 0;
    case WM_NEXTDLGCTL:
      // Tab as a dialog takes it, should the dialog keys ask for it so.
      SetFocus(LOWORD(lparam) != 0 ? reinterpret_cast<HWND>(wparam)
                                   : GetNextDlgTabItem(window_, GetFocus(), wparam != 0));
      return 0;
    case WM_SIZE:
      PlaceStatusBar();
      ApplyAnchors();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = POINT{kFormWidth, form_height_};
      info->ptMaxTrackSize.y = form_height_;
      return 0;
    }
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      if (quit_on_close_) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

HWND TSDIAppForm::Place(HWND parent, const wchar_t* window_class, std::string_view text,
                        DWORD style, const char* name, RECT design, Anchor anchor) {
  const int id = kFirstControlId + static_cast<int>(placed_.size());
  HWND control = CreateWindowExW(
      0, window_class, FromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE | style, design.left,
      design.top, design.right - design.left, design.bottom - design.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  placed_.push_back(Placed{control, name, design, anchor});
  return control;
}

HWND TSDIAppForm::PlaceButton(HWND parent, std::string_view text, const char* name, RECT design) {
  return Place(parent, WC_BUTTONW, text, WS_TABSTOP | BS_PUSHBUTTON, name, design,
               Anchor::kMoveRight);
}

HWND TSDIAppForm::PlaceCheckBox(HWND parent, std::string_view text, const char* name, RECT design) {
  return Place(parent, WC_BUTTONW, text, WS_TABSTOP | BS_AUTOCHECKBOX, name, design,
               Anchor::kLeftTop);
}

HWND TSDIAppForm::PlaceLabel(HWND parent, std::string_view text, const char* name, POINT corner) {
  // A label is placed by its corner and takes the size of its text.
  HDC dc = GetDC(window_);
  const HGDIOBJ old = SelectObject(dc, font_);
  const std::wstring wide = FromUtf8(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  return Place(parent, WC_STATICW, text, SS_LEFT, name,
               Rect(corner.x, corner.y, size.cx + 2, size.cy + 2), Anchor::kLeftTop);
}

std::unique_ptr<THisComboBox> TSDIAppForm::PlaceHistoryField(HWND parent, const char* name,
                                                             RECT design) {
  const int id = kFirstControlId + static_cast<int>(placed_.size());
  auto field = std::make_unique<THisComboBox>(parent, id, name, design, font_);
  placed_.push_back(Placed{field->Handle(), name, design, Anchor::kStretchRight});
  field->SetHistoryMax(kHistoryMax);
  field->SetProgramPath(program_path_);
  field->SetWriteFailedHandler(
      [this](const std::string& path) { dialogs_.Show(MakeMessage(msg::kCannotWrite, path)); });
  // The list opens below the field, as high as kVisibleEntries entries.
  const int item_height = static_cast<int>(SendMessageW(field->Handle(), CB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(field->Handle(), nullptr, 0, 0, design.right - design.left,
               (design.bottom - design.top) + item_height * kVisibleEntries + 2,
               SWP_NOMOVE | SWP_NOZORDER);
  // The tip shows over the field's edit box too, where the mouse really is.
  for (HWND part : {field->Handle(), GetWindow(field->Handle(), GW_CHILD)}) {
    if (part != nullptr) AddTip(part);
  }
  field->LoadHistory();
  return field;
}

void TSDIAppForm::CreateControls() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 1000);

  GroupBox1 = Place(window_, WC_BUTTONW, msg::kGroupBox1, BS_GROUPBOX, "GroupBox1",
                    Rect(8, 8, 527, 193), Anchor::kStretchRight);
  HWND g = GroupBox1;
  Label1 = PlaceLabel(g, msg::kSourceFileLabel, "Label1", POINT{16, 24});
  Button7 = PlaceButton(g, msg::kOpenSourceButton, "Button7", Rect(374, 16, 145, 25));
  HisComboBox1 = PlaceHistoryField(g, "HisComboBox1", Rect(16, 48, 427, 26));
  Button1 = PlaceButton(g, msg::kBrowseButton, "Button1", Rect(454, 48, 65, 25));
  Label2 = PlaceLabel(g, msg::kDestinationFileLabel, "Label2", POINT{16, 88});
  CheckBox1 = PlaceCheckBox(g, msg::kSameFolderCheck, "CheckBox1", Rect(160, 88, 281, 25));
  HisComboBox2 = PlaceHistoryField(g, "HisComboBox2", Rect(16, 112, 427, 26));
  Button2 = PlaceButton(g, msg::kBrowseButton, "Button2", Rect(454, 112, 65, 25));
  CheckBox2 = PlaceCheckBox(g, msg::kDirectCheck, "CheckBox2", Rect(16, 160, 137, 25));
  CheckBox3 = PlaceCheckBox(g, msg::kOverwriteCheck, "CheckBox3", Rect(160, 160, 137, 25));
  Button3 = PlaceButton(g, msg::kConvertButton, "Button3", Rect(414, 152, 105, 33));

  GroupBox2 = Place(window_, WC_BUTTONW, msg::kGroupBox2, BS_GROUPBOX, "GroupBox2",
                    Rect(8, 212, 527, 227), Anchor::kStretchRightMoveDown);
  g = GroupBox2;
  Label3 = PlaceLabel(g, msg::kSourceFileLabel, "Label3", POINT{16, 24});
  CheckBox4 = PlaceCheckBox(g, msg::kUseConvertedCheck, "CheckBox4", Rect(192, 24, 241, 25));
  HisComboBox3 = PlaceHistoryField(g, "HisComboBox3", Rect(16, 48, 427, 26));
  Button4 = PlaceButton(g, msg::kBrowseButton, "Button4", Rect(454, 48, 65, 25));
  Label4 = PlaceLabel(g, msg::kDestinationFileLabel, "Label4", POINT{16, 88});
  CheckBox5 = PlaceCheckBox(g, msg::kSameFolderCheck, "CheckBox5", Rect(160, 88, 281, 25));
  HisComboBox4 = PlaceHistoryField(g, "HisComboBox4", Rect(16, 112, 427, 26));
  Button5 = PlaceButton(g, msg::kBrowseButton, "Button5", Rect(454, 112, 65, 25));
  Label5 = PlaceLabel(g, msg::kStyleLabel, "Label5", POINT{10, 152});
  ComboBox1 = Place(g, WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, "ComboBox1",
                    Rect(88, 152, 169, 200), Anchor::kLeftTop);
  CheckBox9 = PlaceCheckBox(g, msg::kErrorLogCheck, "CheckBox9", Rect(272, 152, 105, 25));
  CheckBox7 = PlaceCheckBox(g, msg::kOpenAfterCheck, "CheckBox7", Rect(394, 152, 117, 25));
  Label6 = PlaceLabel(g, msg::kFileFormatLabel, "Label6", POINT{8, 192});
  ComboBox2 = Place(g, WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN, "ComboBox2",
                    Rect(120, 192, 137, 200), Anchor::kLeftTop);
  CheckBox6 = PlaceCheckBox(g, msg::kOverwriteCheck, "CheckBox6", Rect(272, 184, 137, 25));
  Button6 = PlaceButton(g, msg::kConvertButton, "Button6", Rect(414, 184, 105, 33));

  for (const Placed& p : placed_) {
    if (p.window != GroupBox1 && p.window != GroupBox2) WatchPointer(p.window);
  }
  for (HWND group : {GroupBox1, GroupBox2}) {
    SetWindowSubclass(group, GroupProc, 0, reinterpret_cast<DWORD_PTR>(this));
    // Tab walks into the groups' controls.
    SetWindowLongPtrW(group, GWL_EXSTYLE,
                      GetWindowLongPtrW(group, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  }
  SetTabOrder();
  COMBOBOXINFO style_box{};
  style_box.cbSize = sizeof(style_box);
  if (GetComboBoxInfo(ComboBox1, &style_box) && style_box.hwndList != nullptr) {
    style_list_ = style_box.hwndList;
    SetWindowSubclass(style_list_, StyleListProc, 0, reinterpret_cast<DWORD_PTR>(this));
    AddTip(style_list_);
  }
  AddTip(ComboBox1);
  // The bar sizes itself to its font and borders unless told not to; the
  // window places it (PlaceStatusBar), kStatusBarHeight high.
  StatusBar =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                      WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
                      0, 0, 0, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(StatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  PlaceStatusBar();
  WatchPointer(StatusBar);
}

void TSDIAppForm::PlaceStatusBar() {
  if (StatusBar == nullptr) return;
  RECT client{};
  GetClientRect(window_, &client);
  SetWindowPos(StatusBar, nullptr, 0, client.bottom - kStatusBarHeight, client.right,
               kStatusBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSDIAppForm::SetTabOrder() {
  // Tab follows the order of the windows among their siblings.
  HWND previous = nullptr;
  for (const char* name : kTabOrder) {
    HWND control = Control(name);
    const bool first_of_group = previous == nullptr || GetParent(previous) != GetParent(control);
    SetWindowPos(control, first_of_group ? HWND_TOP : previous, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control;
  }
}

void TSDIAppForm::FormCreate() {
  const std::vector<std::string> styles = ListStyleNames(program_folder_);
  for (const std::string& name : styles) {
    SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PathToWide(name).c_str()));
    style_descriptions_.push_back(StyleDescription(StylePath(program_folder_, name)));
  }
  const std::vector<std::string> file_types = ListFileTypeNames(program_folder_);
  for (const std::string& name : file_types) {
    SendMessageW(ComboBox2, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PathToWide(name).c_str()));
  }
  for (THisComboBox* field :
       {HisComboBox1.get(), HisComboBox2.get(), HisComboBox3.get(), HisComboBox4.get()}) {
    const std::vector<std::string> entries = field->Entries();
    field->SetText(entries.empty() ? std::string() : entries.front());
    ShowTextAsTip(*field);
  }
  const FormSettings settings = LoadFormSettings(program_folder_);
  ApplySettings(settings, styles, file_types);
  CheckBox1Click();
  CheckBox4Click();
  CheckBox5Click();
  CheckBox2Click();
  if (!settings.tabdump_visible) DisplayXlsConvExecute();
  DragAcceptFiles(GroupBox1, TRUE);
  DragAcceptFiles(GroupBox2, TRUE);
  ShowDerivedNames();
  ApplyAnchors();
}

void TSDIAppForm::ApplySettings(const FormSettings& s, const std::vector<std::string>& styles,
                                const std::vector<std::string>& file_types) {
  const auto check = [](HWND box, bool checked) {
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  };
  check(CheckBox1, s.same_name1);
  check(CheckBox2, s.direct);
  check(CheckBox3, s.overwrite1);
  check(CheckBox4, s.same_name2);
  check(CheckBox5, s.same_name3);
  check(CheckBox6, s.overwrite2);
  check(CheckBox7, s.after_open);
  check(CheckBox9, s.error_log);
  SendMessageW(ComboBox1, CB_SETCURSEL, SelectionFor(s.format, s.format_name, styles), 0);
  ShowStyleTip(-1);
  SendMessageW(ComboBox2, CB_SETCURSEL, SelectionFor(s.file_type, s.file_type_name, file_types), 0);
}

FormSettings TSDIAppForm::CurrentSettings() const {
  const auto checked = [](HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
  FormSettings s;
  s.same_name1 = checked(CheckBox1);
  s.direct = checked(CheckBox2);
  s.overwrite1 = checked(CheckBox3);
  s.same_name2 = checked(CheckBox4);
  s.same_name3 = checked(CheckBox5);
  s.overwrite2 = checked(CheckBox6);
  s.after_open = checked(CheckBox7);
  s.error_log = checked(CheckBox9);
  s.tabdump_visible = IsWindowVisible(GroupBox1) != FALSE;
  s.format = static_cast<int32_t>(SendMessageW(ComboBox1, CB_GETCURSEL, 0, 0));
  s.file_type = static_cast<int32_t>(SendMessageW(ComboBox2, CB_GETCURSEL, 0, 0));
  s.format_name = SelectedName(ComboBox1);
  s.file_type_name = SelectedName(ComboBox2);
  return s;
}

void TSDIAppForm::FormDestroy() {
  settings_saved_ = true;
  if (!SaveFormSettings(program_folder_, CurrentSettings())) {
    dialogs_.Show(MakeMessage(msg::kCannotWrite, SettingsFilePath(program_folder_)));
  }
  DragAcceptFiles(GroupBox1, FALSE);
  DragAcceptFiles(GroupBox2, FALSE);
}

void TSDIAppForm::ApplyAnchors() {
  RECT client{};
  GetClientRect(window_, &client);
  const int grown = client.right - kDesignClientWidth;
  const int lost = kDesignClientHeight - client.bottom;
  for (const Placed& p : placed_) {
    RECT r = p.design;
    switch (p.anchor) {
      case Anchor::kLeftTop:
        break;
      case Anchor::kStretchRight:
        r.right += grown;
        break;
      case Anchor::kMoveRight:
        OffsetRect(&r, grown, 0);
        break;
      case Anchor::kStretchRightMoveDown:
        r.right += grown;
        OffsetRect(&r, 0, -lost);
        break;
    }
    // A combo box's height is that of its opening list, which it keeps.
    int height = r.bottom - r.top;
    if (p.name.find("ComboBox") != std::string::npos) {
      RECT now{};
      GetWindowRect(p.window, &now);
      height = now.bottom - now.top;
    }
    SetWindowPos(p.window, nullptr, r.left, r.top, r.right - r.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TSDIAppForm::SetFormHeight(int height) {
  form_height_ = height;
  RECT outer{};
  GetWindowRect(window_, &outer);
  SetWindowPos(window_, nullptr, 0, 0, std::max<int>(outer.right - outer.left, kFormWidth), height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyAnchors();
}

HWND TSDIAppForm::Control(const std::string& name) const {
  for (const Placed& p : placed_) {
    if (p.name == name) return p.window;
  }
  return nullptr;
}

RECT TSDIAppForm::DesignRect(HWND control) const {
  for (const Placed& p : placed_) {
    if (p.window == control) return p.design;
  }
  return RECT{};
}

}  // namespace refdesk::win32
