// The Win32 window under wine, driven as a user drives it: texts typed into
// its fields, its check boxes and buttons clicked by messages, the real
// tabdump.exe and refmill.exe started from its program folder. Dialogs and
// the shell are fakes that answer at once and record what they were asked.
// Runs in a copy of the program folder made by run_refdesk_window.sh; the
// workbook sample.xlsx there holds the shipped sample table.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/win32/windows_text.h"
#include "refdesk/message.h"
#include "refdesk/win32/resource_ids.h"
#include "refdesk/win32/sdi_app_form_win32.h"
#include "refdesk/win32/win32_services.h"
#include "refdesk/win32/win32_text.h"

namespace {

using refdesk::Answer;
using refdesk::Message;
using refdesk::win32::TSDIAppForm;

int failures = 0;

void Check(bool ok, const std::string& what) {
  if (ok) return;
  std::printf("FAILED: %s\n", what.c_str());
  ++failures;
}

void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what) {
  Check(actual == expected, what + "\n  expected: " + expected + "\n  actual:   " + actual);
}

class FakeDialogs : public refdesk::Dialogs {
 public:
  Answer answer = Answer::kYes;
  std::vector<Message> shown;
  std::vector<refdesk::BrowseRequest> browsed;

  Answer Show(const Message& message) override {
    shown.push_back(message);
    return message.buttons == refdesk::MessageButtons::kOk ? Answer::kOk : answer;
  }
  std::optional<std::string> Browse(const refdesk::BrowseRequest& request) override {
    browsed.push_back(request);
    return std::nullopt;
  }
  void ShowAbout() override {}
};

class FakeShell : public refdesk::Shell {
 public:
  std::vector<std::string> opened;
  bool OpenFile(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  bool OpenAddress(const std::string&) override { return true; }
};

struct Window {
  FakeDialogs dialogs;
  FakeShell shell;
  refdesk::win32::Win32ProcessRunner runner;
  std::unique_ptr<TSDIAppForm> form;

  explicit Window(const std::string& folder) {
    form = std::make_unique<TSDIAppForm>(refdesk::win32::FormServices{
        dialogs, shell, runner, folder + "refdesk.exe", /*quit_on_close=*/false});
    ShowWindow(form->Handle(), SW_SHOW);
  }
  // Closing as the user does: the settings and histories are written.
  void Close() {
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    form.reset();
  }
  void Type(refdesk::win32::THisComboBox& field, const std::string& text) {
    SetWindowTextW(field.Handle(), refdesk::win32::PathToWide(text).c_str());
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(field.Handle()));
  }
  void Click(HWND control) { SendMessageW(control, BM_CLICK, 0, 0); }
  // A file dropped from Explorer on `group`: the HDROP the shell makes, which
  // the window releases with DragFinish.
  void Drop(HWND group, const std::string& path) {
    const std::wstring name = refdesk::win32::PathToWide(path);
    const size_t bytes = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::copy(name.begin(), name.end(),
              reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(files) + sizeof(DROPFILES)));
    GlobalUnlock(memory);
    SendMessageW(group, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }
  void SetChecked(HWND box, bool checked) {
    if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) Click(box);
  }
  void Select(HWND list, const std::string& name) {
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(refdesk::win32::PathToWide(name).c_str()));
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  // The pointer resting on `window` at `point` of its client area.
  void PointAt(HWND window, POINT point = POINT{2, 2}) {
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
  }
  // A key as the message loop hands it on.
  void Press(WPARAM key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    refdesk::win32::DispatchWindowMessage(message);
  }
  // The name of the control holding the focus (a field's, for its edit box).
  std::string Focused() const {
    HWND focus = GetFocus();
    for (int level = 0; level < 2 && focus != nullptr; ++level, focus = GetParent(focus)) {
      for (const char* name : kControlNames) {
        if (form->Control(name) == focus) return name;
      }
    }
    return "(none)";
  }
  static constexpr const char* kControlNames[] = {
      "HisComboBox1", "HisComboBox2", "HisComboBox3", "HisComboBox4", "ComboBox1", "ComboBox2",
      "Button1",      "Button2",      "Button3",      "Button4",      "Button5",   "Button6",
      "Button7",      "CheckBox1",    "CheckBox2",    "CheckBox3",    "CheckBox4", "CheckBox5",
      "CheckBox6",    "CheckBox7",    "CheckBox9"};
};

HWND EditOf(const refdesk::win32::THisComboBox& field) {
  return GetWindow(field.Handle(), GW_CHILD);
}

// `utf8` as code page 932 bytes, as style files are written.
std::string Sjis(std::string_view utf8) {
  return platform::win32::FromWide(refdesk::win32::FromUtf8(utf8), platform::win32::kCodePage932);
}

std::string Join(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

// A name written in this file (UTF-8) as the platform layer spells paths.
std::string Path(std::string_view utf8) {
  return refdesk::win32::WideToPath(refdesk::win32::FromUtf8(utf8));
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  platform::ReadWholeFile(path, bytes);
  return bytes;
}

void TableConvertedAndKeptAcrossRestart(const std::string& folder) {
  const std::string workbook = folder + Path("文献リスト.xlsx");
  const std::string table = folder + Path("文献リスト.csv");
  {
    Window w(folder);
    w.SetChecked(w.form->CheckBox2, false);
    w.SetChecked(w.form->CheckBox1, true);
    w.Type(*w.form->HisComboBox1, Path("文献リスト.xlsx"));
    CheckEqual(w.form->HisComboBox2->Text(), table, "the greyed-out table field shows the table");
    w.Click(w.form->Button3);
    CheckEqual(w.form->StatusText(), "tabdumpの実行結果：成功", "status after Button3");
    Check(ReadFile(table).find("Festinger") != std::string::npos, "tabdump wrote the table");
    Check(IsWindowEnabled(w.form->Button3), "Button3 enabled again after the run");
    CheckEqual(w.form->HisComboBox1->Entries().at(0), workbook, "workbook recorded");
    w.Close();
  }
  // A new window finds the same fields, check boxes and histories.
  Window w(folder);
  CheckEqual(w.form->HisComboBox1->Text(), workbook, "workbook field after restart");
  CheckEqual(w.form->HisComboBox2->Text(), table, "table field after restart");
  Check(w.form->HisComboBox1->Count() == 1, "one history entry after restart");
  Check(SendMessageW(w.form->CheckBox1, BM_GETCHECK, 0, 0) == BST_CHECKED, "CheckBox1 kept");
  Check(SendMessageW(w.form->CheckBox2, BM_GETCHECK, 0, 0) != BST_CHECKED, "direct mode kept off");
  Check(!IsWindowEnabled(w.form->HisComboBox2->Handle()) && IsWindowEnabled(w.form->Button2),
        "CheckBox1 greys the table field but not its browse button");

  // The table exists now: answering No leaves it and the status alone.
  const std::string before = ReadFile(table);
  w.dialogs.answer = Answer::kNo;
  w.Click(w.form->Button3);
  Check(w.dialogs.shown.size() == 1, "one question asked");
  if (!w.dialogs.shown.empty()) {
    const Message& question = w.dialogs.shown.front();
    CheckEqual(question.caption, "REFDESK", "overwrite question caption");
    CheckEqual(question.text, refdesk::PathText(table) + "は存在します。上書きしますか？",
               "overwrite question text");
  }
  CheckEqual(w.form->StatusText(), "", "status unchanged after No");
  Check(ReadFile(table) == before, "table left as it was after No");
  w.Close();
}

// Direct mode, the list opened afterwards, jpa as text.
void ChooseDirectJpaText(Window& w) {
  w.SetChecked(w.form->CheckBox2, true);
  w.SetChecked(w.form->CheckBox5, true);
  w.SetChecked(w.form->CheckBox6, false);
  w.Select(w.form->ComboBox1, "jpa");
  w.Select(w.form->ComboBox2, "text");
}

void DirectMode(const std::string& folder) {
  const std::string list = folder + "sample.txt";
  Window w(folder);
  ChooseDirectJpaText(w);
  PostMessageW(w.form->Handle(), refdesk::win32::kFieldPicked, 0, 0);
  w.Type(*w.form->HisComboBox1, "sample.xlsx");
  Check(!IsWindowEnabled(w.form->Button3), "direct mode disables Button3");
  w.Click(w.form->Button6);
  CheckEqual(w.form->StatusText(), "tabdumpの実行結果：成功 / refmillの実行結果：成功",
             "status after the direct run");
  CheckEqual(ReadFile(list), ReadFile(folder + "expected.txt"), "the list of the workbook");
  Check(w.shell.opened == std::vector<std::string>{list}, "the list opened afterwards");
  CheckEqual(w.form->HisComboBox4->Entries().at(0), list, "list recorded");
  Check(IsWindowEnabled(w.form->Button6), "Button6 enabled again");

  // Again, declining to overwrite: refmill is not run and the list stays.
  w.dialogs.answer = Answer::kNo;
  w.shell.opened.clear();
  platform::WriteFileAtomically(list, "kept");
  w.Click(w.form->Button6);
  CheckEqual(w.form->StatusText(),
             "tabdumpの実行結果：成功 / refmillの実行結果：エラー77：上書きしませんでした",
             "status after declining in direct mode");
  CheckEqual(ReadFile(list), "kept", "list left as it was");
  Check(w.shell.opened.empty(), "nothing opened after No");
  w.Close();
}

// A reference manager's export in the upper group: listed by the browse
// dialog, taken by a drop, and in direct mode turned into the list through
// refimport.exe beside refdesk.exe. Without refimport.exe in the program
// folder the window must say so.
void ReferenceExport(const std::string& folder) {
  const std::string list = folder + "sample.txt";
  const bool have_refimport = platform::FileExists(folder + "refimport.exe");
  platform::RemoveFile(list);
  Window w(folder);
  ChooseDirectJpaText(w);
  w.Click(w.form->Button1);
  Check(w.dialogs.browsed.size() == 1 &&
            w.dialogs.browsed[0].filter.find("(*.bib;*.ris;*.json)|*.BIB;*.RIS;*.JSON|") !=
                std::string::npos,
        "the browse filter lists the exports");
  w.Drop(w.form->GroupBox1, folder + "sample.bib");
  CheckEqual(w.form->HisComboBox1->Text(), folder + "sample.bib", "the dropped export");
  w.Click(w.form->Button6);
  if (have_refimport) {
    CheckEqual(w.form->StatusText(), "refimportの実行結果：成功 / refmillの実行結果：成功",
               "status after the export's direct run");
    CheckEqual(ReadFile(list), ReadFile(folder + "expected.txt"), "the list of the export");
  } else {
    std::printf("refimport.exe is not in the program folder: only its absence is tested\n");
    Check(w.dialogs.shown.size() == 1, "one message about the missing refimport.exe");
    if (!w.dialogs.shown.empty()) {
      CheckEqual(w.dialogs.shown[0].caption, "refimport", "caption of that message");
      CheckEqual(w.dialogs.shown[0].text,
                 "refimportを起動できません。プログラムフォルダにあるか確かめてください\r\n" +
                     refdesk::PathText(folder + "refimport"),
                 "text of that message");
    }
    CheckEqual(w.form->StatusText(),
               "refimportの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません / "
               "refmillの実行結果：未実行",
               "status without refimport.exe");
    Check(!platform::FileExists(list), "no list without refimport.exe");
  }
  CheckEqual(w.form->HisComboBox1->Entries().at(0), folder + "sample.bib", "export recorded");
  w.Close();
}

// What the status bar shows as the pointer, the focus and the menu move:
// one window, steps in order, since a hint shows only when it changes.
void Hints(Window& w) {
  TSDIAppForm& f = *w.form;
  SetForegroundWindow(f.Handle());
  w.SetChecked(f.CheckBox2, false);
  w.SetChecked(f.CheckBox4, false);
  w.SetChecked(f.CheckBox5, true);
  w.Select(f.ComboBox2, "text");
  f.SetFieldText(refdesk::HistoryField::kWorkbook, Path("C:/論文/文献.xlsx"));
  f.SetFieldText(refdesk::HistoryField::kSourceTable, Path("C:/論文/文献.csv"));
  w.Type(*f.HisComboBox1, Path("C:/論文/typed.xlsx"));
  const auto menu = [&f](UINT item, UINT flags) {
    SendMessageW(f.Handle(), WM_MENUSELECT, MAKEWPARAM(item, flags),
                 reinterpret_cast<LPARAM>(GetMenu(f.Handle())));
  };
  const struct {
    const char* what;
    std::function<void()> act;
    std::string status;
  } steps[] = {
      {"pointer on a field's edit box shows its tip, the path the window set",
       [&] { w.PointAt(EditOf(*f.HisComboBox1)); }, "C:\\論文\\文献.xlsx"},
      {"pointer on a button empties the bar", [&] { w.PointAt(f.Button1); }, ""},
      {"a result stays while the pointer moves among controls without hints",
       [&] {
         f.SetStatusText("結果");
         w.PointAt(f.Button3);
         w.PointAt(f.CheckBox2);
         w.PointAt(f.GroupBox2);
         w.PointAt(f.Handle());
       },
       "結果"},
      {"pointer on a greyed-out field, through its group, shows the name a run writes",
       [&] {
         RECT r{};
         GetWindowRect(f.HisComboBox4->Handle(), &r);
         POINT centre{(r.left + r.right) / 2, r.top + 4};
         ScreenToClient(f.GroupBox2, &centre);
         w.PointAt(f.GroupBox2, centre);
       },
       "C:\\論文\\文献.txt"},
      {"the focus moving to a field shows its path",
       [&] {
         SetFocus(f.Button4);
         SetFocus(f.HisComboBox3->Handle());
       },
       "C:\\論文\\文献.csv"},
      {"the focus moving on to a check box empties the bar", [&] { SetFocus(f.CheckBox5); }, ""},
      {"the focus coming back from elsewhere leaves a result",
       [&] {
         f.SetStatusText("結果");
         SetFocus(nullptr);
         SetFocus(f.HisComboBox1->Handle());
       },
       "結果"},
      {"a menu item shows the long part of its hint",
       [&] { menu(IDM_FILE_EXIT1, MF_STRING | MF_HILITE); }, "アプリケーション終了"},
      {"a hint without a long part shows whole", [&] { menu(0, MF_POPUP | MF_HILITE); },
       "ファイルに関連した機能"},
      {"a menu item without a hint empties the bar",
       [&] { menu(IDM_DISPLAY_XLS_CONV, MF_STRING | MF_HILITE); }, ""},
  };
  for (const auto& step : steps) {
    step.act();
    CheckEqual(f.StatusText(), step.status, step.what);
  }
}

// Each style's first comment line is its tip, in the closed list for the
// selected style and in the open list for the entry under the pointer.
struct TipStyle {
  const char* name;
  std::string file;
  std::string tip;
};

// Styles written into the program folder before the window lists them.
std::vector<TipStyle> TipStyles() {
  return {
      {"tip-sjis", Sjis("; 番号順の試し\r\n[General]\r\n"), "番号順の試し"},
      {"tip-utf8", "\xEF\xBB\xBF;Lévi-Strauss 風\r\n", "Lévi-Strauss 風"},
      {"tip-none", "[General]\r\n", ""},
  };
}

void StyleTips(Window& w) {
  TSDIAppForm& f = *w.form;
  for (const TipStyle& style : TipStyles()) {
    w.Select(f.ComboBox1, style.name);
    CheckEqual(f.TipText(f.ComboBox1), style.tip, std::string("closed list tip of ") + style.name);
    const LRESULT index =
        SendMessageW(f.ComboBox1, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(refdesk::win32::FromUtf8(style.name).c_str()));
    SendMessageW(f.ComboBox1, CB_SHOWDROPDOWN, TRUE, 0);
    RECT item{};
    SendMessageW(f.StyleList(), LB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    w.PointAt(f.StyleList(), POINT{item.left + 4, (item.top + item.bottom) / 2});
    SendMessageW(f.ComboBox1, CB_SHOWDROPDOWN, FALSE, 0);
    CheckEqual(f.TipText(f.StyleList()), style.tip, std::string("open list tip of ") + style.name);
  }
}

// Tab walks the enabled controls as a user reads them and comes round
// again; Enter presses a focused button and nothing else; Escape does
// nothing to the window.
void Keyboard(Window& w) {
  TSDIAppForm& f = *w.form;
  SetForegroundWindow(f.Handle());
  const struct {
    const char* what;
    bool direct, same_name1, same_name3, hide_upper;
    std::vector<std::string> order;
  } states[] = {
      {"direct mode",
       true,
       false,
       true,
       false,
       {"HisComboBox1", "Button1", "Button7", "CheckBox2", "CheckBox5", "ComboBox1", "CheckBox9",
        "CheckBox7", "ComboBox2", "CheckBox6", "Button6", "HisComboBox1"}},
      {"two steps, every field open",
       false,
       false,
       false,
       false,
       {"HisComboBox1", "Button1",      "Button7", "CheckBox1",   "HisComboBox2", "Button2",
        "CheckBox2",    "CheckBox3",    "Button3", "CheckBox4",   "HisComboBox3", "Button4",
        "CheckBox5",    "HisComboBox4", "Button5", "ComboBox1",   "CheckBox9",    "CheckBox7",
        "ComboBox2",    "CheckBox6",    "Button6", "HisComboBox1"}},
      {"upper group hidden, names derived",
       false,
       true,
       true,
       true,
       {"HisComboBox3", "Button4", "CheckBox5", "ComboBox1", "CheckBox9", "CheckBox7", "ComboBox2",
        "CheckBox6", "Button6", "HisComboBox3"}},
  };
  for (const auto& state : states) {
    w.SetChecked(f.CheckBox2, false);
    w.SetChecked(f.CheckBox4, false);
    w.SetChecked(f.CheckBox1, state.same_name1);
    w.SetChecked(f.CheckBox5, state.same_name3);
    w.SetChecked(f.CheckBox2, state.direct);
    if (state.hide_upper) f.DisplayXlsConvExecute();
    SetFocus(w.form->Control(state.order.front()));
    std::vector<std::string> order{w.Focused()};
    for (size_t i = 1; i < state.order.size(); ++i) {
      w.Press(VK_TAB);
      order.push_back(w.Focused());
    }
    CheckEqual(Join(order), Join(state.order), std::string("Tab order, ") + state.what);
    if (state.hide_upper) f.DisplayXlsConvExecute();
  }

  w.Type(*f.HisComboBox1, "missing.xlsx");
  const struct {
    const char* what;
    HWND focus;
    WPARAM key;
    size_t messages;
  } keys[] = {
      {"Enter in a field runs nothing", EditOf(*f.HisComboBox1), VK_RETURN, 0},
      {"Escape leaves the window alone", f.Button7, VK_ESCAPE, 0},
      {"Enter on a check box changes nothing", f.CheckBox2, VK_RETURN, 0},
      {"Enter on a focused button presses it", f.Button7, VK_RETURN, 1},
  };
  for (const auto& key : keys) {
    const bool checked = SendMessageW(f.CheckBox2, BM_GETCHECK, 0, 0) == BST_CHECKED;
    w.dialogs.shown.clear();
    SetFocus(key.focus);
    w.Press(key.key);
    Check(w.dialogs.shown.size() == key.messages, key.what);
    Check(IsWindowVisible(f.Handle()) &&
              (SendMessageW(f.CheckBox2, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked,
          std::string(key.what) + ": window and check boxes as they were");
  }
}

// The window is 550 x 510 outside whatever the frame, and 317 high with the
// upper group hidden; the lower group stays between the upper one and the
// status bar.
void Layout(Window& w) {
  TSDIAppForm& f = *w.form;
  const auto rect = [](HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
  };
  for (const int height : {510, 317, 510}) {
    const RECT outer = rect(f.Handle());
    Check(outer.right - outer.left == 550 && outer.bottom - outer.top == height,
          "window size " + std::to_string(outer.right - outer.left) + " x " +
              std::to_string(outer.bottom - outer.top) + ", expected 550 x " +
              std::to_string(height));
    const RECT lower = rect(f.GroupBox2);
    Check(lower.bottom <= rect(f.StatusBar).top, "lower group above the status bar");
    Check(!IsWindowVisible(f.GroupBox1) || rect(f.GroupBox1).bottom <= lower.top,
          "lower group below the upper one");
    Check(lower.bottom - lower.top == 227, "lower group keeps its height");
    f.DisplayXlsConvExecute();
  }
  f.DisplayXlsConvExecute();
}

// Names as the window hands them to the platform layer: "\" as "/", but
// not the "\" that is the second byte of "表" (95 5C), and a character code
// page 932 lacks as "?", never as a look-alike ("é" as "e") that would name
// another file.
void PathsFromTheWindow() {
  const struct {
    std::wstring typed;
    std::string path;
  } cases[] = {
      {L"C:\\\u8ad6\u6587\\\u8868.csv", "C:/\x98\x5F\x95\xB6/\x95\x5C.csv"},
      {L"C:\\L\u00e9vi-Strauss\\a.csv", "C:/L?vi-Strauss/a.csv"},
      {L"C:\\Erd\u0151s.xlsx", "C:/Erd?s.xlsx"},
      {L"", ""},
  };
  for (const auto& c : cases) {
    CheckEqual(refdesk::win32::WideToPath(c.typed), c.path, "path of a typed name");
  }
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const std::string folder = platform::CurrentFolder() + "/";
  PathsFromTheWindow();
  TableConvertedAndKeptAcrossRestart(folder);
  DirectMode(folder);
  ReferenceExport(folder);
  // One window for what needs no restart: each window closed costs seconds
  // of saving under wine.
  for (const TipStyle& style : TipStyles()) {
    platform::WriteFileAtomically(folder + style.name + ".ini", style.file);
  }
  {
    Window w(folder);
    Layout(w);
    Hints(w);
    StyleTips(w);
    Keyboard(w);
    w.Close();
  }
  std::printf("%s\n", failures == 0 ? "all passed" : "failures");
  return failures == 0 ? 0 : 1;
}
