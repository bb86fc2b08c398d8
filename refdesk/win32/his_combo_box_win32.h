// THisComboBox for the Win32 window: an editable drop-down (a CBS_DROPDOWN
// combo box) whose list is its history, newest first, kept in the section
// named after the field in the history file (history_file.h). The entries
// are read and written by the same code as the Qt field's
// (history_entries.h); the field saves them itself when its window is
// destroyed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace refdesk::win32 {

class THisComboBox {
 public:
  // Makes the combo box as a child of `parent` with the control id `id`;
  // `name` is the field's name and so its section.
  THisComboBox(HWND parent, int id, const char* name, RECT design, HFONT font);
  THisComboBox(const THisComboBox&) = delete;
  THisComboBox& operator=(const THisComboBox&) = delete;

  HWND Handle() const { return handle_; }
  const std::string& Name() const { return name_; }

  int HistoryMax() const { return history_max_; }
  void SetHistoryMax(int history_max) { history_max_ = history_max; }
  // The section the history lives in: the field's name, whatever is set.
  const std::string& IniSection() const { return name_; }

  // The program whose name and folder give the history file.
  void SetProgramPath(const std::string& program_path) { program_path_ = program_path; }
  std::string HistoryFile() const;
  // Called with the history file's path when saving fails.
  void SetWriteFailedHandler(std::function<void(const std::string&)> handler) {
    write_failed_ = std::move(handler);
  }

  // The edit text as a path for the platform layer, and back.
  std::string Text() const;
  void SetText(const std::string& text);
  std::vector<std::string> Entries() const;
  int Count() const;

  void LoadHistory();
  bool SaveHistory();
  // Puts the current text at the top of the list, removing an entry equal
  // to it without regard to case (CB_FINDSTRINGEXACT), selects it and trims
  // the list to HistoryMax. Does nothing for an empty text.
  void AddHistory();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR data);
  void TrimToHistoryMax();

  HWND handle_ = nullptr;
  std::string name_;
  int history_max_ = 10;
  std::string program_path_;
  std::function<void(const std::string&)> write_failed_;
};

}  // namespace refdesk::win32
