// The convert flows against a fake window, fake dialogs and a fake runner:
// command lines, result codes, status texts, questions and messages, field
// updates and histories, and the temporary table of direct mode.
#include "refdesk/convert_flow.h"

#include <QDir>
#include <QObject>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "tests/refdesk/fakes.h"
#include "tests/refdesk/test_main.h"
#include "tests/support/temp_folder.h"

namespace refdesk_test {
namespace {

using refdesk::Answer;
using refdesk::ConvertRunner;
using refdesk::ProcessRequest;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A program folder with one style and one file type, and a working folder
// that the test makes current, so temporary tables land where it can see them.
class Fixture {
 public:
  Fixture() {
    folder = temp.path() + "/";
    temp.Write("std.ini", "[General]\r\n");
    temp.Write("bib.trl", "[General]\r\next=bib\r\n");
    std::filesystem::create_directory(temp.File("work"));
    work = temp.File("work") + "/";
    old_cwd = QDir::currentPath();
    QDir::setCurrent(Q(work));
    view.form.program_folder = folder;
    view.form.style_name = "std";
    view.form.file_type_name = "bib";
  }
  ~Fixture() { QDir::setCurrent(old_cwd); }

  std::string Touch(const std::string& path, const std::string& bytes = "x") {
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const refdesk::Message& m : dialogs.shown) texts.push_back(m.caption + ":" + m.text);
    return texts;
  }

  testing_support::TempFolder temp;
  std::string folder;
  std::string work;
  QString old_cwd;
  FakeView view;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeRunner runner;
  ConvertRunner converter{view, dialogs, shell, runner};
};

}  // namespace

class ConvertFlowTest : public QObject {
  Q_OBJECT

 private slots:
  void ResultTextShowsCodes_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("success") << 0 << "成功";
    QTest::newRow("tool status") << 2 << "エラー2";
    QTest::newRow("own code") << 55 << "エラー55";
    // A tool killed by a signal reports the signal negated.
    QTest::newRow("crash") << -11 << "エラー-11";
  }
  void ResultTextShowsCodes() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(Q(refdesk::ResultText(code)), text);
  }

  void TwoStepFlow_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("tool_status");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("ran");
    QTest::addColumn<bool>("opened");
    QTest::newRow("success") << "" << 0 << "refmillRunの実行結果：成功" << QStringList() << true
                             << true;
    QTest::newRow("tool error") << "" << 2 << "refmillRunの実行結果：エラー2" << QStringList()
                                << true << true;
    // The answer No leaves the status bar alone, yet the fields are recorded.
    QTest::newRow("overwrite declined")
        << "dest exists;answer no" << 0 << ""
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << false << false;
    QTest::newRow("overwrite allowed")
        << "dest exists" << 0 << "refmillRunの実行結果：成功"
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << true << true;
    QTest::newRow("overwrite without asking")
        << "dest exists;overwrite2" << 0 << "refmillRunの実行結果：成功" << QStringList() << true
        << true;
    QTest::newRow("source missing")
        << "no source" << 0 << "refmillRunの実行結果：エラー55"
        << QStringList{"refmill:変換元ファイルが見つかりません\r\n@S@"} << false << true;
    QTest::newRow("style missing")
        << "style gone" << 0 << "refmillRunの実行結果：エラー44"
        << QStringList{"REFDESK:スタイルファイルが見つかりません\r\n@F@gone.ini"} << false << true;
    QTest::newRow("tool cannot start")
        << "refuse" << 0 << "refmillRunの実行結果：エラー55" << QStringList() << true << true;
    QTest::newRow("not opened") << "no open" << 0 << "refmillRunの実行結果：成功" << QStringList()
                                << true << false;
  }
  void TwoStepFlow() {
    QFETCH(QString, setup);
    QFETCH(int, tool_status);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    QFETCH(bool, ran);
    QFETCH(bool, opened);
    Fixture f;
    const std::string source = f.work + "refs.csv";
    const std::string destination = f.work + "refs.bib";
    if (!setup.contains("no source")) f.Touch(source);
    if (setup.contains("dest exists")) f.Touch(destination);
    if (setup.contains("answer no")) f.dialogs.answers.push_back(Answer::kNo);
    if (setup.contains("style gone")) f.view.form.style_name = "gone";
    f.runner.refuse_start = setup.contains("refuse");
    f.view.form.overwrite2 = setup.contains("overwrite2");
    f.view.form.after_open = !setup.contains("no open");
    f.view.form.source_table = "refs.csv";  // relative to the working folder
    f.view.form.same_name3 = true;
    f.runner.statuses.push_back(tool_status);

    f.converter.Button6Click();

    QCOMPARE(Q(f.view.status), status);
    QStringList shown;
    for (const std::string& t : f.Texts()) shown << Q(t);
    for (QString& m : messages) {
      m.replace("@D@", Q(destination)).replace("@S@", Q(source)).replace("@F@", Q(f.folder));
    }
    QCOMPARE(shown, messages);
    QCOMPARE(!f.runner.requests.empty(), ran);
    if (ran) {
      QCOMPARE(
          f.runner.requests[0],
          (ProcessRequest{f.folder + "refmill",
                          {"/s", f.folder + "bib.trl", f.folder + "std.ini", source, destination},
                          f.folder}));
    }
    QCOMPARE(f.shell.opened,
             opened ? std::vector<std::string>{destination} : std::vector<std::string>{});
    QCOMPARE(f.view.events.back(), std::string("history HisComboBox4"));
    QCOMPARE(f.view.form.source_table, source);
    QCOMPARE(f.view.form.bibliography, destination);
  }

  void TwoStepFlowTakesConvertedTableWithCheckBox4() {
    Fixture f;
    f.view.form.same_name2 = true;
    f.view.form.table = f.Touch(f.work + "from-upper.csv");
    f.view.form.source_table = f.work + "other.csv";
    f.view.form.bibliography = f.work + "out.txt";
    f.converter.Button6Click();
    QCOMPARE(f.runner.requests.at(0).arguments.at(3), f.work + "from-upper.csv");
    QCOMPARE(f.view.form.source_table, f.work + "from-upper.csv");
    QCOMPARE(f.view.events,
             (std::vector<std::string>{"disable Button6", "enable Button6",
                                       "set HisComboBox3 " + f.work + "from-upper.csv",
                                       "set HisComboBox4 " + f.work + "out.txt",
                                       "history HisComboBox3", "history HisComboBox4"}));
  }

  void Button6StopsWhenFileTypeIsMissing() {
    Fixture f;
    f.view.form.file_type_name = "";
    f.view.form.source_table = f.Touch(f.work + "refs.csv");
    f.converter.Button6Click();
    QCOMPARE(f.Texts(), std::vector<std::string>{"REFDESK:ファイル形式が見つかりません\r\n" +
                                                 f.folder + ".trl"});
    QVERIFY(f.runner.requests.empty());
    QVERIFY(f.view.events.empty());
  }

  void RefmillRunReportsMissingFileType() {
    Fixture f;
    f.view.form.file_type_name = "gone";
    QCOMPARE(f.converter.refmillRun(f.Touch(f.work + "a.csv"), f.work + "a.txt"), 44);
    QCOMPARE(f.Texts(), std::vector<std::string>{"REFDESK:ファイルタイプが見つかりません\r\n" +
                                                 f.folder + "gone.trl"});
  }

  // A listed name holding a dot names its own file, and a file with its
  // extension in capitals is found under the listed name.
  void SettingsFilesOfListedNames_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::newRow("dotted name") << "jp.v2.ini"
                                 << "jp.v2";
    QTest::newRow("capital extension") << "Upper.INI"
                                       << "Upper";
  }
  void SettingsFilesOfListedNames() {
    QFETCH(QString, file);
    QFETCH(QString, name);
    Fixture f;
    f.temp.Write("jp.ini", "[General]\r\n");
    f.temp.Write(file.toStdString(), "[General]\r\n");
    f.view.form.style_name = name.toStdString();
    QCOMPARE(f.converter.refmillRun(f.Touch(f.work + "a.csv"), f.work + "a.txt"), 0);
    QCOMPARE(f.runner.requests.at(0).arguments.at(2), f.folder + file.toStdString());
  }

  void Button3Flow_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("button_events");
    QTest::newRow("beside workbook, extension appended")
        << "same name"
        << "book.csv"
        << "tabdumpRunの実行結果：成功" << QStringList{"disable Button3", "enable Button3"};
    QTest::newRow("named destination")
        << ""
        << "named.csv"
        << "tabdumpRunの実行結果：成功" << QStringList{"disable Button3", "enable Button3"};
    QTest::newRow("declined") << "dest exists;answer no"
                              << "named.csv"
                              << "" << QStringList();
    // Direct mode keeps Button3 disabled after the run.
    QTest::newRow("direct mode") << "direct"
                                 << "named.csv"
                                 << "tabdumpRunの実行結果：エラー3"
                                 << QStringList{"disable Button3"};
    QTest::newRow("source missing") << "no source"
                                    << "named.csv"
                                    << "tabdumpRunの実行結果：エラー55" << QStringList();
  }
  void Button3Flow() {
    QFETCH(QString, setup);
    QFETCH(QString, destination);
    QFETCH(QString, status);
    QFETCH(QStringList, button_events);
    Fixture f;
    const std::string source = f.work + "book";
    if (!setup.contains("no source")) f.Touch(source);
    if (setup.contains("dest exists")) f.Touch(f.work + "named.csv");
    if (setup.contains("answer no")) f.dialogs.answers.push_back(Answer::kNo);
    f.view.form.workbook = "book";
    f.view.form.table = "named.csv";
    f.view.form.same_name1 = setup.contains("same name");
    f.view.form.direct = setup.contains("direct");
    if (setup.contains("direct")) f.runner.statuses.push_back(3);

    f.converter.Button3Click();

    const std::string full_destination = f.work + destination.toStdString();
    QCOMPARE(Q(f.view.status), status);
    if (!button_events.isEmpty()) {
      QCOMPARE(f.runner.requests.at(0),
               (ProcessRequest{f.folder + "tabdump", {"/s", source, full_destination}, ""}));
    }
    if (setup.contains("no source")) {
      QCOMPARE(f.Texts(),
               std::vector<std::string>{"tabdump:変換元ファイルが見つかりません\r\n" + source});
    }
    std::vector<std::string> expected;
    for (const QString& e : button_events) expected.push_back(e.toStdString());
    expected.insert(expected.end(),
                    {"set HisComboBox1 " + source, "set HisComboBox2 " + full_destination,
                     "history HisComboBox1", "history HisComboBox2"});
    QCOMPARE(f.view.events, expected);
  }

  void DirectFlow_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("opened");
    QTest::newRow("success") << ""
                             << "tabdumpの実行結果：成功 / refmillの実行結果：成功" << QStringList()
                             << true;
    // The table is made and removed; the bibliography step is not run.
    QTest::newRow("overwrite declined")
        << "dest exists;answer no"
        << "tabdumpの実行結果：成功 / refmillの実行結果：エラー77"
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << false;
    // Nothing to convert and nothing to delete: both are reported.
    QTest::newRow("tabdump writes nothing")
        << "no table;tabdump fails"
        << "tabdumpの実行結果：エラー9 / refmillの実行結果：エラー55"
        << QStringList{"refmill:変換元ファイルが見つかりません\r\n@T@",
                       "REFDESK:@T@を削除できませんでした"}
        << true;
    // Deleting by the full path still works after the working folder changed.
    QTest::newRow("working folder changes")
        << "chdir"
        << "tabdumpの実行結果：成功 / refmillの実行結果：成功" << QStringList() << true;
  }
  void DirectFlow() {
    QFETCH(QString, setup);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    QFETCH(bool, opened);
    Fixture f;
    const std::string workbook = f.Touch(f.work + "book.xls");
    const std::string destination = f.work + "book.bib";
    if (setup.contains("dest exists")) f.Touch(destination);
    if (setup.contains("answer no")) f.dialogs.answers.push_back(Answer::kNo);
    f.view.form.direct = true;
    f.view.form.same_name3 = true;
    f.view.form.after_open = true;
    f.view.form.workbook = "book.xls";
    if (setup.contains("tabdump fails")) f.runner.statuses = {9, 0};
    const std::string elsewhere = f.temp.path();
    f.runner.effect = [&](const ProcessRequest& r) {
      if (r.program == f.folder + "tabdump" && !setup.contains("no table")) f.Touch(r.arguments[2]);
      if (setup.contains("chdir")) QDir::setCurrent(Q(elsewhere));
    };

    f.converter.Button6Click();

    const std::string table = f.runner.requests.at(0).arguments.at(2);
    QVERIFY(QRegularExpression("^" + QRegularExpression::escape(Q(f.work)) +
                               "temp[1-9][0-9][0-9]\\.%%%$")
                .match(Q(table))
                .hasMatch());
    QVERIFY(!std::filesystem::exists(table));
    QCOMPARE(Q(f.view.status), status);
    QStringList shown;
    for (const std::string& t : f.Texts()) shown << Q(t);
    for (QString& m : messages) m.replace("@D@", Q(destination)).replace("@T@", Q(table));
    QCOMPARE(shown, messages);
    QCOMPARE(f.shell.opened,
             opened ? std::vector<std::string>{destination} : std::vector<std::string>{});
    QCOMPARE(f.view.events.front(), std::string("disable Button6"));
    QCOMPARE(f.view.events.back(), std::string("enable Button6"));
    QCOMPARE(f.view.form.bibliography, destination);
    QCOMPARE(f.view.form.workbook, workbook);
  }

  void DirectFlowNeverTakesAnExistingName() {
    Fixture f;
    for (int n = 100; n <= 999; ++n) {
      if (n != 537) f.Touch(f.work + "temp" + std::to_string(n) + ".%%%", "keep");
    }
    f.Touch(f.work + "book.xls");
    f.view.form.direct = true;
    f.view.form.workbook = "book.xls";
    f.view.form.bibliography = "out.bib";
    f.converter.Button6Click();
    QCOMPARE(f.runner.requests.at(0).arguments.at(2), f.work + "temp537.%%%");
    std::ifstream kept(f.work + "temp100.%%%");
    std::string bytes;
    kept >> bytes;
    QCOMPARE(bytes, std::string("keep"));
  }
};

int RunConvertFlowTest(int argc, char** argv) {
  ConvertFlowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "convert_flow_test.moc"
