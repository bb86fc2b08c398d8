// The Win32 window under wine, driven as a user drives it: texts typed into
// its fields, its check boxes and buttons clicked by messages, the real
// tabdump.exe and refmill.exe started from its program folder. Dialogs and
// the shell are fakes that answer at once and record what they were asked.
// Runs in a copy of the program folder made by run_refdesk_window.sh; the
// workbook sample.xlsx there holds the shipped sample table.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "refdesk/message.h"
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

  Answer Show(const Message& message) override {
    shown.push_back(message);
    return message.buttons == refdesk::MessageButtons::kOk ? Answer::kOk : answer;
  }
  std::optional<std::string> Browse(const refdesk::BrowseRequest&) override { return std::nullopt; }
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
  void SetChecked(HWND box, bool checked) {
    if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) Click(box);
  }
  void Select(HWND list, const std::string& name) {
    SendMessageW(list, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(refdesk::win32::PathToWide(name).c_str()));
  }
};

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
    CheckEqual(question.text,
               refdesk::PathText(table) + "は存在します。上書きしますか？",
               "overwrite question text");
  }
  CheckEqual(w.form->StatusText(), "", "status unchanged after No");
  Check(ReadFile(table) == before, "table left as it was after No");
  w.Close();
}

void DirectMode(const std::string& folder) {
  const std::string list = folder + "sample.txt";
  Window w(folder);
  w.SetChecked(w.form->CheckBox2, true);
  w.SetChecked(w.form->CheckBox5, true);
  w.SetChecked(w.form->CheckBox6, false);
  w.Select(w.form->ComboBox1, "jpa");
  w.Select(w.form->ComboBox2, "text");
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

}  // namespace

int main() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const std::string folder = platform::CurrentFolder() + "/";
  TableConvertedAndKeptAcrossRestart(folder);
  DirectMode(folder);
  std::printf("%s\n", failures == 0 ? "all passed" : "failures");
  return failures == 0 ? 0 : 1;
}
