// Starting real processes: a small fake tool copied into a program folder
// with a blank in its name stands in for tabdump and refmill. Checks exit
// statuses, arguments and working folders, that the window keeps handling
// events while it waits, a whole direct run through the window, and, when
// refmill has been built, a real conversion.
#include "refdesk/qt_process_runner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "refdesk/controls/his_combo_box.h"
#include "refdesk/sdi_app_form.h"
#include "tests/refdesk/fakes.h"
#include "tests/refdesk/test_main.h"
#include "tests/support/temp_folder.h"

namespace refdesk_test {
namespace {

namespace fs = std::filesystem;

// A program folder with a blank in its name, holding the fake tool under
// both tool names.
struct ToolFolder {
  ToolFolder() {
    folder = temp.File("program folder") + "/";
    fs::create_directory(folder);
    for (const char* tool : {"tabdump", "refmill"}) {
      fs::copy_file(FAKE_TOOL_PATH, folder + tool);
    }
    log = temp.File("log.txt");
    qputenv("FAKE_TOOL_LOG", QByteArray::fromStdString(log));
  }
  ~ToolFolder() {
    for (const char* name :
         {"FAKE_TOOL_LOG", "FAKE_TOOL_EXIT", "FAKE_TOOL_SLEEP_MS", "FAKE_TOOL_WRITE"}) {
      qunsetenv(name);
    }
  }
  QStringList LogLines() const {
    return QString::fromStdString(temp.Read("log.txt")).split('\n', Qt::SkipEmptyParts);
  }

  testing_support::TempFolder temp;
  std::string folder;
  std::string log;
};

}  // namespace

class ProcessRunnerTest : public QObject {
  Q_OBJECT

 private slots:
  void ReturnsExitStatus_data() {
    QTest::addColumn<QByteArray>("exit");
    QTest::addColumn<int>("status");
    QTest::newRow("success") << QByteArray("0") << 0;
    QTest::newRow("tool error") << QByteArray("2") << 2;
    QTest::newRow("killed") << QByteArray("crash") << -9;
  }
  void ReturnsExitStatus() {
    QFETCH(QByteArray, exit);
    QFETCH(int, status);
    ToolFolder tools;
    qputenv("FAKE_TOOL_EXIT", exit);
    refdesk::QtProcessRunner runner;
    auto process = runner.Start({tools.folder + "refmill", {}, ""});
    QVERIFY(process != nullptr);
    QCOMPARE(process->Wait(), status);
  }

  void MissingToolDoesNotStart() {
    ToolFolder tools;
    refdesk::QtProcessRunner runner;
    QVERIFY(runner.Start({tools.folder + "no-such-tool", {}, ""}) == nullptr);
  }

  void PassesArgumentsAndWorkingFolder() {
    ToolFolder tools;
    refdesk::QtProcessRunner runner;
    const std::string odd = tools.temp.File("文献 \"一覧\" $HOME;x.csv");
    auto process = runner.Start({tools.folder + "refmill", {"/se", odd, "a b"}, tools.folder});
    QVERIFY(process != nullptr);
    QCOMPARE(process->Wait(), 0);
    // The tool's working folder is given without the trailing separator.
    const QString expected = QString::fromStdString(tools.temp.File("program folder")) + "\t/se\t" +
                             QString::fromStdString(odd) + "\ta b";
    QCOMPARE(tools.LogLines(), QStringList{expected});
  }

  void KeepsHandlingEventsWhileWaiting() {
    ToolFolder tools;
    qputenv("FAKE_TOOL_SLEEP_MS", "400");
    refdesk::QtProcessRunner runner;
    bool fired = false;
    QTimer::singleShot(50, [&] { fired = true; });
    auto process = runner.Start({tools.folder + "tabdump", {}, ""});
    QVERIFY(process != nullptr);
    QCOMPARE(process->Wait(), 0);
    QVERIFY(fired);
  }

  void DirectRunThroughTheWindow() {
    ToolFolder tools;
    qputenv("FAKE_TOOL_WRITE", "written");
    std::ofstream(tools.folder + "std.ini") << "[General]\r\n";
    std::ofstream(tools.folder + "out.trl") << "[General]\r\next=bib\r\n";
    const std::string workbook = tools.temp.File("my book.xls");
    std::ofstream(workbook) << "xls";
    const QString old_cwd = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(tools.temp.path()));
    FakeDialogs dialogs;
    FakeShell shell;
    refdesk::QtProcessRunner runner;
    {
      refdesk::TSDIAppForm form({dialogs, shell, runner, tools.folder + "refdesk"});
      form.CheckBox7->setChecked(false);
      form.HisComboBox1->setEditText(QString::fromStdString(workbook));
      form.Button6->click();
      QCOMPARE(form.statusBar()->currentMessage(),
               QString("tabdumpの実行結果：成功 / refmillの実行結果：成功"));
      QVERIFY(form.Button6->isEnabled());
    }
    QDir::setCurrent(old_cwd);
    QVERIFY(dialogs.shown.empty());
    QCOMPARE(tools.temp.Read("my book.bib"), std::string("written"));
    const QStringList lines = tools.LogLines();
    QCOMPARE(lines.size(), 2);
    const QString table = lines[0].split('\t').at(3);
    QVERIFY(!fs::exists(table.toStdString()));
    QCOMPARE(lines[1],
             QString::fromStdString(tools.temp.File("program folder") + "\t/se\t" + tools.folder +
                                    "out.trl\t" + tools.folder + "std.ini\t") +
                 table + "\t" + QString::fromStdString(tools.temp.File("my book.bib")));
  }

  // A real conversion with the real refmill and the shipped sample, where
  // they exist; refmill is built by another part of the project.
  void ConvertsWithRealRefmill() {
#ifndef REFMILL_PATH
    QSKIP("refmill is not built in this tree");
#else
    const fs::path refmill = REFMILL_PATH;
    const fs::path bin = refmill.parent_path();
    for (const char* needed :
         {"default.ini", "default.trl", "sample.csv", "abbrev.dat", "roman.dat"}) {
      if (!fs::exists(refmill) || !fs::exists(bin / needed))
        QSKIP("refmill or its sample is missing");
    }
    testing_support::TempFolder temp;
    const std::string folder = temp.path() + "/";
    for (const char* name :
         {"default.ini", "default.trl", "abbrev.dat", "roman.dat", "sample.csv"}) {
      fs::copy_file(bin / name, folder + name);
    }
    fs::copy_file(refmill, folder + "refmill");
    FakeDialogs dialogs;
    FakeShell shell;
    refdesk::QtProcessRunner runner;
    {
      refdesk::TSDIAppForm form({dialogs, shell, runner, folder + "refdesk"});
      form.CheckBox2->click();
      form.CheckBox9->setChecked(true);
      form.HisComboBox3->setEditText(QString::fromStdString(folder + "sample.csv"));
      form.Button6->click();
      QCOMPARE(form.statusBar()->currentMessage(), QString("refmillの実行結果：成功"));
    }
    QVERIFY(dialogs.shown.empty());
    QCOMPARE(shell.opened.at(0), folder + "sample.txt");
    QVERIFY(fs::file_size(shell.opened.at(0)) > 0);
    // refmill runs in the program folder, so its log lands there.
    QVERIFY(fs::exists(folder + "error.log"));
#endif
  }

  // One click in direct mode from a reference manager's export to the
  // finished list, with the real refimport and refmill: the shipped sample
  // as BibTeX must give the list the shipped sample table gives.
  void ConvertsExportWithRealRefimport() {
#if !defined(REFMILL_PATH) || !defined(REFIMPORT_PATH)
    QSKIP("refmill or refimport is not built in this tree");
#else
    const fs::path bin = fs::path(REFMILL_PATH).parent_path();
    const char* needed[] = {"jpa.ini", "text.trl", "abbrev.dat", "roman.dat", "sample.bib"};
    for (const char* name : needed) {
      if (!fs::exists(bin / name)) QSKIP("the shipped data is missing");
    }
    testing_support::TempFolder temp;
    const std::string folder = temp.path() + "/";
    for (const char* name : needed) fs::copy_file(bin / name, folder + name);
    fs::copy_file(REFMILL_PATH, folder + "refmill");
    fs::copy_file(REFIMPORT_PATH, folder + "refimport");
    const std::string export_path = temp.File("My Library.bib");
    fs::rename(folder + "sample.bib", export_path);
    FakeDialogs dialogs;
    FakeShell shell;
    refdesk::QtProcessRunner runner;
    {
      refdesk::TSDIAppForm form({dialogs, shell, runner, folder + "refdesk"});
      QVERIFY(form.CheckBox2->isChecked());  // direct mode from a fresh start
      QVERIFY(form.CheckBox5->isChecked());
      form.ComboBox1->setCurrentIndex(form.ComboBox1->findText("jpa"));
      form.ComboBox2->setCurrentIndex(form.ComboBox2->findText("text"));
      form.HisComboBox1->setEditText(QString::fromStdString(export_path));
      form.Button6->click();
      QCOMPARE(form.statusBar()->currentMessage(),
               QString("refimportの実行結果：成功 / refmillの実行結果：成功"));
      // The export is remembered like a workbook.
      QCOMPARE(form.HisComboBox1->itemText(0), QString::fromStdString(export_path));
    }
    QVERIFY(dialogs.shown.empty());
    const std::string list = temp.File("My Library.txt");
    QCOMPARE(shell.opened, std::vector<std::string>{list});
    std::string expected;
    QVERIFY(platform::ReadWholeFile(std::string(SHIPPED_GOLDEN_DIR) + "/jpa.txt", expected));
    std::string written;
    QVERIFY(platform::ReadWholeFile(list, written));
    QVERIFY(written == expected);
#endif
  }
};

int RunProcessRunnerTest(int argc, char** argv) {
  ProcessRunnerTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "qt_process_runner_test.moc"
