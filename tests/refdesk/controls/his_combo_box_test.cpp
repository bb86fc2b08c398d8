// THisComboBox against real history files in a temporary program folder:
// loading, saving, adding, trimming, and which file and section it uses.
#include "refdesk/controls/his_combo_box.h"

#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <filesystem>
#include <memory>

#include "refdesk/controls/history_file.h"
#include "tests/support/temp_folder.h"

namespace refdesk_test {
namespace {

using refdesk::controls::THisComboBox;

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
  return items;
}

std::unique_ptr<THisComboBox> MakeField(const testing_support::TempFolder& folder,
                                        const char* name = "HisComboBox1") {
  auto field = std::make_unique<THisComboBox>();
  field->setObjectName(QString::fromLatin1(name));
  field->SetProgramPath(folder.File("refdesk"));
  return field;
}

// Lines of the history file "section=value" joined by "|", CR LF removed.
QString FileLines(const testing_support::TempFolder& folder) {
  QString text = QString::fromStdString(folder.Read("refdesk.ini"));
  text.replace("\r\n", "|");
  return text;
}

}  // namespace

class HisComboBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void LoadsValuesInFileOrder_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("no file") << QString() << QStringList();
    QTest::newRow("no section") << "[General]\r\nDirect=1\r\n" << QStringList();
    // Key names carry nothing: a hand-written key loads like any other.
    QTest::newRow("file order, any key")
        << "[HisComboBox1]\r\nHisComboBox11=b\r\nHisComboBox10=a\r\nlast=/x.csv\r\n"
        << QStringList{"b", "a", "/x.csv"};
    QTest::newRow("value holding =") << "[HisComboBox1]\r\nHisComboBox10=a=b\r\n"
                                     << QStringList{"a=b"};
    QTest::newRow("twelve keys") << "[HisComboBox1]\r\nk0=0\r\nk1=1\r\nk2=2\r\nk3=3\r\nk4=4\r\nk5="
                                    "5\r\nk6=6\r\nk7=7\r\nk8=8\r\nk9=9\r\nk10=10\r\nk11=11\r\n"
                                 << QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QTest::newRow("another field's section") << "[HisComboBox2]\r\nHisComboBox20=a\r\n"
                                             << QStringList();
    QTest::newRow("Japanese path") << "[HisComboBox1]\r\nHisComboBox10=/home/利用者/文献.xls\r\n"
                                   << QStringList{"/home/利用者/文献.xls"};
  }
  void LoadsValuesInFileOrder() {
    QFETCH(QString, file);
    QFETCH(QStringList, items);
    testing_support::TempFolder folder;
    if (!file.isNull()) folder.Write("refdesk.ini", file.toStdString());
    auto field = MakeField(folder);
    field->setEditText("typed");
    field->LoadHistory();
    QCOMPARE(Items(*field), items);
    // Loading leaves the text alone; the window decides what to show.
    QCOMPARE(field->currentText(), QString("typed"));
  }

  void AddHistory_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("history_max");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    const QStringList ten{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    // The old spelling goes; entries before it move down, those after stay.
    QTest::newRow("same name other case")
        << QStringList{"a", "b", "c", "/DATA/A.XLS", "e"} << 10 << "/data/a.xls"
        << QStringList{"/data/a.xls", "a", "b", "c", "e"};
    QTest::newRow("new name, full list")
        << ten << 10 << "new" << QStringList{"new", "0", "1", "2", "3", "4", "5", "6", "7", "8"};
    QTest::newRow("already newest") << QStringList{"x", "y"} << 10 << "x" << QStringList{"x", "y"};
    QTest::newRow("only a prefix matches")
        << QStringList{"abc"} << 10 << "ab" << QStringList{"ab", "abc"};
    QTest::newRow("smaller maximum")
        << QStringList{"a", "b", "c"} << 3 << "d" << QStringList{"d", "a", "b"};
  }
  void AddHistory() {
    QFETCH(QStringList, before);
    QFETCH(int, history_max);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    testing_support::TempFolder folder;
    auto field = MakeField(folder);
    field->addItems(before);
    field->SetHistoryMax(history_max);
    field->setEditText(text);
    field->AddHistory();
    QCOMPARE(Items(*field), after);
    QCOMPARE(field->currentIndex(), 0);
    QCOMPARE(field->currentText(), text);
  }

  // Typing a name that begins a longer history entry keeps what was typed,
  // also once the field has lost the focus.
  void TypingKeepsTheTypedName() {
    testing_support::TempFolder folder;
    QWidget window;
    auto* field = new THisComboBox(&window);
    field->setObjectName("HisComboBox1");
    field->SetProgramPath(folder.File("refdesk"));
    auto* elsewhere = new QLineEdit(&window);
    elsewhere->move(0, 40);
    field->addItems({"/d/bunken.xlsx", "/d/other.csv"});
    field->setEditText("");
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    QTest::keyClicks(field->lineEdit(), "/d/bunken.xls");
    QCOMPARE(field->currentText(), QString("/d/bunken.xls"));
    elsewhere->setFocus();
    QApplication::processEvents();
    QCOMPARE(field->currentText(), QString("/d/bunken.xls"));
  }

  void AddHistoryIgnoresEmptyText() {
    testing_support::TempFolder folder;
    auto field = MakeField(folder);
    field->addItems({"a", "b"});
    field->setCurrentIndex(1);
    field->setEditText("");
    field->AddHistory();
    QCOMPARE(Items(*field), (QStringList{"a", "b"}));
    QCOMPARE(field->currentIndex(), 1);
  }

  void SavesOnDestruction_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("saved");
    QTest::newRow("renumbers from 0")
        << "[General]\r\nDirect=1\r\n[HisComboBox1]\r\nlast=/x.csv\r\n"
        << QStringList{"/a", "/b"}
        << "[General]|Direct=1|[HisComboBox1]|HisComboBox10=/a|HisComboBox11=/b|";
    // A name with a line break cannot be stored; it must not become a line.
    QTest::newRow("line break left out") << "" << QStringList{"/a", "/x\n[General]\nDirect=0", "/b"}
                                         << "[HisComboBox1]|HisComboBox10=/a|HisComboBox11=/b|";
    // An empty history leaves no section behind.
    QTest::newRow("empty erases")
        << "[HisComboBox1]\r\nHisComboBox10=/a\r\n[General]\r\nDirect=0\r\n"
        << QStringList() << "[General]|Direct=0|";
  }
  void SavesOnDestruction() {
    QFETCH(QString, file);
    QFETCH(QStringList, items);
    QFETCH(QString, saved);
    testing_support::TempFolder folder;
    folder.Write("refdesk.ini", file.toStdString());
    auto field = MakeField(folder);
    field->addItems(items);
    field.reset();
    QCOMPARE(FileLines(folder), saved);
  }

  void TwelveLoadedKeysSaveAsTen() {
    testing_support::TempFolder folder;
    std::string file = "[HisComboBox1]\r\n";
    for (int i = 0; i < 12; ++i)
      file += "HisComboBox1" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    folder.Write("refdesk.ini", file);
    MakeField(folder)->LoadHistory();
    const QString text = FileLines(folder);
    QVERIFY(text.contains("HisComboBox19=9|"));
    QVERIFY(!text.contains("HisComboBox110"));
    QVERIFY(!text.contains("HisComboBox111"));
  }

  // Whatever the IniSection property says, each field keeps its own section.
  void FieldsNeverShareASection() {
    testing_support::TempFolder folder;
    {
      auto first = MakeField(folder, "HisComboBox1");
      auto second = MakeField(folder, "HisComboBox2");
      first->SetIniSection("THisComboBox");
      second->SetIniSection("THisComboBox");
      first->addItem("/one");
      second->addItem("/two");
    }
    // The second field goes first, so its section comes first.
    QCOMPARE(FileLines(folder),
             QString("[HisComboBox2]|HisComboBox20=/two|[HisComboBox1]|HisComboBox10=/one|"));
  }

  void ReportsAFileItCannotWrite() {
    testing_support::TempFolder folder;
    // A folder of that name cannot be replaced by a file.
    std::filesystem::create_directory(folder.File("refdesk.ini"));
    std::vector<std::string> reported;
    auto field = MakeField(folder);
    field->SetWriteFailedHandler([&](const std::string& path) { reported.push_back(path); });
    field->addItem("/a");
    QVERIFY(!field->SaveHistory());
    QCOMPARE(reported, std::vector<std::string>{folder.File("refdesk.ini")});
    field->SetWriteFailedHandler([](const std::string&) {});
  }

  // The history file is the window's refdesk.ini, however its name is spelt.
  void HistoryFileIsTheSettingsFile_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("expected");
    QTest::newRow("lower case exists") << "refdesk"
                                       << "refdesk.ini"
                                       << "refdesk.ini";
    QTest::newRow("upper case exists") << "refdesk"
                                       << "REFDESK.INI"
                                       << "REFDESK.INI";
    QTest::newRow("none yet") << "refdesk"
                              << ""
                              << "refdesk.ini";
    QTest::newRow("program with extension") << "refdesk.bin"
                                            << "refdesk.INI"
                                            << "refdesk.INI";
    QTest::newRow("renamed program") << "mydesk"
                                     << "refdesk.ini"
                                     << "mydesk.ini";
  }
  void HistoryFileIsTheSettingsFile() {
    QFETCH(QString, program);
    QFETCH(QString, existing);
    QFETCH(QString, expected);
    testing_support::TempFolder folder;
    if (!existing.isEmpty()) folder.Write(existing.toStdString(), "");
    QCOMPARE(QString::fromStdString(
                 refdesk::controls::HistoryFilePath(folder.File(program.toStdString()))),
             QString::fromStdString(folder.File(expected.toStdString())));
  }
};

}  // namespace refdesk_test

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  refdesk_test::HisComboBoxTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "his_combo_box_test.moc"
