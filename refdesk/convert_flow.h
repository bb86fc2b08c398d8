// What the two "変換実行" buttons do: build the tools' command lines, ask
// before overwriting, start tabdump and refmill and wait for them, and report
// the outcome in the status bar and the history fields. Qt-free: the window
// is reached through FormView and the outside world through Dialogs, Shell
// and ProcessRunner, so tests drive every flow with fakes.
#pragma once

#include <optional>
#include <string>

#include "refdesk/dialogs.h"
#include "refdesk/form_view.h"
#include "refdesk/process_runner.h"
#include "refdesk/shell.h"

namespace refdesk {

// Result codes of tabdumpRun and refmillRun besides the tools' own statuses.
inline constexpr int kResultSuccess = 0;
inline constexpr int kResultNotStarted = 55;       // source missing or tool not started
inline constexpr int kResultSettingsMissing = 44;  // style or file-type file missing
inline constexpr int kResultDeclined = 77;         // direct mode: overwrite declined

// "成功" for 0, else "エラー" and the code in decimal (negative with a sign).
std::string ResultText(int code);

// tabdump /s source destination, in the window's working folder.
ProcessRequest TabdumpRequest(const std::string& program_folder, const std::string& source,
                              const std::string& destination);
// refmill /s (or /se) file-type style source destination, in the program
// folder, where refmill finds its data files and writes error.log.
ProcessRequest RefmillRequest(const std::string& program_folder, bool error_log,
                              const std::string& file_type_path, const std::string& style_path,
                              const std::string& source, const std::string& destination);

// A name "temp" + 100..999 + ".%%%" in the working folder that no file has
// yet, trying the numbers in turn from `first` (taken modulo 900); its full
// path, or nothing when all 900 are taken.
std::optional<std::string> FreeTempTablePath(unsigned first);

class ConvertRunner {
 public:
  ConvertRunner(FormView& view, Dialogs& dialogs, Shell& shell, ProcessRunner& runner)
      : view_(view), dialogs_(dialogs), shell_(shell), runner_(runner) {}

  // Upper group: workbook to table.
  void Button3Click();
  // Lower group: table to bibliography, or in direct mode workbook to
  // bibliography through a temporary table.
  void Button6Click();

  // Runs tabdump on two full paths; returns 0, 55 or the tool's status.
  int tabdumpRun(const std::string& source, const std::string& destination);
  // Runs refmill with the window's style, file type and log switch; returns
  // 0, 44, 55 or the tool's status.
  int refmillRun(const std::string& source, const std::string& destination);

 private:
  int StartAndWait(const ProcessRequest& request, RunButton button);
  bool MayOverwrite(const std::string& path);
  void DirectFlow(const std::string& extension);
  void TwoStepFlow(const std::string& extension);

  FormView& view_;
  Dialogs& dialogs_;
  Shell& shell_;
  ProcessRunner& runner_;
};

}  // namespace refdesk
