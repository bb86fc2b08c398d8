// Renders the main window, filled with Japanese file names, into a PNG for
// the README: refdesk_screenshot <output.png>. Runs offscreen with fake
// services in a temporary program folder.
#include <QApplication>
#include <QPixmap>
#include <QStatusBar>
#include <cstdio>

#include "refdesk/sdi_app_form.h"
#include "tests/refdesk/fakes.h"
#include "tests/support/temp_folder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: refdesk_screenshot OUTPUT.png\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing_support::TempFolder folder;
  folder.Write("日本心理学会.ini", "");
  folder.Write("default.ini", "");
  folder.Write("テキスト.trl", "[General]\r\next=txt\r\n");
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
  form.statusBar()->showMessage(QStringLiteral("refmillRunの実行結果：成功"));
  form.show();
  QApplication::processEvents();
  const bool saved = form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG");
  return saved ? 0 : 1;
}
