// TSDIAppForm for Windows: refdesk's main window in plain Win32 and common
// controls, with the same controls, names, positions, anchors, settings and
// handlers as the Qt window. What the convert buttons do is the shared
// ConvertRunner; this class is only the view and its platform services.
// main_win32.cpp creates one; the tests under wine create it with fake
// dialogs and shell and drive it by sending messages to its controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "refdesk/convert_flow.h"
#include "refdesk/dialogs.h"
#include "refdesk/form_view.h"
#include "refdesk/process_runner.h"
#include "refdesk/settings.h"
#include "refdesk/shell.h"
#include "refdesk/win32/his_combo_box_win32.h"

namespace refdesk::win32 {

struct FormServices {
  Dialogs& dialogs;
  Shell& shell;
  ProcessRunner& runner;
  // The running program, whose folder is the program folder.
  std::string program_path;
  // Whether closing the window ends the message loop (the program).
  bool quit_on_close = true;
};

// The window, frame and menu bar included: it may grow wider, never
// narrower, and its height is fixed.
inline constexpr int kFormWidth = 550;
inline constexpr int kFormHeight = 510;
// The client area that 550 x 510 leaves inside the classic frame the design
// was drawn in (4-pixel borders, 19-pixel caption and menu bar). Controls
// anchored right or bottom keep their distance to that edge as drawn, so a
// thicker frame moves them in rather than under the status bar.
inline constexpr int kDesignClientWidth = 542;
inline constexpr int kDesignClientHeight = 464;
inline constexpr int kUpperGroupHeight = 193;
// Entries a history field's list shows before it scrolls.
inline constexpr int kVisibleEntries = 8;
// Posted after a pick from a list, whose new text stands in the field only
// once the pick has been handled.
inline constexpr UINT kFieldPicked = WM_APP + 1;

class TSDIAppForm : public FormView {
 public:
  explicit TSDIAppForm(const FormServices& services);
  ~TSDIAppForm() override;
  TSDIAppForm(const TSDIAppForm&) = delete;
  TSDIAppForm& operator=(const TSDIAppForm&) = delete;

  HWND Handle() const { return window_; }
  const std::string& ProgramFolder() const { return program_folder_; }
  // What the status bar shows, as UTF-8.
  const std::string& StatusText() const { return status_text_; }

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
  void HCDropDown(THisComboBox& field);
  void FormDestroy();

  // FormView, for the convert flows.
  FormSnapshot Read() const override;
  void SetFieldText(HistoryField field, const std::string& text) override;
  void AddHistory(HistoryField field) override;
  void SetStatusText(const std::string& text) override;
  void SetButtonEnabled(RunButton button, bool enabled) override;

  // The controls, under their fixed names.
  HWND GroupBox1 = nullptr;
  HWND GroupBox2 = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Label3 = nullptr;
  HWND Label4 = nullptr;
  HWND Label5 = nullptr;
  HWND Label6 = nullptr;
  HWND Button1 = nullptr;
  HWND Button2 = nullptr;
  HWND Button3 = nullptr;
  HWND Button4 = nullptr;
  HWND Button5 = nullptr;
  HWND Button6 = nullptr;
  HWND Button7 = nullptr;
  HWND CheckBox1 = nullptr;
  HWND CheckBox2 = nullptr;
  HWND CheckBox3 = nullptr;
  HWND CheckBox4 = nullptr;
  HWND CheckBox5 = nullptr;
  HWND CheckBox6 = nullptr;
  HWND CheckBox7 = nullptr;
  HWND CheckBox9 = nullptr;
  std::unique_ptr<THisComboBox> HisComboBox1;
  std::unique_ptr<THisComboBox> HisComboBox2;
  std::unique_ptr<THisComboBox> HisComboBox3;
  std::unique_ptr<THisComboBox> HisComboBox4;
  HWND ComboBox1 = nullptr;
  HWND ComboBox2 = nullptr;
  HWND StatusBar = nullptr;

  // The control named `name` ("Button6", "HisComboBox3"), or null.
  HWND Control(const std::string& name) const;
  // The design rectangle of a control, relative to its group.
  RECT DesignRect(HWND control) const;
  // The tooltip shown over `part` (a control, a field's edit box, the style
  // list's opening list), as UTF-8.
  std::string TipText(HWND part) const;
  // The opening list of the style list, whose entries show their styles'
  // descriptions as tips.
  HWND StyleList() const { return style_list_; }

 private:
  enum class Anchor { kLeftTop, kStretchRight, kMoveRight, kStretchRightMoveDown };
  struct Placed {
    HWND window;
    std::string name;
    RECT design;
    Anchor anchor;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK GroupProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                    UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK StyleListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR data);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(HWND control, int id, int code);
  void OnClose();

  void CreateControls();
  HWND Place(HWND parent, const wchar_t* window_class, std::string_view text, DWORD style,
             const char* name, RECT design, Anchor anchor);
  HWND PlaceButton(HWND parent, std::string_view text, const char* name, RECT design);
  HWND PlaceCheckBox(HWND parent, std::string_view text, const char* name, RECT design);
  HWND PlaceLabel(HWND parent, std::string_view text, const char* name, POINT corner);
  std::unique_ptr<THisComboBox> PlaceHistoryField(HWND parent, const char* name, RECT design);
  void ApplyAnchors();
  void SetFormHeight(int height);
  void SetTabOrder();
  void PlaceStatusBar();
  void WatchPointer(HWND control);
  void FormCreate();

  void DropFiles(HWND group, HDROP drop);
  void BrowseInto(THisComboBox& field, const BrowseRequest& request);
  void ShowTextAsTip(THisComboBox& field);
  void ShowDerivedNames();
  void ShowMenuHint(UINT item, UINT flags);
  // The hint of a control (a history field's text; the others have none)
  // and the one under a point of `window`'s client area, disabled ones
  // included.
  std::string HintOf(HWND control) const;
  HWND ControlAt(HWND window, POINT point) const;
  // The status bar shows a hint only when the current hint changes, so a
  // result stays until the pointer or the focus reaches a field.
  void ShowHint(const std::string& hint);
  void AddTip(HWND part);
  void SetTip(HWND part, const std::wstring& text);
  void ShowStyleTip(int index);
  void PressFocusedButton();
  THisComboBox& Field(HistoryField field) const;
  THisComboBox* FieldByHandle(HWND control) const;
  FormSettings CurrentSettings() const;
  void ApplySettings(const FormSettings& settings, const std::vector<std::string>& styles,
                     const std::vector<std::string>& file_types);
  std::string SelectedName(HWND list) const;
  void RunGuarded(void (ConvertRunner::*flow)());

  Dialogs& dialogs_;
  Shell& shell_;
  std::string program_path_;
  std::string program_folder_;
  bool quit_on_close_;
  ConvertRunner converter_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND style_list_ = nullptr;
  std::vector<std::string> style_descriptions_;
  int style_tip_index_ = -1;
  std::string current_hint_;
  HWND last_focus_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<Placed> placed_;
  int form_height_ = kFormHeight;
  std::string status_text_;
  int active_runs_ = 0;
  bool close_pending_ = false;
  bool settings_saved_ = false;
};

}  // namespace refdesk::win32
