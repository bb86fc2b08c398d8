// The main window with fake services in a temporary program folder:
// start-up from refdesk.ini, the enabling rules, the upper-group toggle and
// anchors, drops, browsing, menu commands, saving, and closing during a run.
#include "refdesk/sdi_app_form.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>

#include "refdesk/about_box.h"
#include "refdesk/controls/his_combo_box.h"
#include "refdesk/qt_translations.h"
#include "tests/refdesk/fakes.h"
#include "tests/refdesk/test_main.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"

Q_DECLARE_METATYPE(refdesk::Answer)

namespace refdesk_test {
namespace {

using refdesk::Answer;
using refdesk::TSDIAppForm;

struct Window {
  explicit Window(const std::string& ini = "", bool with_lists = true) {
    if (with_lists) {
      folder.Write("b-style.ini", "[General]\r\n");
      folder.Write("a-style.ini", "[General]\r\n");
      folder.Write("c-style.ini", "[General]\r\n");
      folder.Write("html.trl", "[General]\r\next=bib\r\n");
      folder.Write("plain.trl", "[General]\r\n");
    }
    if (!ini.empty()) folder.Write("refdesk.ini", ini);
    form = std::make_unique<TSDIAppForm>(
        refdesk::FormServices{dialogs, shell, runner, folder.File("refdesk")});
  }
  // Names of the widgets among `names` that are enabled.
  QStringList Enabled(const QStringList& names) const {
    QStringList enabled;
    for (const QString& name : names) {
      if (form->findChild<QWidget*>(name)->isEnabled()) enabled << name;
    }
    return enabled;
  }
  QStringList Checked() const {
    QStringList checked;
    for (QCheckBox* box : {form->CheckBox1, form->CheckBox2, form->CheckBox3, form->CheckBox4,
                           form->CheckBox5, form->CheckBox6, form->CheckBox7, form->CheckBox9}) {
      if (box->isChecked()) checked << box->objectName();
    }
    return checked;
  }
  void Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    // Qt hands a drop only to a widget that took the drag when it entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
  }

  testing_support::TempFolder folder;
  FakeDialogs dialogs;
  FakeShell shell;
  FakeRunner runner;
  std::unique_ptr<TSDIAppForm> form;
};

const QStringList kRuled{"Button2",   "Button3",   "Button4",      "Button5",      "CheckBox1",
                         "CheckBox3", "CheckBox4", "HisComboBox2", "HisComboBox3", "HisComboBox4"};

}  // namespace

class SdiAppFormTest : public QObject {
  Q_OBJECT

 private slots:
  void StartsFromSettings_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("style");
    // Direct mode leaves only the lower destination controls to CheckBox5.
    QTest::newRow("no refdesk.ini")
        << "" << QStringList{"CheckBox2", "CheckBox5", "CheckBox7", "CheckBox9"} << QStringList{}
        << 510 << 0;
    QTest::newRow("upper group hidden")
        << "[General]\r\nTabdumpVisible=0\r\nSameName2=1\r\n"
        << QStringList{"CheckBox5", "CheckBox7", "CheckBox9"}
        << QStringList{"Button2",   "Button3",      "Button4",     "CheckBox1",
                       "CheckBox3", "HisComboBox2", "HisComboBox3"}
        << 317 << 0;
    // Leaving direct mode enables Button2 even though CheckBox1 is checked.
    QTest::newRow("same name without direct")
        << "[General]\r\nSameName1=1\r\nDirect=0\r\nSameName3=0\r\n"
        << QStringList{"CheckBox1", "CheckBox7", "CheckBox9"}
        << QStringList{"Button2",   "Button3",   "Button4",      "Button5",     "CheckBox1",
                       "CheckBox3", "CheckBox4", "HisComboBox3", "HisComboBox4"}
        << 510 << 0;
    QTest::newRow("stored style past the list")
        << "[General]\r\nFormat=7\r\n"
        << QStringList{"CheckBox2", "CheckBox5", "CheckBox7", "CheckBox9"} << QStringList{} << 510
        << 0;
    QTest::newRow("no style selected")
        << "[General]\r\nFormat=-1\r\nDirect=0\r\nSameName2=1\r\n"
        << QStringList{"CheckBox4", "CheckBox5", "CheckBox7", "CheckBox9"}
        << QStringList{"Button2",   "Button3",   "Button4",     "CheckBox1",
                       "CheckBox3", "CheckBox4", "HisComboBox2"}
        << 510 << -1;
  }
  void StartsFromSettings() {
    QFETCH(QString, ini);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, enabled);
    QFETCH(int, height);
    QFETCH(int, style);
    Window w(ini.toStdString());
    QCOMPARE(w.Checked(), checked);
    QCOMPARE(w.Enabled(kRuled), enabled);
    QCOMPARE(w.form->height(), height);
    QCOMPARE(w.form->ComboBox1->currentIndex(), style);
    QCOMPARE(w.form->ComboBox1->itemText(0), QString("a-style"));
    QCOMPARE(w.form->ComboBox2->currentIndex(), 0);
  }

  void EnablingRules_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("enabled");
    const QStringList direct_off{"CheckBox2"};
    QTest::newRow("direct off") << direct_off
                                << QStringList{"Button2",      "Button3",     "Button4",
                                               "CheckBox1",    "CheckBox3",   "CheckBox4",
                                               "HisComboBox2", "HisComboBox3"};
    QTest::newRow("CheckBox1") << QStringList{"CheckBox2", "CheckBox1"}
                               << QStringList{"Button3",   "Button4",   "CheckBox1",
                                              "CheckBox3", "CheckBox4", "HisComboBox3"};
    // CheckBox4 disables its field only, not Button4.
    QTest::newRow("CheckBox4") << QStringList{"CheckBox2", "CheckBox4"}
                               << QStringList{"Button2",   "Button3",   "Button4",     "CheckBox1",
                                              "CheckBox3", "CheckBox4", "HisComboBox2"};
    QTest::newRow("CheckBox5 off")
        << QStringList{"CheckBox5"} << QStringList{"Button5", "HisComboBox4"};
    QTest::newRow("back to direct")
        << QStringList{"CheckBox2", "CheckBox1", "CheckBox2"} << QStringList{};
  }
  void EnablingRules() {
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, enabled);
    Window w;
    for (const QString& name : clicks) w.form->findChild<QCheckBox*>(name)->click();
    QCOMPARE(w.Enabled(kRuled), enabled);
  }

  void ToggleAndAnchors() {
    Window w;
    w.form->show();
    w.form->resize(650, 510);
    QCOMPARE(w.form->GroupBox1->geometry(), QRect(8, 8, 627, 193));
    QCOMPARE(w.form->GroupBox2->geometry(), QRect(8, 212, 627, 227));
    QCOMPARE(w.form->Button1->geometry(), QRect(554, 48, 65, 25));
    QCOMPARE(w.form->HisComboBox1->geometry(), QRect(16, 48, 527, 26));
    QCOMPARE(w.form->CheckBox2->geometry(), QRect(16, 160, 137, 25));
    w.form->DisplayXlsConv->trigger();
    QCOMPARE(w.form->height(), 317);
    QCOMPARE(w.form->minimumHeight(), 317);
    QCOMPARE(w.form->maximumHeight(), 317);
    QCOMPARE(w.form->GroupBox2->geometry(), QRect(8, 19, 627, 227));
    QVERIFY(!w.form->CheckBox2->isChecked());
    QVERIFY(!w.form->CheckBox4->isEnabled());
    w.form->DisplayXlsConv->trigger();
    QCOMPARE(w.form->height(), 510);
    QCOMPARE(w.form->GroupBox2->geometry(), QRect(8, 212, 627, 227));
    QVERIFY(w.form->CheckBox4->isEnabled());
    QVERIFY(!w.form->CheckBox2->isChecked());
    QCOMPARE(w.form->minimumWidth(), 550);
  }

  void Drops_data() {
    QTest::addColumn<bool>("lower");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QString>("field_text");
    QTest::addColumn<int>("messages");
    QTest::newRow("first of three, disabled field")
        << true << "a.csv" << QList<Answer>{} << "a.csv" << 0;
    QTest::newRow("upper group") << false << "a.csv" << QList<Answer>{} << "a.csv" << 0;
    QTest::newRow("export on the upper group")
        << false << "My Library.bib" << QList<Answer>{} << "My Library.bib" << 0;
    QTest::newRow("folder, OK") << true << "sub" << QList<Answer>{Answer::kOk} << "sub" << 1;
    QTest::newRow("folder, Cancel keeps the field")
        << true << "sub" << QList<Answer>{Answer::kCancel} << "" << 1;
  }
  void Drops() {
    QFETCH(bool, lower);
    QFETCH(QString, first);
    QFETCH(QList<Answer>, answers);
    QFETCH(QString, field_text);
    QFETCH(int, messages);
    Window w;
    w.form->show();
    w.folder.Write("a.csv", "");
    w.folder.Write("b.csv", "");
    w.folder.Write("My Library.bib", "");
    std::filesystem::create_directory(w.folder.File("sub"));
    const auto path = [&](const QString& name) {
      return QString::fromStdString(w.folder.path()) + "/" + name;
    };
    w.dialogs.answers.assign(answers.begin(), answers.end());
    refdesk::controls::THisComboBox* field = lower ? w.form->HisComboBox3 : w.form->HisComboBox1;
    field->setEditText("");
    w.Drop(lower ? w.form->GroupBox2 : w.form->GroupBox1,
           {QUrl::fromLocalFile(path(first)), QUrl::fromLocalFile(path("b.csv")),
            QUrl::fromLocalFile(path("a.csv"))});
    QCOMPARE(field->currentText(), field_text.isEmpty() ? QString() : path(field_text));
    QCOMPARE(field->toolTip(), field->currentText());
    QCOMPARE(static_cast<int>(w.dialogs.shown.size()), messages);
    if (messages > 0) {
      QCOMPARE(QString::fromStdString(w.dialogs.shown[0].text),
               "ファイルが見つかりません\r\n" + path("sub"));
      QCOMPARE(w.dialogs.shown[0].caption, std::string("refdesk"));
    }
    QCOMPARE(field->count(), 0);  // a dropped name is not recorded
  }

  void Browse_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("filter");
    // Workbooks stay first; a reference manager's exports come before all
    // files.
    const QString upper =
        "Microsoft Excelﾌｧｲﾙ (*.xlsx;*.xls)|*.XLSX;*.XLS|"
        "文献管理ｿﾌﾄのﾌｧｲﾙ (*.bib;*.ris;*.json)|*.BIB;*.RIS;*.JSON|すべてのﾌｧｲﾙ (*.*)|*.*";
    QTest::newRow("workbook") << "Button1" << false << upper;
    QTest::newRow("cancelled keeps the field") << "Button1" << true << upper;
    QTest::newRow("output with ext")
        << "Button5" << false << "出力形式のファイル (*.bib)|*.bib|すべてのﾌｧｲﾙ (*.*)|*.*";
    QTest::newRow("output without ext")
        << "Button5:plain" << false << "出力形式のファイル (*.txt)|*.txt|すべてのﾌｧｲﾙ (*.*)|*.*";
  }
  void Browse() {
    QFETCH(QString, button);
    QFETCH(bool, cancel);
    QFETCH(QString, filter);
    Window w;
    if (button.endsWith(":plain")) w.form->ComboBox2->setCurrentIndex(1);
    if (!cancel) w.dialogs.browse_result = "/chosen/名前.xls";
    QWidget* target = button.startsWith("Button1") ? static_cast<QWidget*>(w.form->HisComboBox1)
                                                   : w.form->HisComboBox4;
    auto* field = static_cast<QComboBox*>(target);
    field->setEditText("/before");
    target->setEnabled(true);
    (button.startsWith("Button1") ? w.form->Button1 : w.form->Button5)->setEnabled(true);
    (button.startsWith("Button1") ? w.form->Button1 : w.form->Button5)->click();
    QCOMPARE(QString::fromStdString(w.dialogs.browsed.at(0).filter), filter);
    QCOMPARE(field->currentText(), cancel ? QString("/before") : QString("/chosen/名前.xls"));
  }

  void MessagesOfButtons() {
    Window w("", false);
    w.form->Button5->setEnabled(true);
    w.form->Button5->click();
    w.form->HisComboBox1->setEditText("/no/such.xls");
    w.form->Button7->click();
    QCOMPARE(w.dialogs.shown.size(), size_t{2});
    QCOMPARE(w.dialogs.shown[0].text, std::string("変換方式ファイルが見つかりません"));
    QCOMPARE(w.dialogs.shown[0].caption, std::string("REFDESK"));
    QCOMPARE(w.dialogs.shown[1].text, std::string("/no/such.xlsが見つかりません"));
    QCOMPARE(w.dialogs.shown[1].caption, std::string("refdesk"));
    QVERIFY(w.dialogs.shown[1].icon == refdesk::MessageIcon::kExclamation);
    QVERIFY(w.dialogs.browsed.empty());
  }

  // What the status bar shows as the focus moves: one window, steps in
  // order, since a field's hint shows only when the focus reaches or
  // leaves a field from within the window.
  void FocusShowsFieldHints() {
    Window w("[General]\r\nDirect=0\r\nSameName2=0\r\nSameName3=0\r\n");
    TSDIAppForm& f = *w.form;
    f.show();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    f.SetFieldText(refdesk::HistoryField::kSourceTable, "/論文/文献.csv");
    f.SetFieldText(refdesk::HistoryField::kBibliography, "/論文/文献.txt");
    const struct {
      const char* what;
      std::function<void()> act;
      QString status;
    } steps[] = {
        {"to a field from a button",
         [&] {
           f.Button4->setFocus(Qt::TabFocusReason);
           f.HisComboBox3->setFocus(Qt::TabFocusReason);
         },
         "/論文/文献.csv"},
        {"from a field to another", [&] { f.HisComboBox4->setFocus(Qt::TabFocusReason); },
         "/論文/文献.txt"},
        {"from a field to a check box", [&] { f.CheckBox5->setFocus(Qt::TabFocusReason); }, ""},
        {"a result stays among buttons",
         [&] {
           f.SetStatusText("結果");
           f.Button6->setFocus(Qt::TabFocusReason);
         },
         "結果"},
        {"focus from nowhere leaves it",
         [&] {
           f.Button6->clearFocus();
           f.HisComboBox3->setFocus(Qt::OtherFocusReason);
         },
         "結果"},
    };
    for (const auto& step : steps) {
      step.act();
      const QString shown = f.statusBar()->currentMessage();
      QVERIFY2(shown == step.status, qPrintable(QString("%1: %2").arg(step.what, shown)));
    }
  }

  void MenuCommands() {
    Window w;
    w.form->HelpContents1->trigger();
    w.form->Action1->trigger();
    w.form->HelpAbout1->trigger();
    QCOMPARE(w.shell.opened.at(0), w.folder.File("refdesk-help.html"));
    QCOMPARE(w.shell.opened.size(), size_t{2});
    QCOMPARE(w.dialogs.about_shown, 1);
    QCOMPARE(w.form->FileExit1->statusTip(), QString("アプリケーション終了"));
    QCOMPARE(w.form->HelpAbout1->statusTip(), QString("バージョンなど固有の情報を表示"));
    QCOMPARE(w.form->HelpContents1->statusTip(), QString("ヘルプの目次"));
  }

  void ExitWritesSettingsAndHistories() {
    Window w("[General]\r\nFormat=-1\r\n[HisComboBox3]\r\nx=/old.csv\r\n");
    w.form->CheckBox6->setChecked(true);
    w.form->HisComboBox3->setEditText("/new.csv");
    w.form->HisComboBox3->AddHistory();
    w.form->FileExit1->trigger();
    QVERIFY(!w.form->isVisible());
    w.form.reset();
    QCOMPARE(
        QString::fromStdString(w.folder.Read("refdesk.ini")),
        QString(
            "[General]\r\nFormat=-1\r\nSameName1=0\r\nDirect=1\r\nOverWrite1=0\r\nSameName2=0\r\n"
            "SameName3=1\r\nOverWrite2=1\r\nAfterOpen=1\r\nErrorLog=1\r\nTabdumpVisible=1\r\n"
            "FileType=0\r\nFormatName=\r\nFileTypeName=html\r\n[HisComboBox3]\r\nHisComboBox30=/"
            "new.csv\r\nHisComboBox31=/"
            "old.csv\r\n"));
  }

  // The style and file type are found again by name after a style of the
  // user's own has moved them in the list; older settings keep the index.
  void RemembersStyleByName_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("file_type");
    QTest::newRow("by name") << "Format=0\r\nFormatName=c-style\r\nFileType=0\r\nFileTypeName=plain"
                             << "c-style"
                             << "plain";
    QTest::newRow("old settings") << "Format=1\r\nFileType=1"
                                  << "b-style"
                                  << "plain";
    QTest::newRow("name gone") << "Format=1\r\nFormatName=removed"
                               << "b-style"
                               << "html";
  }
  void RemembersStyleByName() {
    QFETCH(QString, ini);
    QFETCH(QString, style);
    QFETCH(QString, file_type);
    Window w("[General]\r\n" + ini.toStdString() + "\r\n");
    QCOMPARE(w.form->ComboBox1->currentText(), style);
    QCOMPARE(w.form->ComboBox2->currentText(), file_type);
  }

  // A greyed-out output field shows the name a run will write, and follows
  // the workbook and the file type.
  void DerivedOutputNamesFollow() {
    Window w;
    w.form->HisComboBox1->setEditText("/d/bunken.xls");
    QCOMPARE(w.form->HisComboBox4->currentText(), QString("/d/bunken.bib"));
    w.form->ComboBox2->setCurrentIndex(1);
    QCOMPARE(w.form->HisComboBox4->currentText(), QString("/d/bunken.txt"));
    QCOMPARE(w.form->HisComboBox4->toolTip(), QString("/d/bunken.txt"));
    w.form->CheckBox2->click();  // two-step: the list follows the lower source
    w.form->HisComboBox3->setEditText("/t/table.csv");
    QCOMPARE(w.form->HisComboBox4->currentText(), QString("/t/table.txt"));
    w.form->CheckBox1->click();
    QCOMPARE(w.form->HisComboBox2->currentText(), QString("/d/bunken.csv"));
  }

  // Each style's first comment line is its tooltip in the list.
  void StyleTooltips() {
    Window w;
    w.folder.Write(
        "d-style.ini",
        testing_support::Sjis("; 日本心理学会に倣う著者・年方式\r\n; second\r\n[General]\r\n"));
    w.form.reset();
    w.form = std::make_unique<TSDIAppForm>(
        refdesk::FormServices{w.dialogs, w.shell, w.runner, w.folder.File("refdesk")});
    QCOMPARE(w.form->ComboBox1->itemData(3, Qt::ToolTipRole).toString(),
             QString("日本心理学会に倣う著者・年方式"));
    QCOMPARE(w.form->ComboBox1->itemData(0, Qt::ToolTipRole).toString(), QString());
  }

  // Qt's own texts (standard buttons, file dialogs) speak Japanese too.
  void QtSpeaksJapanese() {
    QVERIFY(refdesk::InstallQtTranslations(*QCoreApplication::instance()));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("はい(&Y)"));
    QCOMPARE(refdesk::TAboutBox().windowTitle(), QString("バージョン情報"));
  }

  void StartsWithNewestHistoryEntry() {
    Window w(
        "[General]\r\nSameName3=0\r\n"
        "[HisComboBox4]\r\nHisComboBox40=/newest.bib\r\nHisComboBox41=/older.bib\r\n");
    QCOMPARE(w.form->HisComboBox4->currentText(), QString("/newest.bib"));
    QCOMPARE(w.form->HisComboBox4->toolTip(), QString("/newest.bib"));
    QCOMPARE(w.form->HisComboBox1->currentText(), QString());
  }

  void DropDownWidensForScrollBar() {
    Window w;
    refdesk::controls::THisComboBox* field = w.form->HisComboBox1;
    for (int i = 0; i < 8; ++i) field->addItem("/same/width");
    w.form->HCDropDown(field);
    const int eight = field->view()->minimumWidth();
    field->addItem("/same/width");
    w.form->HCDropDown(field);
    QCOMPARE(field->view()->minimumWidth() - eight,
             field->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    QCOMPARE(eight, field->fontMetrics().horizontalAdvance("/same/width") + 6);
  }

  void ConvertButtonRecordsHistories() {
    Window w;
    w.folder.Write("src.csv", "*");
    w.form->CheckBox2->click();  // two-step mode
    w.form->HisComboBox3->setEditText(QString::fromStdString(w.folder.File("src.csv")));
    w.form->Button6->click();
    QCOMPARE(w.form->statusBar()->currentMessage(), QString("refmillの実行結果：成功"));
    QCOMPARE(w.form->HisComboBox3->itemText(0), QString::fromStdString(w.folder.File("src.csv")));
    QCOMPARE(w.form->HisComboBox4->itemText(0), QString::fromStdString(w.folder.File("src.bib")));
    QCOMPARE(w.runner.requests.at(0).arguments.at(1), w.folder.File("html.trl"));
    QCOMPARE(w.runner.requests.at(0).arguments.at(2), w.folder.File("a-style.ini"));
  }

  // Closing during a run asks; Yes closes once the run has ended, No keeps
  // the window open. Either way the run finishes and records its files.
  void CloseWhileRunning_data() {
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("yes") << Answer::kYes << true;
    QTest::newRow("no") << Answer::kNo << false;
  }
  void CloseWhileRunning() {
    QFETCH(Answer, answer);
    QFETCH(bool, closed);
    Window w;
    w.form->show();
    w.folder.Write("src.csv", "*");
    w.form->CheckBox2->click();
    w.form->HisComboBox3->setEditText(QString::fromStdString(w.folder.File("src.csv")));
    w.dialogs.answers.push_back(answer);
    bool visible_during_run = false;
    w.runner.effect = [&](const refdesk::ProcessRequest&) {
      w.form->close();
      visible_during_run = w.form->isVisible();
    };
    w.form->Button6->click();
    QTest::qWait(50);
    QVERIFY(visible_during_run);
    QCOMPARE(w.dialogs.shown.at(0).text,
             std::string("変換ツールの実行中です。実行が終わったら終了しますか？"));
    QCOMPARE(w.form->isVisible(), !closed);
    QCOMPARE(w.form->HisComboBox4->count(), 1);
    QCOMPARE(w.folder.Read("refdesk.ini").empty(), !closed);
  }
};

int RunSdiAppFormTest(int argc, char** argv) {
  SdiAppFormTest test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace refdesk_test

#include "sdi_app_form_test.moc"
