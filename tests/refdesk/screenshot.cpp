// Renders the main window, filled with Japanese file names, into PNGs for
// the README and the first-afternoon walkthrough in docs/. Runs offscreen
// with fake services in a temporary program folder:
//   refdesk_screenshot OUTPUT.png        the window as the README shows it
//   refdesk_screenshot --walkthrough DIR the window at each step of docs/first-afternoon.md
#include <QApplication>
#include <QPixmap>
#include <QStatusBar>
#include <cstdio>
#include <fstream>
#include <string>

#include "refdesk/controls/his_combo_box.h"
#include "refdesk/qt_translations.h"
#include "refdesk/sdi_app_form.h"
#include "tests/refdesk/fakes.h"
#include "tests/support/temp_folder.h"

namespace {

bool Save(refdesk::TSDIAppForm& form, const QString& path) {
  QApplication::processEvents();
  return form.grab().save(path, "PNG");
}

// The steps of the walkthrough: a fresh start, a workbook picked (the
// output name follows it), a run that ends well, and one whose workbook
// tabdump cannot read.
bool Walkthrough(const testing_support::TempFolder& folder, const QString& dir) {
  refdesk_test::FakeDialogs dialogs;
  refdesk_test::FakeShell shell;
  refdesk_test::FakeRunner runner;
  refdesk::TSDIAppForm form({dialogs, shell, runner, folder.File("refdesk")});
  form.show();
  bool ok = Save(form, dir + "/walkthrough-1-start.png");
  const std::string workbook = folder.File("文献リスト.xlsx");
  form.HisComboBox1->setEditText(QString::fromStdString(workbook));
  ok = Save(form, dir + "/walkthrough-2-workbook.png") && ok;
  runner.effect = [](const refdesk::ProcessRequest& r) {
    if (r.program.ends_with("tabdump")) {
      std::ofstream(r.arguments.back(), std::ios::binary) << "*,jbook\r\n";
    }
  };
  form.Button6Click();
  ok = Save(form, dir + "/walkthrough-3-done.png") && ok;
  runner.statuses = {3};
  form.Button6Click();
  ok = Save(form, dir + "/walkthrough-4-not-a-workbook.png") && ok;
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const bool walkthrough = argc == 3 && std::string(argv[1]) == "--walkthrough";
  if (argc != 2 && !walkthrough) {
    std::fprintf(stderr, "usage: refdesk_screenshot OUTPUT.png | --walkthrough DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  refdesk::InstallQtTranslations(app);
  testing_support::TempFolder folder;
  folder.Write("日本心理学会.ini", "");
  folder.Write("default.ini", "");
  folder.Write("テキスト.trl", "[General]\r\next=txt\r\n");
  if (walkthrough) {
    folder.Write("文献リスト.xlsx", "PK");
    return Walkthrough(folder, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  }
  folder.Write("refdesk.ini",
               "[General]\r\nDirect=0\r\n"
               "[HisComboBox1]\r\nHisComboBox10=/home/利用者/論文/文献リスト.xls\r\n"
               "[HisComboBox2]\r\nHisComboBox20=/home/利用者/論文/文献リスト.csv\r\n"
               "[HisComboBox3]\r\nHisComboBox30=/home/利用者/論文/文献リスト.csv\r\n"
               "[HisComboBox4]\r\nHisComboBox40=/home/利用者/論文/文献リスト.txt\r\n");
  refdesk_test::FakeDialogs dialogs;
  refdesk_test::FakeShell shell;
  refdesk_test::FakeRunner runner;
  refdesk::TSDIAppForm form({dialogs, shell, runner, folder.File("refdesk")});
  form.statusBar()->showMessage(QStringLiteral("refmillの実行結果：成功"));
  form.show();
  return Save(form, QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
