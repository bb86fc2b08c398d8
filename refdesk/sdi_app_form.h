// TSDIAppForm: refdesk's main window. The upper group turns a workbook into
// a comma-separated table with tabdump, the lower group turns a table into a
// bibliography with refmill, and in direct mode one click does both. The
// window owns its controls, keeps its settings in refdesk.ini, applies the
// enabling rules, accepts dropped files and hands the convert buttons to
// ConvertRunner. main.cpp creates one; tests create it with fake services.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <string>
#include <vector>

#include "refdesk/convert_flow.h"
#include "refdesk/dialogs.h"
#include "refdesk/form_view.h"
#include "refdesk/process_runner.h"
#include "refdesk/settings.h"
#include "refdesk/shell.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace refdesk::controls {
class THisComboBox;
}

namespace refdesk {

// What the window needs from outside: the services it talks through and the
// path of the running program, whose folder is the program folder.
struct FormServices {
  Dialogs& dialogs;
  Shell& shell;
  ProcessRunner& runner;
  std::string program_path;
};

// The window's size as designed; it may grow wider but never lower or
// narrower, and its height is fixed.
inline constexpr int kFormWidth = 550;
inline constexpr int kFormHeight = 510;

class TSDIAppForm : public QMainWindow, public FormView {
  Q_OBJECT

 public:
  explicit TSDIAppForm(const FormServices& services, QWidget* parent = nullptr);
  // Saves the settings when the window goes away without having been closed.
  ~TSDIAppForm() override;

  // The program folder, with a trailing separator.
  const std::string& ProgramFolder() const { return program_folder_; }

  // Handlers, named after their controls and actions.
  void CheckBox1Click();
  void CheckBox2Click();
  void CheckBox4Click();
  void CheckBox5Click();
  void DisplayXlsConvExecute();
  void FileExit1Execute();
  void HelpContents1Execute();
  void Action1Execute();
  void HelpAbout1Execute();
  void Button1Click();
  void Button2Click();
  void Button4Click();
  void Button5Click();
  void Button7Click();
  void Button3Click();
  void Button6Click();
  void HCDropDown(controls::THisComboBox* field);
  // Writes the settings to refdesk.ini and stops accepting drops.
  void FormDestroy();

  // FormView, for the convert flows.
  FormSnapshot Read() const override;
  void SetFieldText(HistoryField field, const std::string& text) override;
  void AddHistory(HistoryField field) override;
  void SetStatusText(const std::string& text) override;
  void SetButtonEnabled(RunButton button, bool enabled) override;

  // The controls, under their fixed names (also their object names).
  QGroupBox* GroupBox1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QCheckBox* CheckBox7 = nullptr;
  QCheckBox* CheckBox9 = nullptr;
  controls::THisComboBox* HisComboBox1 = nullptr;
  controls::THisComboBox* HisComboBox2 = nullptr;
  controls::THisComboBox* HisComboBox3 = nullptr;
  controls::THisComboBox* HisComboBox4 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QAction* FileExit1 = nullptr;
  QAction* DisplayXlsConv = nullptr;
  QAction* HelpContents1 = nullptr;
  QAction* Action1 = nullptr;
  QAction* HelpAbout1 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // How a control follows the window when it grows wider or loses height.
  enum class Anchor { kLeftTop, kStretchRight, kMoveRight, kStretchRightMoveDown };
  struct Placed {
    QWidget* widget;
    QRect design;
    Anchor anchor;
  };

  void BuildUpperGroup();
  void BuildLowerGroup();
  void BuildMenu();
  void FormCreate();
  template <typename Widget>
  Widget* Place(Widget* widget, const char* name, QRect design, Anchor anchor);
  controls::THisComboBox* PlaceHistoryField(QWidget* parent, const char* name, QRect design);
  void ApplyAnchors();
  void SetHeightFixed(int height);

  void DropFiles(QGroupBox* target, const QStringList& names);
  void BrowseInto(controls::THisComboBox* field, const BrowseRequest& request);
  void ShowTextAsTip(controls::THisComboBox* field);
  // The focus moving by keyboard or mouse from one control of the window to
  // another shows a field's hint as pointing does, and moving on from a
  // field empties the bar; focus coming from elsewhere changes nothing.
  void FocusMoved(QWidget* old, QWidget* now);
  controls::THisComboBox* FieldHolding(QWidget* widget) const;
  controls::THisComboBox* Field(HistoryField field) const;
  FormSettings CurrentSettings() const;
  void ApplySettings(const FormSettings& settings, const std::vector<std::string>& styles,
                     const std::vector<std::string>& file_types);
  // Puts into each field greyed out by its "same folder" box the name a run
  // would write there.
  void ShowDerivedNames();
  QString SelectedName(const QComboBox* list) const;
  void RunGuarded(void (ConvertRunner::*flow)());

  Dialogs& dialogs_;
  Shell& shell_;
  std::string program_path_;
  std::string program_folder_;
  ConvertRunner converter_;
  std::vector<Placed> placed_;
  int active_runs_ = 0;
  bool close_pending_ = false;
  bool settings_saved_ = false;
};

}  // namespace refdesk
