// The program folder's lists, replacing extensions, and reading the
// settings kept in section "General" of refdesk.ini.
#include "refdesk/program_folder.h"

#include <QStringList>
#include <QTest>
#include <filesystem>

#include "refdesk/settings.h"
#include "tests/refdesk/test_main.h"
#include "tests/support/temp_folder.h"

Q_DECLARE_METATYPE(refdesk::FormSettings)

namespace refdesk_test {
namespace {

QStringList ToList(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& n : names) list << QString::fromStdString(n);
  return list;
}

}  // namespace

class ProgramFolderTest : public QObject {
  Q_OBJECT

 private slots:
  void ListsStylesAndFileTypes() {
    testing_support::TempFolder folder;
    for (const char* name : {"refdesk.ini", "refmill.ini", "zeta.INI", "Alpha.ini", "a.b.ini",
                             "b.trl", "A.TRL", "notes.txt", ".ini"}) {
      folder.Write(name, "");
    }
    std::filesystem::create_directory(folder.File("dir.ini"));
    const std::string path = folder.path() + "/";
    QCOMPARE(ToList(refdesk::ListStyleNames(path)), (QStringList{"a.b", "Alpha", "zeta"}));
    QCOMPARE(ToList(refdesk::ListFileTypeNames(path)), (QStringList{"A", "b"}));
    QVERIFY(refdesk::ListStyleNames(folder.File("missing/")).empty());
  }

  void ReplaceExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("replaced") << "/d/book.xls"
                              << "/d/book.csv";
    QTest::newRow("appended") << "/d/book"
                              << "/d/book.csv";
    QTest::newRow("dot in folder only") << "/d.v2/book"
                                        << "/d.v2/book.csv";
    QTest::newRow("last dot counts") << "/d/book.tar.gz"
                                     << "/d/book.tar.csv";
  }
  void ReplaceExtension() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(refdesk::ReplaceExtension(path.toStdString(), ".csv")),
             expected);
  }

  void ReadsSettings_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<refdesk::FormSettings>("expected");
    QTest::newRow("empty gives defaults") << "" << refdesk::FormSettings{};
    refdesk::FormSettings stored;
    stored.same_name1 = true;
    stored.direct = false;
    stored.tabdump_visible = false;
    stored.format = -1;
    stored.file_type = 26;
    // Hexadecimal forms and any non-zero number count; text keeps the default.
    QTest::newRow("number forms") << "[general]\r\nsamename1=0x2\r\nDirect=$0\r\nErrorLog=yes\r\n"
                                     "TabdumpVisible= 0\r\nFormat=-1\r\nFileType=x1A\r\n"
                                  << stored;
  }
  void ReadsSettings() {
    QFETCH(QString, file);
    QFETCH(refdesk::FormSettings, expected);
    QVERIFY(refdesk::ReadFormSettings(platform::ProfileFile::FromText(file.toStdString())) ==
            expected);
  }
};

int RunProgramFolderTest(int argc, char** argv) {
  ProgramFolderTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "program_folder_test.moc"
