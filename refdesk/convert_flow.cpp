#include "refdesk/convert_flow.h"

#include <chrono>
#include <random>

#include "platform/files.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"

namespace refdesk {
namespace {

inline constexpr unsigned kFirstTempNumber = 100;
inline constexpr unsigned kTempNumbers = 900;

std::string ToolPath(const std::string& program_folder, std::string_view tool) {
  return program_folder + std::string(tool);
}

// A fresh starting number for every direct run, as the tools' users expect
// temporary names to vary between runs.
unsigned DrawTempNumber() {
  std::minstd_rand generator(
      static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  return static_cast<unsigned>(generator());
}

}  // namespace

std::string ResultText(int code) {
  if (code == kResultSuccess) return std::string(msg::kSuccess);
  return std::string(msg::kError) + std::to_string(code);
}

ProcessRequest TabdumpRequest(const std::string& program_folder, const std::string& source,
                              const std::string& destination) {
  return ProcessRequest{ToolPath(program_folder, names::kTabdumpProgram),
                        {std::string(names::kTabdumpSwitch), source, destination},
                        ""};
}

ProcessRequest RefmillRequest(const std::string& program_folder, bool error_log,
                              const std::string& file_type_path, const std::string& style_path,
                              const std::string& source, const std::string& destination) {
  const std::string_view switch_word = error_log ? names::kRefmillLogSwitch : names::kRefmillSwitch;
  return ProcessRequest{ToolPath(program_folder, names::kRefmillProgram),
                        {std::string(switch_word), file_type_path, style_path, source, destination},
                        program_folder};
}

std::optional<std::string> FreeTempTablePath(unsigned first) {
  for (unsigned i = 0; i < kTempNumbers; ++i) {
    const unsigned number = kFirstTempNumber + (first + i) % kTempNumbers;
    const std::string path = platform::FullPath(
        std::string(names::kTempPrefix) + std::to_string(number) + std::string(names::kTempSuffix));
    if (!platform::FileExists(path) && !platform::FolderExists(path)) return path;
  }
  return std::nullopt;
}

int ConvertRunner::StartAndWait(const ProcessRequest& request, RunButton button) {
  std::unique_ptr<RunningProcess> process = runner_.Start(request);
  if (process == nullptr) return kResultNotStarted;
  view_.SetButtonEnabled(button, false);
  const int status = process->Wait();
  // Direct mode keeps Button3 disabled: only Button6 may start a run then.
  if (button == RunButton::kBibliography || !view_.Read().direct) {
    view_.SetButtonEnabled(button, true);
  }
  return status;
}

int ConvertRunner::tabdumpRun(const std::string& source, const std::string& destination) {
  if (!platform::FileExists(source)) {
    dialogs_.Show(MakeMessage(msg::kTabdumpSourceMissing, source));
    return kResultNotStarted;
  }
  return StartAndWait(TabdumpRequest(view_.Read().program_folder, source, destination),
                      RunButton::kTable);
}

int ConvertRunner::refmillRun(const std::string& source, const std::string& destination) {
  if (!platform::FileExists(source)) {
    dialogs_.Show(MakeMessage(msg::kRefmillSourceMissing, source));
    return kResultNotStarted;
  }
  const FormSnapshot form = view_.Read();
  const std::string style = StylePath(form.program_folder, form.style_name);
  if (!platform::FileExists(style)) {
    dialogs_.Show(MakeMessage(msg::kStyleMissing, style));
    return kResultSettingsMissing;
  }
  const std::string file_type = FileTypePath(form.program_folder, form.file_type_name);
  if (!platform::FileExists(file_type)) {
    dialogs_.Show(MakeMessage(msg::kFileTypeMissing, file_type));
    return kResultSettingsMissing;
  }
  return StartAndWait(
      RefmillRequest(form.program_folder, form.error_log, file_type, style, source, destination),
      RunButton::kBibliography);
}

bool ConvertRunner::MayOverwrite(const std::string& path) {
  if (!platform::FileExists(path)) return true;
  return dialogs_.Show(MakeMessage(msg::kOverwriteQuestion, path)) == Answer::kYes;
}

void ConvertRunner::Button3Click() {
  const FormSnapshot form = view_.Read();
  const std::string source = platform::FullPath(form.workbook);
  const std::string destination = form.same_name1 ? ReplaceExtension(source, names::kTableExtension)
                                                  : platform::FullPath(form.table);
  if (MayOverwrite(destination)) {
    const int result = tabdumpRun(source, destination);
    view_.SetStatusText(std::string(msg::kTabdumpRunResult) + ResultText(result));
  }
  view_.SetFieldText(HistoryField::kWorkbook, source);
  view_.SetFieldText(HistoryField::kTable, destination);
  view_.AddHistory(HistoryField::kWorkbook);
  view_.AddHistory(HistoryField::kTable);
}

void ConvertRunner::Button6Click() {
  const FormSnapshot form = view_.Read();
  const std::string file_type = FileTypePath(form.program_folder, form.file_type_name);
  const std::optional<std::string> extension = OutputExtension(file_type);
  if (!extension) {
    dialogs_.Show(MakeMessage(msg::kFileFormatMissing, file_type));
    return;
  }
  if (form.direct) {
    DirectFlow(*extension);
  } else {
    TwoStepFlow(*extension);
  }
}

void ConvertRunner::DirectFlow(const std::string& extension) {
  view_.SetButtonEnabled(RunButton::kBibliography, false);
  // Drawn only among names no file has, so the table step can never
  // overwrite a file of the user's, and deleted by its full path, so a change
  // of working folder during the run cannot make us delete another file.
  const std::optional<std::string> temp_table = FreeTempTablePath(DrawTempNumber());
  const std::string source = platform::FullPath(view_.Read().workbook);
  view_.SetFieldText(HistoryField::kWorkbook, source);

  // With every temporary name taken there is no table to convert; the run
  // then reports both steps as not started.
  const int table_result = temp_table ? tabdumpRun(source, *temp_table) : kResultNotStarted;
  const FormSnapshot form = view_.Read();
  const std::string destination =
      form.same_name3 ? ReplaceExtension(platform::FullPath(form.workbook), extension)
                      : platform::FullPath(form.bibliography);
  int list_result = kResultDeclined;
  if (form.overwrite2 || MayOverwrite(destination)) {
    list_result = temp_table ? refmillRun(*temp_table, destination) : kResultNotStarted;
    if (view_.Read().after_open) shell_.OpenFile(destination);
  }
  view_.SetStatusText(std::string(msg::kDirectTableResult) + ResultText(table_result) +
                      std::string(msg::kDirectListResult) + ResultText(list_result));
  if (temp_table && !platform::RemoveFile(*temp_table)) {
    dialogs_.Show(MakeMessage(msg::kTempNotDeleted, *temp_table));
  }
  view_.SetFieldText(HistoryField::kBibliography, destination);
  view_.AddHistory(HistoryField::kWorkbook);
  view_.AddHistory(HistoryField::kBibliography);
  view_.SetButtonEnabled(RunButton::kBibliography, true);
}

void ConvertRunner::TwoStepFlow(const std::string& extension) {
  const FormSnapshot form = view_.Read();
  const std::string source = platform::FullPath(form.same_name2 ? form.table : form.source_table);
  const std::string destination =
      form.same_name3 ? ReplaceExtension(source, extension) : platform::FullPath(form.bibliography);
  if (form.overwrite2 || MayOverwrite(destination)) {
    const int result = refmillRun(source, destination);
    view_.SetStatusText(std::string(msg::kRefmillRunResult) + ResultText(result));
    if (view_.Read().after_open) shell_.OpenFile(destination);
  }
  view_.SetFieldText(HistoryField::kSourceTable, source);
  view_.SetFieldText(HistoryField::kBibliography, destination);
  view_.AddHistory(HistoryField::kSourceTable);
  view_.AddHistory(HistoryField::kBibliography);
}

}  // namespace refdesk
