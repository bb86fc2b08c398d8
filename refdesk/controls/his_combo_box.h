// THisComboBox: an editable file-name field that remembers the texts last
// used in it, newest first, in a section of its own of the history file
// (history_file.h). The main window has four of them; it loads each one's
// history at start-up, adds the names of every conversion, and the field
// saves its history when it is destroyed.
#pragma once

#include <QComboBox>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "refdesk/controls/history_entries.h"

namespace refdesk::controls {

class THisComboBox : public QComboBox {
  Q_OBJECT

 public:
  // Empty on its own; an owner sets the object name and calls LoadHistory.
  explicit THisComboBox(QWidget* parent = nullptr);
  // Saves the history, as a field is expected to keep its entries whenever
  // its window goes away.
  ~THisComboBox() override;

  int HistoryMax() const { return history_max_; }
  void SetHistoryMax(int history_max) { history_max_ = history_max; }
  // The section the history lives in. Whatever is set here, the field uses
  // its own object name before it loads or saves, so no two fields of one
  // window ever share a section.
  QString IniSection() const { return ini_section_; }
  void SetIniSection(const QString& section) { ini_section_ = section; }

  // The program whose name and folder give the history file; the running
  // program unless set.
  void SetProgramPath(const std::string& program_path) { program_path_ = program_path; }
  // The history file as it is found at this moment.
  std::string HistoryFile() const;
  // Called with the history file's path when saving fails; without one the
  // failure goes to the Qt warning log.
  void SetWriteFailedHandler(std::function<void(const std::string&)> handler) {
    write_failed_ = std::move(handler);
  }

  // Replaces the list by the values of the section, in file order, at most
  // HistoryMax of them. The edit text stays. A missing file or section gives
  // an empty list.
  void LoadHistory();
  // Writes the list to the section, replacing it; an empty list removes the
  // section, and entries holding a line break are left out. Returns false
  // (and reports) when the file cannot be written.
  bool SaveHistory();
  // Puts the current text at the top of the list, removing an entry equal to
  // it without regard to case, selects it and trims the list to HistoryMax.
  // Does nothing for an empty text.
  void AddHistory();

  void showPopup() override;

 signals:
  // Sent just before the list opens, so the owner can size it.
  void DropDown();

 protected:
  bool event(QEvent* event) override;

 private:
  void TrimToHistoryMax();
  void TakeSectionFromName() { ini_section_ = objectName(); }

  int history_max_ = 10;
  QString ini_section_;
  std::string program_path_;
  std::function<void(const std::string&)> write_failed_;
};

}  // namespace refdesk::controls
