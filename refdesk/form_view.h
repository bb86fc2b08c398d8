// What the conversion flows see of the main window: a plain snapshot of its
// fields and check boxes, and the few things they change (field texts,
// histories, the status bar, the two convert buttons). TSDIAppForm
// implements it; tests use a fake window made of plain fields.
#pragma once

#include <string>

namespace refdesk {

// The four history fields, HisComboBox1 to HisComboBox4.
enum class HistoryField { kWorkbook, kTable, kSourceTable, kBibliography };

// The two convert buttons, Button3 (upper group) and Button6 (lower group).
enum class RunButton { kTable, kBibliography };

struct FormSnapshot {
  std::string program_folder;  // ends with a separator
  std::string workbook;        // HisComboBox1
  std::string table;           // HisComboBox2
  std::string source_table;    // HisComboBox3
  std::string bibliography;    // HisComboBox4
  bool same_name1 = false;     // CheckBox1: table beside the workbook
  bool direct = false;         // CheckBox2: direct mode
  bool same_name2 = false;     // CheckBox4: convert the table of HisComboBox2
  bool same_name3 = false;     // CheckBox5: bibliography beside its source
  bool overwrite2 = false;     // CheckBox6: overwrite without asking
  bool after_open = false;     // CheckBox7: open the bibliography afterwards
  bool error_log = false;      // CheckBox9: refmill writes error.log
  std::string style_name;      // selected in ComboBox1, empty when none
  std::string file_type_name;  // selected in ComboBox2, empty when none
};

class FormView {
 public:
  virtual ~FormView() = default;
  // The window's state at this moment; read again after every wait, since
  // the user may change the window while a tool runs.
  virtual FormSnapshot Read() const = 0;
  // Sets a field's text and its tooltip.
  virtual void SetFieldText(HistoryField field, const std::string& text) = 0;
  // Records the field's current text as its newest history entry.
  virtual void AddHistory(HistoryField field) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetButtonEnabled(RunButton button, bool enabled) = 0;
};

}  // namespace refdesk
