// The handlers of the Win32 TSDIAppForm: commands, enabling rules, browse
// buttons, drops, the menu, the convert buttons and closing while a tool
// runs.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include "platform/files.h"
#include "refdesk/controls/history_entries.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"
#include "refdesk/win32/resource_ids.h"
#include "refdesk/win32/sdi_app_form_win32.h"
#include "refdesk/win32/win32_text.h"

namespace refdesk::win32 {
namespace {

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND box, bool checked) {
  SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

void TSDIAppForm::OnCommand(HWND control, int id, int code) {
  if (control == nullptr) {
    switch (id) {
      case IDM_FILE_EXIT1:
        FileExit1Execute();
        break;
      case IDM_DISPLAY_XLS_CONV:
        DisplayXlsConvExecute();
        break;
      case IDM_HELP_CONTENTS1:
        HelpContents1Execute();
        break;
      case IDM_ACTION1:
        Action1Execute();
        break;
      case IDM_HELP_ABOUT1:
        HelpAbout1Execute();
        break;
      case IDOK:
        // Enter, which the dialog keys send here when no button is default.
        PressFocusedButton();
        break;
      default:
        break;
    }
    return;
  }
  if (THisComboBox* field = FieldByHandle(control)) {
    if (code == CBN_DROPDOWN) HCDropDown(*field);
    // Typing changes what a greyed-out field derives from; a pick from the
    // list stands in the field only after this notification.
    if (code == CBN_EDITCHANGE) ShowDerivedNames();
    if (code == CBN_SELCHANGE)
      PostMessageW(window_, kFieldPicked, 0, reinterpret_cast<LPARAM>(control));
    return;
  }
  if (control == ComboBox1 && code == CBN_SELCHANGE) {
    ShowStyleTip(-1);
    return;
  }
  if (control == ComboBox2 && code == CBN_SELCHANGE) {
    PostMessageW(window_, kFieldPicked, 0, 0);
    return;
  }
  if (code != BN_CLICKED) return;
  const std::pair<HWND, void (TSDIAppForm::*)()> handlers[] = {
      {Button1, &TSDIAppForm::Button1Click},     {Button2, &TSDIAppForm::Button2Click},
      {Button3, &TSDIAppForm::Button3Click},     {Button4, &TSDIAppForm::Button4Click},
      {Button5, &TSDIAppForm::Button5Click},     {Button6, &TSDIAppForm::Button6Click},
      {Button7, &TSDIAppForm::Button7Click},     {CheckBox1, &TSDIAppForm::CheckBox1Click},
      {CheckBox2, &TSDIAppForm::CheckBox2Click}, {CheckBox4, &TSDIAppForm::CheckBox4Click},
      {CheckBox5, &TSDIAppForm::CheckBox5Click},
  };
  for (const auto& [button, handler] : handlers) {
    if (button != control) continue;
    (this->*handler)();
    if (button == CheckBox1 || button == CheckBox2 || button == CheckBox4 || button == CheckBox5) {
      ShowDerivedNames();
    }
    return;
  }
}

void TSDIAppForm::CheckBox1Click() {
  const bool enabled = !Checked(CheckBox1);
  EnableWindow(HisComboBox2->Handle(), enabled);
  EnableWindow(Button2, enabled);
}

void TSDIAppForm::CheckBox4Click() { EnableWindow(HisComboBox3->Handle(), !Checked(CheckBox4)); }

void TSDIAppForm::CheckBox5Click() {
  const bool enabled = !Checked(CheckBox5);
  EnableWindow(HisComboBox4->Handle(), enabled);
  EnableWindow(Button5, enabled);
}

void TSDIAppForm::CheckBox2Click() {
  // Leaving direct mode enables Button2 whatever CheckBox1 says; only the
  // fields follow their own check boxes again.
  const bool enabled = !Checked(CheckBox2);
  for (HWND w : {Button2, Button3, Button4, CheckBox1, CheckBox3, CheckBox4, HisComboBox2->Handle(),
                 HisComboBox3->Handle()}) {
    EnableWindow(w, enabled);
  }
  if (enabled && Checked(CheckBox1)) EnableWindow(HisComboBox2->Handle(), FALSE);
  if (enabled && Checked(CheckBox4)) EnableWindow(HisComboBox3->Handle(), FALSE);
}

void TSDIAppForm::DisplayXlsConvExecute() {
  if (IsWindowVisible(GroupBox1)) {
    ShowWindow(GroupBox1, SW_HIDE);
    SetFormHeight(form_height_ - kUpperGroupHeight);
    SetChecked(CheckBox2, false);
    CheckBox2Click();
    SetChecked(CheckBox4, false);
    CheckBox4Click();
    EnableWindow(CheckBox4, FALSE);
  } else {
    SetFormHeight(form_height_ + kUpperGroupHeight);
    ShowWindow(GroupBox1, SW_SHOW);
    EnableWindow(CheckBox4, TRUE);
  }
  ShowDerivedNames();
}

void TSDIAppForm::PressFocusedButton() {
  const HWND focus = GetFocus();
  for (HWND button : {Button1, Button2, Button3, Button4, Button5, Button6, Button7}) {
    if (focus == button && IsWindowEnabled(button)) {
      SendMessageW(button, BM_CLICK, 0, 0);
      return;
    }
  }
}

void TSDIAppForm::ShowDerivedNames() {
  const FormSnapshot form = Read();
  const auto show = [this](THisComboBox& field, const std::string& name) {
    if (field.Text() == name) return;
    field.SetText(name);
    ShowTextAsTip(field);
  };
  // The table first: with CheckBox4 the list is named after it.
  if (form.same_name1) show(*HisComboBox2, TableDestination(form));
  if (!form.same_name3) return;
  const std::optional<std::string> extension =
      OutputExtension(FileTypePath(program_folder_, form.file_type_name));
  if (extension) show(*HisComboBox4, BibliographyDestination(Read(), *extension));
}

void TSDIAppForm::BrowseInto(THisComboBox& field, const BrowseRequest& request) {
  // A dialog closed without a choice leaves the field as it was.
  const std::optional<std::string> chosen = dialogs_.Browse(request);
  if (!chosen) return;
  field.SetText(*chosen);
  ShowTextAsTip(field);
  ShowDerivedNames();
}

void TSDIAppForm::Button1Click() {
  BrowseInto(*HisComboBox1,
             BrowseRequest{std::string(msg::kOpenSourceTitle), std::string(msg::kWorkbookFilter),
                           true, HisComboBox1->Text()});
}

void TSDIAppForm::Button2Click() {
  BrowseInto(*HisComboBox2,
             BrowseRequest{std::string(msg::kOpenDestinationTitle), std::string(msg::kTableFilter),
                           false, HisComboBox2->Text()});
}

void TSDIAppForm::Button4Click() {
  BrowseInto(*HisComboBox3,
             BrowseRequest{std::string(msg::kOpenSourceTitle), std::string(msg::kTableFilter), true,
                           HisComboBox3->Text()});
}

void TSDIAppForm::Button5Click() {
  const std::optional<std::string> extension =
      OutputExtension(FileTypePath(program_folder_, SelectedName(ComboBox2)));
  if (!extension) {
    dialogs_.Show(MakeMessage(msg::kBrowseFileTypeMissing));
    return;
  }
  const std::string filter = std::string(msg::kOutputFilterHead) + *extension +
                             std::string(msg::kOutputFilterMiddle) + *extension +
                             std::string(msg::kOutputFilterTail);
  BrowseInto(*HisComboBox4, BrowseRequest{std::string(msg::kOpenDestinationTitle), filter, false,
                                          HisComboBox4->Text()});
}

void TSDIAppForm::Button7Click() {
  const std::string path = platform::FullPath(HisComboBox1->Text());
  if (platform::FileExists(path)) {
    shell_.OpenFile(path);
  } else {
    dialogs_.Show(MakeMessage(msg::kSourceToOpenMissing, path));
  }
}

void TSDIAppForm::HCDropDown(THisComboBox& field) {
  HDC dc = GetDC(field.Handle());
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(field.Handle(), WM_GETFONT, 0, 0)));
  std::vector<int> widths;
  for (const std::string& entry : field.Entries()) {
    const std::wstring wide = PathToWide(entry);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    widths.push_back(size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(field.Handle(), dc);
  const int width = controls::DroppedWidth(widths, kVisibleEntries, GetSystemMetrics(SM_CXVSCROLL));
  SendMessageW(field.Handle(), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void TSDIAppForm::DropFiles(HWND group, HDROP drop) {
  // The first name only, however long it is.
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  DragQueryFileW(drop, 0, wide.data(), length + 1);
  wide.resize(length);
  DragFinish(drop);
  if (wide.empty()) return;
  const std::string name = WideToPath(wide);
  // Cancel keeps the field as it was; OK takes the name all the same.
  if (!platform::FileExists(name) &&
      dialogs_.Show(MakeMessage(msg::kDroppedFileMissing, name)) == Answer::kCancel) {
    return;
  }
  (group == GroupBox1 ? HisComboBox1 : HisComboBox3)->SetText(name);
  ShowTextAsTip(*HisComboBox1);
  ShowTextAsTip(*HisComboBox3);
  ShowDerivedNames();
}

void TSDIAppForm::FileExit1Execute() { PostMessageW(window_, WM_CLOSE, 0, 0); }

void TSDIAppForm::HelpContents1Execute() {
  shell_.OpenFile(program_folder_ + std::string(names::kHelpFile));
}

void TSDIAppForm::Action1Execute() { shell_.OpenAddress(std::string(names::kHomePage)); }

void TSDIAppForm::HelpAbout1Execute() { dialogs_.ShowAbout(); }

void TSDIAppForm::RunGuarded(void (ConvertRunner::*flow)()) {
  ++active_runs_;
  (converter_.*flow)();
  --active_runs_;
  // The close the user asked for while the tool ran happens now, after the
  // run has cleaned up and recorded its files.
  if (active_runs_ == 0 && close_pending_) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void TSDIAppForm::Button3Click() { RunGuarded(&ConvertRunner::Button3Click); }

void TSDIAppForm::Button6Click() { RunGuarded(&ConvertRunner::Button6Click); }

void TSDIAppForm::OnClose() {
  if (active_runs_ > 0) {
    // Closing now would cut off a run that still has to delete its temporary
    // table and record its files, so the window waits for the run.
    close_pending_ = dialogs_.Show(MakeMessage(msg::kCloseWhileRunning)) == Answer::kYes;
    return;
  }
  close_pending_ = false;
  FormDestroy();
  DestroyWindow(window_);
}

std::string TSDIAppForm::SelectedName(HWND list) const {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return std::string();
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return std::string();
  std::wstring name(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(name.data()));
  name.resize(static_cast<size_t>(length));
  return WideToPath(name);
}

THisComboBox& TSDIAppForm::Field(HistoryField field) const {
  switch (field) {
    case HistoryField::kWorkbook:
      return *HisComboBox1;
    case HistoryField::kTable:
      return *HisComboBox2;
    case HistoryField::kSourceTable:
      return *HisComboBox3;
    case HistoryField::kBibliography:
      break;
  }
  return *HisComboBox4;
}

THisComboBox* TSDIAppForm::FieldByHandle(HWND control) const {
  for (THisComboBox* field :
       {HisComboBox1.get(), HisComboBox2.get(), HisComboBox3.get(), HisComboBox4.get()}) {
    if (field != nullptr && field->Handle() == control) return field;
  }
  return nullptr;
}

FormSnapshot TSDIAppForm::Read() const {
  const FormSettings settings = CurrentSettings();
  FormSnapshot s;
  s.program_folder = program_folder_;
  s.workbook = HisComboBox1->Text();
  s.table = HisComboBox2->Text();
  s.source_table = HisComboBox3->Text();
  s.bibliography = HisComboBox4->Text();
  s.same_name1 = settings.same_name1;
  s.direct = settings.direct;
  s.same_name2 = settings.same_name2;
  s.same_name3 = settings.same_name3;
  s.overwrite2 = settings.overwrite2;
  s.after_open = settings.after_open;
  s.error_log = settings.error_log;
  s.style_name = settings.format_name;
  s.file_type_name = settings.file_type_name;
  return s;
}

void TSDIAppForm::SetFieldText(HistoryField field, const std::string& text) {
  THisComboBox& box = Field(field);
  box.SetText(text);
  ShowTextAsTip(box);
  if (field != HistoryField::kBibliography) ShowDerivedNames();
}

void TSDIAppForm::AddHistory(HistoryField field) { Field(field).AddHistory(); }

void TSDIAppForm::SetStatusText(const std::string& text) {
  status_text_ = text;
  SendMessageW(StatusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(FromUtf8(text).c_str()));
}

void TSDIAppForm::SetButtonEnabled(RunButton button, bool enabled) {
  EnableWindow(button == RunButton::kTable ? Button3 : Button6, enabled);
}

}  // namespace refdesk::win32
