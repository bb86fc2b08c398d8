// What the two "変換実行" buttons do: build the tools' command lines, ask
// before overwriting, start tabdump and refmill and wait for them, and report
// the outcome in the status bar and the history fields. Qt-free: the window
// is reached through FormView and the outside world through Dialogs, Shell
// and ProcessRunner, so tests drive every flow with fakes.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "refdesk/dialogs.h"
#include "refdesk/form_view.h"
#include "refdesk/process_runner.h"
#include "refdesk/shell.h"
#include "refdesk/table_converter.h"
#include "refdesk/tool_results.h"

namespace refdesk {

// refmill /s (or /se) file-type style source destination, in the program
// folder, where refmill finds its data files and writes error.log.
ProcessRequest RefmillRequest(const std::string& program_folder, bool error_log,
                              const std::string& file_type_path, const std::string& style_path,
                              const std::string& source, const std::string& destination);

// The full path of the table Button3Click writes: beside the workbook with
// ".csv" when CheckBox1 is checked, else the upper output field. Empty when
// the field it comes from is empty, so the window can show exactly what a
// run would write.
std::string TableDestination(const FormSnapshot& form);
// The full path of the table Button6Click converts: the workbook in direct
// mode (through a temporary table), else the upper output field or the
// lower source field as CheckBox4 says. Empty when that field is empty.
std::string BibliographySource(const FormSnapshot& form);
// The full path of the list Button6Click writes for the output extension
// `extension` (with its dot): beside its source when CheckBox5 is checked,
// else the lower output field. Empty when the field it comes from is empty.
std::string BibliographyDestination(const FormSnapshot& form, const std::string& extension);

class ConvertRunner {
 public:
  ConvertRunner(FormView& view, Dialogs& dialogs, Shell& shell, ProcessRunner& runner)
      : view_(view), dialogs_(dialogs), shell_(shell), runner_(runner) {}

  // Upper group: workbook (or reference manager's export) to table.
  void Button3Click();
  // Lower group: table to bibliography, or in direct mode workbook (or
  // export) to bibliography through a temporary table.
  void Button6Click();

  // Runs the table step on two full paths: tabdump, or refimport for a
  // reference manager's export (TableConverterFor). Returns 0, 55 or the
  // tool's status.
  int tabdumpRun(const std::string& source, const std::string& destination, bool utf8 = false);
  // Runs refmill with the window's style, file type and log switch; returns
  // 0, 44, 55 or the tool's status.
  int refmillRun(const std::string& source, const std::string& destination);

 private:
  // An input of a run with its role, as the same-file message names it.
  using RoledPath = std::pair<std::string_view, std::string>;

  // The tool's status, or nothing when it could not be started.
  std::optional<int> StartAndWait(const ProcessRequest& request, RunButton button);
  bool MayOverwrite(const std::string& path);
  // Shows why a run cannot start and returns true when the source or the
  // destination is empty, or the destination is the same file as one of
  // `inputs`.
  bool Refused(const std::string& source, const std::string& destination,
               const std::vector<RoledPath>& inputs);
  // The inputs of a refmill run besides its source: the style and the file type.
  std::vector<RoledPath> SettingsInputs(const FormSnapshot& form) const;
  void DirectFlow(const std::string& extension);
  void TwoStepFlow(const std::string& extension);

  FormView& view_;
  Dialogs& dialogs_;
  Shell& shell_;
  ProcessRunner& runner_;
};

}  // namespace refdesk
