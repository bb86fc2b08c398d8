#include "refdesk/controls/his_combo_box.h"

#include <QCompleter>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QtGlobal>
#include <algorithm>

#include "platform/profile.h"
#include "refdesk/controls/history_file.h"

namespace refdesk::controls {
namespace {

inline constexpr int kDropDownPadding = 6;

// History entries are file names; the history file holds them as UTF-8,
// the way this system hands file names to programs.
QString FromFileText(const std::string& text) { return QString::fromStdString(text); }
std::string ToFileText(const QString& text) { return text.toStdString(); }

}  // namespace

int DroppedWidth(const std::vector<int>& entry_widths, int visible_entries, int scroll_bar_width) {
  const int widest =
      entry_widths.empty() ? 0 : *std::max_element(entry_widths.begin(), entry_widths.end());
  const bool needs_scroll_bar = static_cast<int>(entry_widths.size()) > visible_entries;
  return widest + kDropDownPadding + (needs_scroll_bar ? scroll_bar_width : 0);
}

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
  const platform::ProfileFile file = platform::ProfileFile::Load(HistoryFile());
  const QString text = currentText();
  clear();
  // Values are taken in file order whatever their keys are called; the key
  // names carry nothing.
  const std::vector<std::string> lines = file.ReadSectionValues(ToFileText(ini_section_));
  for (const std::string& line : lines) {
    if (count() >= history_max_) break;
    addItem(FromFileText(line.substr(line.find('=') + 1)));
  }
  setCurrentIndex(-1);
  setEditText(text);
}

bool THisComboBox::SaveHistory() {
  TakeSectionFromName();
  const std::string path = HistoryFile();
  platform::ProfileFile file = platform::ProfileFile::Load(path);
  const std::string section = ToFileText(ini_section_);
  file.EraseSection(section);
  int key = 0;
  for (int i = 0; i < count(); ++i) {
    const std::string entry = ToFileText(itemText(i));
    // A file name may hold a line break, which an ini line cannot; written
    // out, it would cut the file into lines of its own choosing.
    if (entry.find_first_of("\r\n") != std::string::npos) continue;
    file.WriteString(section, section + std::to_string(key++), entry);
  }
  if (file.Save(path)) return true;
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
