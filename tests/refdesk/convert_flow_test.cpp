// The convert flows against a fake window, fake dialogs and a fake runner:
// command lines, result codes, status texts, questions and messages, field
// updates and histories, and the temporary table of direct mode.
#include "refdesk/convert_flow.h"

#include <QDir>
#include <QObject>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
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
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    constexpr int kTabdump = static_cast<int>(refdesk::Tool::kTabdump);
    constexpr int kRefimport = static_cast<int>(refdesk::Tool::kRefimport);
    constexpr int kRefmill = static_cast<int>(refdesk::Tool::kRefmill);
    QTest::newRow("success") << kRefmill << 0 << "成功";
    QTest::newRow("refmill status") << kRefmill << 7 << "エラー7：出力先を作成できません";
    // The same number means something else from each tool.
    QTest::newRow("tabdump status")
        << kTabdump << 3
        << "エラー3：読み込めるブックではありません（別の種類のファイル、破損、パスワード保護）";
    QTest::newRow("refimport status")
        << kRefimport << 3
        << "エラー3：読み込める文献ファイルではありません（BibTeX・RIS・CSL-"
           "JSONのどれでもない、1件も読めない、256MBを超える）";
    QTest::newRow("own code") << kTabdump << 55
                              << "エラー55：変換元ファイルがないか、ツールを起動できません";
    QTest::newRow("declined") << kRefmill << 77 << "エラー77：上書きしませんでした";
    QTest::newRow("unknown code") << kRefmill << 9 << "エラー9";
    // A tool killed by a signal reports the signal negated.
    QTest::newRow("crash") << kTabdump << -11 << "エラー-11：ツールが異常終了しました";
  }
  void ResultTextShowsCodes() {
    QFETCH(int, tool);
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(Q(refdesk::ResultText(static_cast<refdesk::Tool>(tool), code)), text);
  }

  // A reference manager's export goes through refimport, anything else
  // through tabdump; the extension decides, in any letter case, and only the
  // file name's own extension counts.
  void TableConverterByExtension_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QStringList>("request");
    QTest::newRow("bib") << "/w/refs.bib" << false
                         << QStringList{"refimport", "/w/refs.bib", "/w/out.csv"};
    QTest::newRow("bib, UTF-8") << "/w/refs.bib" << true
                                << QStringList{"refimport", "/u", "/w/refs.bib", "/w/out.csv"};
    QTest::newRow("RIS in capitals")
        << "/w/My Library.RIS" << true
        << QStringList{"refimport", "/u", "/w/My Library.RIS", "/w/out.csv"};
    QTest::newRow("workbook") << "/w/book.xlsx" << false
                              << QStringList{"tabdump", "/s", "/w/book.xlsx", "/w/out.csv"};
    QTest::newRow("workbook, UTF-8")
        << "/w/book.xls" << true << QStringList{"tabdump", "/su", "/w/book.xls", "/w/out.csv"};
    QTest::newRow("dot in the folder only")
        << "/w/refs.bib/book" << false
        << QStringList{"tabdump", "/s", "/w/refs.bib/book", "/w/out.csv"};
    QTest::newRow("longer extension")
        << "/w/refs.bibx" << false << QStringList{"tabdump", "/s", "/w/refs.bibx", "/w/out.csv"};
  }
  void TableConverterByExtension() {
    QFETCH(QString, source);
    QFETCH(bool, utf8);
    QFETCH(QStringList, request);
    const ProcessRequest made =
        refdesk::TableRequest("/program/", source.toStdString(), "/w/out.csv", utf8);
    QStringList got{Q(made.program)};
    for (const std::string& argument : made.arguments) got << Q(argument);
    request[0].prepend("/program/");
    QCOMPARE(got, request);
    QCOMPARE(made.working_folder, std::string());
  }

  // What the window shows in a greyed-out output field is what a run writes.
  void Destinations_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("list");
    QTest::newRow("fields") << ""
                            << "@W@named.csv"
                            << "@W@out.txt";
    QTest::newRow("beside the workbook") << "same1;same3;direct"
                                         << "@W@b.csv"
                                         << "@W@b.html";
    QTest::newRow("beside the converted table") << "same1;same2;same3"
                                                << "@W@b.csv"
                                                << "@W@named.html";
    QTest::newRow("beside the source table") << "same3"
                                             << "@W@named.csv"
                                             << "@W@src.html";
    // Nothing to derive a name from: nothing to show, and a run refuses.
    QTest::newRow("empty workbook") << "same1;same3;direct;no workbook"
                                    << ""
                                    << "";
    QTest::newRow("empty output") << "no output"
                                  << "@W@named.csv"
                                  << "";
  }
  void Destinations() {
    QFETCH(QString, setup);
    QFETCH(QString, table);
    QFETCH(QString, list);
    Fixture f;
    refdesk::FormSnapshot form;
    form.workbook = setup.contains("no workbook") ? "" : "b.xls";
    form.table = "named.csv";
    form.source_table = "src.csv";
    form.bibliography = setup.contains("no output") ? " " : "out.txt";
    form.same_name1 = setup.contains("same1");
    form.same_name2 = setup.contains("same2");
    form.same_name3 = setup.contains("same3");
    form.direct = setup.contains("direct");
    QCOMPARE(Q(refdesk::TableDestination(form)), table.replace("@W@", Q(f.work)));
    QCOMPARE(Q(refdesk::BibliographyDestination(form, ".html")), list.replace("@W@", Q(f.work)));
  }

  // Refused before anything starts: nothing runs, nothing is recorded.
  void RefusesBeforeStarting_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty table output") << "upper"
                                        << "REFDESK:出力先ファイルを指定してください";
    QTest::newRow("empty workbook") << "upper;no workbook"
                                    << "REFDESK:変換元ファイルを指定してください";
    QTest::newRow("empty list output") << "lower"
                                       << "REFDESK:出力先ファイルを指定してください";
    // A file type with ext=csv and "same folder" aims the list at its source.
    QTest::newRow("list over its source") << "lower;csv;same3"
                                          << "REFDESK:"
                                             "出力先ファイルが変換元ファイルと同じファイルです。別"
                                             "の出力先を指定してください\r\n@W@refs.csv";
    QTest::newRow("list over the style") << "lower;style out"
                                         << "REFDESK:"
                                            "出力先ファイルがスタイルファイルと同じファイルです。別"
                                            "の出力先を指定してください\r\n@F@std.ini";
    // A link to the file is the same file.
    QTest::newRow("list over the workbook, direct")
        << "lower;direct;workbook out"
        << "REFDESK:"
           "出力先ファイルが変換元ファイルと同じファイルです。別の出力先を指定してください\r\n@W@"
           "link.xls";
    // An export beside which the list would get its own name: refused, as
    // refimport must never read what refmill is about to write.
    QTest::newRow("list over the export, direct")
        << "lower;direct;same3;bib workbook"
        << "REFDESK:"
           "出力先ファイルが変換元ファイルと同じファイルです。別の出力先を指定してください\r\n@W@"
           "refs.bib";
    QTest::newRow("table over the workbook") << "upper;same1;csv workbook"
                                             << "REFDESK:"
                                                "出力先ファイルが変換元ファイルと同じファイルです。"
                                                "別の出力先を指定してください\r\n@W@refs.csv";
  }
  void RefusesBeforeStarting() {
    QFETCH(QString, setup);
    QFETCH(QString, message);
    Fixture f;
    f.temp.Write("csv.trl", "[General]\r\next=csv\r\n");
    f.Touch(f.work + "refs.csv");
    f.Touch(f.work + "book.xls");
    f.Touch(f.work + "refs.bib");
    f.view.form.workbook = setup.contains("no workbook")    ? ""
                           : setup.contains("csv workbook") ? "refs.csv"
                           : setup.contains("bib workbook") ? "refs.bib"
                                                            : "book.xls";
    f.view.form.source_table = "refs.csv";
    f.view.form.same_name1 = setup.contains("same1");
    f.view.form.same_name3 = setup.contains("same3");
    f.view.form.direct = setup.contains("direct");
    if (setup.contains("csv")) f.view.form.file_type_name = "csv";
    if (setup.contains("style out")) f.view.form.bibliography = f.folder + "std.ini";
    if (setup.contains("workbook out")) {
      std::filesystem::create_symlink(f.work + "book.xls", f.work + "link.xls");
      f.view.form.bibliography = f.work + "link.xls";
    }
    if (setup.contains("upper")) {
      f.converter.Button3Click();
    } else {
      f.converter.Button6Click();
    }
    message.replace("@W@", Q(f.work)).replace("@F@", Q(f.folder));
    QCOMPARE(f.Texts(), std::vector<std::string>{message.toStdString()});
    QVERIFY(f.runner.requests.empty());
    QVERIFY(f.view.events.empty());
  }

  void TwoStepFlow_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("tool_status");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("ran");
    QTest::addColumn<bool>("opened");
    QTest::newRow("success") << "" << 0 << "refmillの実行結果：成功" << QStringList() << true
                             << true;
    QTest::newRow("tool error") << "" << 2
                                << "refmillの実行結果：エラー2：引数の数が正しくありません"
                                << QStringList() << true << true;
    // The answer No leaves the status bar alone, yet the fields are recorded.
    QTest::newRow("overwrite declined")
        << "dest exists;answer no" << 0 << ""
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << false << false;
    QTest::newRow("overwrite allowed")
        << "dest exists" << 0 << "refmillの実行結果：成功"
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << true << true;
    QTest::newRow("overwrite without asking")
        << "dest exists;overwrite2" << 0 << "refmillの実行結果：成功" << QStringList() << true
        << true;
    QTest::newRow("source missing")
        << "no source" << 0
        << "refmillの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません"
        << QStringList{"refmill:変換元ファイルが見つかりません\r\n@S@"} << false << true;
    QTest::newRow("style missing")
        << "style gone" << 0
        << "refmillの実行結果：エラー44：スタイルまたはファイルタイプがありません"
        << QStringList{"REFDESK:スタイルファイルが見つかりません\r\n@F@gone.ini"} << false << true;
    QTest::newRow("tool cannot start")
        << "refuse" << 0
        << "refmillの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません"
        << QStringList() << true << true;
    QTest::newRow("not opened") << "no open" << 0 << "refmillの実行結果：成功" << QStringList()
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
        << "tabdumpの実行結果：成功" << QStringList{"disable Button3", "enable Button3"};
    QTest::newRow("named destination")
        << ""
        << "named.csv"
        << "tabdumpの実行結果：成功" << QStringList{"disable Button3", "enable Button3"};
    QTest::newRow("declined") << "dest exists;answer no"
                              << "named.csv"
                              << "" << QStringList();
    // Direct mode keeps Button3 disabled after the run.
    QTest::newRow("direct mode") << "direct"
                                 << "named.csv"
                                 << "tabdumpの実行結果：エラー3：読み込めるブックではありません（別"
                                    "の種類のファイル、破損、パスワード保護）"
                                 << QStringList{"disable Button3"};
    QTest::newRow("source missing")
        << "no source"
        << "named.csv"
        << "tabdumpの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません"
        << QStringList();
    QTest::newRow("export beside itself")
        << "bib;same name"
        << "book.csv"
        << "refimportの実行結果：成功" << QStringList{"disable Button3", "enable Button3"};
    QTest::newRow("export missing")
        << "bib;no source"
        << "named.csv"
        << "refimportの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません"
        << QStringList();
    // A program folder without refimport says so instead of a bare number.
    QTest::newRow("refimport missing")
        << "bib;refuse"
        << "named.csv"
        << "refimportの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません"
        << QStringList();
  }
  void Button3Flow() {
    QFETCH(QString, setup);
    QFETCH(QString, destination);
    QFETCH(QString, status);
    QFETCH(QStringList, button_events);
    Fixture f;
    const bool bib = setup.contains("bib");
    const std::string name = bib ? "book.bib" : "book";
    const std::string source = f.work + name;
    if (!setup.contains("no source")) f.Touch(source);
    if (setup.contains("dest exists")) f.Touch(f.work + "named.csv");
    if (setup.contains("answer no")) f.dialogs.answers.push_back(Answer::kNo);
    f.view.form.workbook = name;
    f.view.form.table = "named.csv";
    f.view.form.same_name1 = setup.contains("same name");
    f.view.form.direct = setup.contains("direct");
    if (setup.contains("direct")) f.runner.statuses.push_back(3);
    f.runner.refuse_start = setup.contains("refuse");

    f.converter.Button3Click();

    const std::string full_destination = f.work + destination.toStdString();
    QCOMPARE(Q(f.view.status), status);
    if (!button_events.isEmpty()) {
      const ProcessRequest expected =
          bib ? ProcessRequest{f.folder + "refimport", {source, full_destination}, ""}
              : ProcessRequest{f.folder + "tabdump", {"/s", source, full_destination}, ""};
      QCOMPARE(f.runner.requests.at(0), expected);
    }
    const std::string tool = bib ? "refimport" : "tabdump";
    if (setup.contains("no source")) {
      QCOMPARE(f.Texts(),
               std::vector<std::string>{tool + ":変換元ファイルが見つかりません\r\n" + source});
    }
    if (setup.contains("refuse")) {
      QCOMPARE(f.Texts(),
               std::vector<std::string>{
                   "refimport:"
                   "refimportを起動できません。プログラムフォルダにあるか確かめてください\r\n" +
                   f.folder + "refimport"});
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
        << "tabdumpの実行結果：成功 / refmillの実行結果：エラー77：上書きしませんでした"
        << QStringList{"REFDESK:@D@は存在します。上書きしますか？"} << false;
    // A failed table step is said in words, and refmill is not started on
    // a table that was never written; nothing is left to delete.
    QTest::newRow("not a workbook")
        << "tabdump fails"
        << "tabdumpの実行結果：エラー3：読み込めるブックではありません（別の種類のファイル、破損、パスワード保護） / refmillの実行結果：未実行"
        << QStringList{"tabdump:ブックを表に変換できませんでした（エラー3：読み込めるブックではありません（別の種類のファイル、破損、パスワード保護））。文献リストへの変換は行いません\r\n@B@"}
        << false;
    QTest::newRow("workbook missing")
        << "no workbook"
        << "tabdumpの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません / "
           "refmillの実行結果：未実行"
        << QStringList{"tabdump:変換元ファイルが見つかりません\r\n@B@"} << false;
    // Deleting by the full path still works after the working folder changed.
    QTest::newRow("working folder changes")
        << "chdir"
        << "tabdumpの実行結果：成功 / refmillの実行結果：成功" << QStringList() << true;
    // A reference manager's export goes through refimport the same way.
    QTest::newRow("export") << "bib"
                            << "refimportの実行結果：成功 / refmillの実行結果：成功"
                            << QStringList() << true;
    QTest::newRow("export unreadable")
        << "bib;tabdump fails"
        << "refimportの実行結果：エラー3：読み込める文献ファイルではありません（BibTeX・RIS・CSL-JSONのどれでもない、1件も読めない、256MBを超える） / refmillの実行結果：未実行"
        << QStringList{"refimport:文献ファイルを表に変換できませんでした（エラー3：読み込める文献ファイルではありません（BibTeX・RIS・CSL-JSONのどれでもない、1件も読めない、256MBを超える））。文献リストへの変換は行いません\r\n@B@"}
        << false;
    // One message that names the missing tool, not a second one about the
    // table.
    QTest::newRow("refimport missing")
        << "bib;refuse"
        << "refimportの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません / refmillの実行結果：未実行"
        << QStringList{"refimport:refimportを起動できません。プログラムフォルダにあるか確かめてください\r\n@F@refimport"}
        << false;
    QTest::newRow("tabdump missing")
        << "refuse"
        << "tabdumpの実行結果：エラー55：変換元ファイルがないか、ツールを起動できません / refmillの実行結果：未実行"
        << QStringList{"tabdump:ブックを表に変換できませんでした（エラー55：変換元ファイルがないか、ツールを起動できません）。文献リストへの変換は行いません\r\n@B@"}
        << false;
  }
  void DirectFlow() {
    QFETCH(QString, setup);
    QFETCH(QString, status);
    QFETCH(QStringList, messages);
    QFETCH(bool, opened);
    Fixture f;
    const bool bib = setup.contains("bib");
    const std::string workbook = f.work + (bib ? "book.bib" : "book.xls");
    if (!setup.contains("no workbook")) f.Touch(workbook);
    // A list named .bib would be the export itself (see RefusesBeforeStarting).
    if (bib) {
      f.temp.Write("html.trl", "[General]\r\next=html\r\n");
      f.view.form.file_type_name = "html";
    }
    const std::string destination = f.work + (bib ? "book.html" : "book.bib");
    if (setup.contains("dest exists")) f.Touch(destination);
    if (setup.contains("answer no")) f.dialogs.answers.push_back(Answer::kNo);
    f.view.form.direct = true;
    f.view.form.same_name3 = true;
    f.view.form.after_open = true;
    f.view.form.workbook = bib ? "book.bib" : "book.xls";
    if (setup.contains("tabdump fails")) f.runner.statuses = {3, 0};
    f.runner.refuse_start = setup.contains("refuse");
    const std::string elsewhere = f.temp.path();
    f.runner.effect = [&](const ProcessRequest& r) {
      if (r.program != f.folder + "refmill" && !setup.contains("tabdump fails")) {
        f.Touch(r.arguments.back());
      }
      if (setup.contains("chdir")) QDir::setCurrent(Q(elsewhere));
    };

    f.converter.Button6Click();

    const bool table_step = !setup.contains("no workbook");
    const std::string table = table_step ? f.runner.requests.at(0).arguments.at(2) : "";
    if (table_step) {
      // The temporary table is refdesk's own, so it is made in UTF-8.
      QCOMPARE(f.runner.requests.at(0).program, f.folder + (bib ? "refimport" : "tabdump"));
      QCOMPARE(Q(f.runner.requests.at(0).arguments.at(0)), QString(bib ? "/u" : "/su"));
      QCOMPARE(f.runner.requests.at(0).arguments.at(1), workbook);
      // In a folder of its own in the system's temporary folder, gone with
      // its folder afterwards.
      const std::string system_temp = std::filesystem::temp_directory_path().string();
      QVERIFY(QRegularExpression("^" + QRegularExpression::escape(Q(system_temp)) +
                                 "/refdesk-[^/]{6}/temp[1-9][0-9][0-9]\\.%%%$")
                  .match(Q(table))
                  .hasMatch());
      QVERIFY(!std::filesystem::exists(std::filesystem::path(table).parent_path()));
    }
    // refmill runs only on a table that was made, and only when allowed to.
    const bool list_step = table_step && !setup.contains("tabdump fails") &&
                           !setup.contains("answer no") && !setup.contains("refuse");
    QCOMPARE(f.runner.requests.size(), size_t{table_step} + size_t{list_step});
    // Nothing of the run lands in the working folder.
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(f.work)) {
      left.push_back(e.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected_left;
    if (setup.contains("dest exists")) expected_left.push_back("book.bib");
    if (!setup.contains("no workbook")) expected_left.push_back(bib ? "book.bib" : "book.xls");
    std::sort(expected_left.begin(), expected_left.end());
    QCOMPARE(left, expected_left);
    QCOMPARE(Q(f.view.status), status);
    QStringList shown;
    for (const std::string& t : f.Texts()) shown << Q(t);
    for (QString& m : messages) {
      m.replace("@D@", Q(destination)).replace("@B@", Q(workbook)).replace("@F@", Q(f.folder));
    }
    QCOMPARE(shown, messages);
    QCOMPARE(f.shell.opened,
             opened ? std::vector<std::string>{destination} : std::vector<std::string>{});
    QCOMPARE(f.view.events.front(), std::string("disable Button6"));
    QCOMPARE(f.view.events.back(), std::string("enable Button6"));
    QCOMPARE(f.view.form.bibliography, destination);
    QCOMPARE(f.view.form.workbook, workbook);
  }
};

int RunConvertFlowTest(int argc, char** argv) {
  ConvertFlowTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "convert_flow_test.moc"
