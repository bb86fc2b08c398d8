#include "refdesk/controls/his_combo_box.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QtGlobal>
#include <algorithm>

#include "refdesk/controls/history_entries.h"
#include "refdesk/controls/history_file.h"

namespace refdesk::controls {
namespace {

// History entries are file names; the history file holds them as UTF-8,
// the way this system hands file names to programs.
QString FromFileText(const std::string& text) { return QString::fromStdString(text); }
std::string ToFileText(const QString& text) { return text.toStdString(); }

}  // namespace

THisComboBox::THisComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // New names reach the list only through AddHistory, never by pressing Enter.
  setInsertPolicy(QComboBox::NoInsert);
  // A history entry may be offered while typing, but never put in place of
  // what was typed: "bunken.xls" must not become "bunken.xlsx" unasked.
  completer()->setCompletionMode(QCompleter::PopupCompletion);
}

THisComboBox::~THisComboBox() { SaveHistory(); }

std::string THisComboBox::HistoryFile() const {
  const std::string program =
      program_path_.empty()
          ? QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString()
          : program_path_;
  return HistoryFilePath(program);
}

bool THisComboBox::event(QEvent* event) {
  TakeSectionFromName();
  return QComboBox::event(event);
}

void THisComboBox::LoadHistory() {
  TakeSectionFromName();
  const QString text = currentText();
  clear();
  for (const std::string& entry :
       ReadHistoryEntries(HistoryFile(), ToFileText(ini_section_), history_max_)) {
    addItem(FromFileText(entry));
  }
  setCurrentIndex(-1);
  setEditText(text);
}

bool THisComboBox::SaveHistory() {
  TakeSectionFromName();
  const std::string path = HistoryFile();
  std::vector<std::string> entries;
  for (int i = 0; i < count(); ++i) entries.push_back(ToFileText(itemText(i)));
  if (WriteHistoryEntries(path, ToFileText(ini_section_), entries)) return true;
  if (write_failed_) {
    write_failed_(path);
  } else {
    qWarning("%s: cannot write", path.c_str());
  }
  return false;
}

void THisComboBox::AddHistory() {
  const QString text = currentText();
  if (text.isEmpty()) return;
  // Qt::MatchFixedString compares whole texts without regard to case.
  const int found = findText(text, Qt::MatchFixedString);
  insertItem(0, text);
  if (found >= 0) removeItem(found + 1);
  setCurrentIndex(0);
  TrimToHistoryMax();
}

void THisComboBox::TrimToHistoryMax() {
  while (count() > std::max(history_max_, 0)) removeItem(count() - 1);
}

void THisComboBox::showPopup() {
  emit DropDown();
  QComboBox::showPopup();
}

}  // namespace refdesk::controls
