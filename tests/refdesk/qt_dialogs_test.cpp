// The browse filters as Qt's file dialog gets them: on this file system a
// pattern in capitals would hide the lower-case names users have.
#include "refdesk/qt_dialogs.h"

#include <QTest>

#include "tests/refdesk/test_main.h"

namespace refdesk_test {

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void ToQtFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("capital pattern") << "Microsoft Excelﾌｧｲﾙ (*.xls)|*.XLS|すべてのﾌｧｲﾙ (*.*)|*.*"
                                     << "Microsoft Excelﾌｧｲﾙ (*.xls *.XLS);;すべてのﾌｧｲﾙ (*)";
    // Both kinds of workbook, the newer first.
    QTest::newRow("two patterns")
        << "Microsoft Excelﾌｧｲﾙ (*.xlsx;*.xls)|*.XLSX;*.XLS|すべてのﾌｧｲﾙ (*.*)|*.*"
        << "Microsoft Excelﾌｧｲﾙ (*.xlsx *.XLSX *.xls *.XLS);;すべてのﾌｧｲﾙ (*)";
    QTest::newRow("lower-case pattern") << "出力形式のファイル (*.bib)|*.bib|すべてのﾌｧｲﾙ (*.*)|*.*"
                                        << "出力形式のファイル (*.bib);;すべてのﾌｧｲﾙ (*)";
    // Description without patterns of its own, and a pair left incomplete.
    QTest::newRow("plain description") << "Tables|*.CSV|odd"
                                       << "Tables (*.csv *.CSV)";
  }
  void ToQtFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(refdesk::ToQtFilter(filter.toStdString()), expected);
  }
};

int RunQtDialogsTest(int argc, char** argv) {
  QtDialogsTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "qt_dialogs_test.moc"
