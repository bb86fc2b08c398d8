// The handlers of TSDIAppForm: enabling rules, browse buttons, drops, the
// menu commands, the convert buttons and closing while a tool runs.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include "platform/files.h"
#include "refdesk/controls/his_combo_box.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"
#include "refdesk/qt_text.h"
#include "refdesk/sdi_app_form.h"

namespace refdesk {

using controls::THisComboBox;

void TSDIAppForm::CheckBox1Click() {
  const bool enabled = !CheckBox1->isChecked();
  HisComboBox2->setEnabled(enabled);
  Button2->setEnabled(enabled);
}

void TSDIAppForm::CheckBox4Click() { HisComboBox3->setEnabled(!CheckBox4->isChecked()); }

void TSDIAppForm::CheckBox5Click() {
  const bool enabled = !CheckBox5->isChecked();
  HisComboBox4->setEnabled(enabled);
  Button5->setEnabled(enabled);
}

void TSDIAppForm::CheckBox2Click() {
  // Leaving direct mode enables Button2 whatever CheckBox1 says; only the
  // fields follow their own check boxes again.
  const bool enabled = !CheckBox2->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{Button2, Button3, Button4, CheckBox1, CheckBox3,
                                                    CheckBox4, HisComboBox2, HisComboBox3}) {
    w->setEnabled(enabled);
  }
  if (enabled && CheckBox1->isChecked()) HisComboBox2->setEnabled(false);
  if (enabled && CheckBox4->isChecked()) HisComboBox3->setEnabled(false);
}

void TSDIAppForm::ShowTextAsTip(THisComboBox* field) {
  // The tip is the field's hint too, so pointing at the field shows its
  // whole path in the status bar.
  field->setToolTip(field->currentText());
  field->setStatusTip(field->currentText());
}

void TSDIAppForm::BrowseInto(THisComboBox* field, const BrowseRequest& request) {
  // A dialog closed without a choice leaves the field as it was.
  const std::optional<std::string> chosen = dialogs_.Browse(request);
  if (!chosen) return;
  field->setEditText(ToQt(*chosen));
  ShowTextAsTip(field);
}

void TSDIAppForm::Button1Click() {
  BrowseInto(HisComboBox1,
             BrowseRequest{std::string(msg::kOpenSourceTitle), std::string(msg::kWorkbookFilter),
                           true, FromQt(HisComboBox1->currentText())});
}

void TSDIAppForm::Button2Click() {
  BrowseInto(HisComboBox2,
             BrowseRequest{std::string(msg::kOpenDestinationTitle), std::string(msg::kTableFilter),
                           false, FromQt(HisComboBox2->currentText())});
}

void TSDIAppForm::Button4Click() {
  BrowseInto(HisComboBox3,
             BrowseRequest{std::string(msg::kOpenSourceTitle), std::string(msg::kTableFilter), true,
                           FromQt(HisComboBox3->currentText())});
}

void TSDIAppForm::Button5Click() {
  const std::optional<std::string> extension =
      OutputExtension(FileTypePath(program_folder_, FromQt(SelectedName(ComboBox2))));
  if (!extension) {
    dialogs_.Show(MakeMessage(msg::kBrowseFileTypeMissing));
    return;
  }
  const std::string filter = std::string(msg::kOutputFilterHead) + *extension +
                             std::string(msg::kOutputFilterMiddle) + *extension +
                             std::string(msg::kOutputFilterTail);
  BrowseInto(HisComboBox4, BrowseRequest{std::string(msg::kOpenDestinationTitle), filter, false,
                                         FromQt(HisComboBox4->currentText())});
}

void TSDIAppForm::Button7Click() {
  const std::string path = platform::FullPath(FromQt(HisComboBox1->currentText()));
  if (platform::FileExists(path)) {
    shell_.OpenFile(path);
  } else {
    dialogs_.Show(MakeMessage(msg::kSourceToOpenMissing, path));
  }
}

void TSDIAppForm::HCDropDown(THisComboBox* field) {
  std::vector<int> widths;
  for (int i = 0; i < field->count(); ++i) {
    widths.push_back(field->fontMetrics().horizontalAdvance(field->itemText(i)));
  }
  field->view()->setMinimumWidth(controls::DroppedWidth(
      widths, field->maxVisibleItems(), field->style()->pixelMetric(QStyle::PM_ScrollBarExtent)));
}

bool TSDIAppForm::eventFilter(QObject* watched, QEvent* event) {
  auto* group = qobject_cast<QGroupBox*>(watched);
  if (group == nullptr || (group != GroupBox1 && group != GroupBox2)) {
    return QMainWindow::eventFilter(watched, event);
  }
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (!group->acceptDrops() || !drag->mimeData()->hasUrls()) return false;
    drag->acceptProposedAction();
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (!group->acceptDrops()) return false;
    QStringList names;
    for (const QUrl& url : drop->mimeData()->urls()) {
      if (url.isLocalFile()) names.push_back(url.toLocalFile());
    }
    drop->acceptProposedAction();
    DropFiles(group, names);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TSDIAppForm::DropFiles(QGroupBox* target, const QStringList& names) {
  if (names.isEmpty()) return;
  const QString& name = names.front();
  if (!platform::FileExists(QFile::encodeName(name).toStdString())) {
    // Cancel keeps the field as it was; OK takes the name all the same.
    if (dialogs_.Show(MakeMessage(msg::kDroppedFileMissing, FromQt(name))) == Answer::kCancel) {
      return;
    }
  }
  THisComboBox* field = target == GroupBox1 ? HisComboBox1 : HisComboBox3;
  field->setEditText(name);
  ShowTextAsTip(HisComboBox1);
  ShowTextAsTip(HisComboBox3);
}

void TSDIAppForm::FileExit1Execute() { close(); }

void TSDIAppForm::HelpContents1Execute() {
  shell_.OpenFile(program_folder_ + std::string(names::kHelpFile));
}

void TSDIAppForm::Action1Execute() { shell_.OpenAddress(std::string(names::kHomePage)); }

void TSDIAppForm::HelpAbout1Execute() { dialogs_.ShowAbout(); }

void TSDIAppForm::RunGuarded(void (ConvertRunner::*flow)()) {
  ++active_runs_;
  (converter_.*flow)();
  --active_runs_;
  // The close the user asked for while the tool ran happens now, after the
  // run has cleaned up and recorded its files.
  if (active_runs_ == 0 && close_pending_) QTimer::singleShot(0, this, &QWidget::close);
}

void TSDIAppForm::Button3Click() { RunGuarded(&ConvertRunner::Button3Click); }

void TSDIAppForm::Button6Click() { RunGuarded(&ConvertRunner::Button6Click); }

void TSDIAppForm::closeEvent(QCloseEvent* event) {
  if (active_runs_ > 0) {
    // Closing now would cut off a run that still has to delete its temporary
    // table and record its files, so the window waits for the run.
    close_pending_ = dialogs_.Show(MakeMessage(msg::kCloseWhileRunning)) == Answer::kYes;
    event->ignore();
    return;
  }
  FormDestroy();
  event->accept();
}

QString TSDIAppForm::SelectedName(const QComboBox* list) const {
  const int index = list->currentIndex();
  return index >= 0 ? list->itemText(index) : QString();
}

THisComboBox* TSDIAppForm::Field(HistoryField field) const {
  switch (field) {
    case HistoryField::kWorkbook:
      return HisComboBox1;
    case HistoryField::kTable:
      return HisComboBox2;
    case HistoryField::kSourceTable:
      return HisComboBox3;
    case HistoryField::kBibliography:
      break;
  }
  return HisComboBox4;
}

FormSnapshot TSDIAppForm::Read() const {
  FormSnapshot s;
  s.program_folder = program_folder_;
  s.workbook = FromQt(HisComboBox1->currentText());
  s.table = FromQt(HisComboBox2->currentText());
  s.source_table = FromQt(HisComboBox3->currentText());
  s.bibliography = FromQt(HisComboBox4->currentText());
  s.same_name1 = CheckBox1->isChecked();
  s.direct = CheckBox2->isChecked();
  s.same_name2 = CheckBox4->isChecked();
  s.same_name3 = CheckBox5->isChecked();
  s.overwrite2 = CheckBox6->isChecked();
  s.after_open = CheckBox7->isChecked();
  s.error_log = CheckBox9->isChecked();
  s.style_name = FromQt(SelectedName(ComboBox1));
  s.file_type_name = FromQt(SelectedName(ComboBox2));
  return s;
}

void TSDIAppForm::SetFieldText(HistoryField field, const std::string& text) {
  THisComboBox* box = Field(field);
  box->setEditText(ToQt(text));
  ShowTextAsTip(box);
}

void TSDIAppForm::AddHistory(HistoryField field) { Field(field)->AddHistory(); }

void TSDIAppForm::FocusMoved(QWidget* old, QWidget* now) {
  if (old == nullptr || now == nullptr || !isAncestorOf(old) || !isAncestorOf(now)) return;
  THisComboBox* from = FieldHolding(old);
  THisComboBox* to = FieldHolding(now);
  if (from == to) return;
  statusBar()->showMessage(to != nullptr ? to->statusTip() : QString());
}

THisComboBox* TSDIAppForm::FieldHolding(QWidget* widget) const {
  for (THisComboBox* field : {HisComboBox1, HisComboBox2, HisComboBox3, HisComboBox4}) {
    if (widget == field || field->isAncestorOf(widget)) return field;
  }
  return nullptr;
}

void TSDIAppForm::SetStatusText(const std::string& text) { statusBar()->showMessage(ToQt(text)); }

void TSDIAppForm::SetButtonEnabled(RunButton button, bool enabled) {
  (button == RunButton::kTable ? Button3 : Button6)->setEnabled(enabled);
}

}  // namespace refdesk
