#include "refdesk/convert_flow.h"

#include <chrono>
#include <optional>
#include <random>

#include "platform/files.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"
#include "refdesk/temp_folder.h"

namespace refdesk {
namespace {

inline constexpr unsigned kFirstTempNumber = 100;
inline constexpr unsigned kTempNumbers = 900;

std::string ToolPath(const std::string& program_folder, std::string_view tool) {
  return program_folder + std::string(tool);
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string FullPathUnlessBlank(const std::string& text) {
  return IsBlank(text) ? std::string() : platform::FullPath(text);
}

// A fresh number for every direct run, as the tools' users expect temporary
// names to vary between runs.
unsigned DrawTempNumber() {
  std::minstd_rand generator(
      static_cast<unsigned>(std::chrono::system_clock::now().time_since_epoch().count()));
  return kFirstTempNumber + static_cast<unsigned>(generator()) % kTempNumbers;
}

// The temporary table of one direct run, in a folder of its own in the
// system's temporary folder: never in a folder of the user's, never on a
// name another program (or user) could have prepared, and removed with its
// folder whatever happens.
class TempTable {
 public:
  TempTable() : folder_(MakePrivateFolder(names::kTempFolderPattern)) {
    if (folder_.empty()) return;
    path_ = folder_ + platform::kPathSeparator + std::string(names::kTempPrefix) +
            std::to_string(DrawTempNumber()) + std::string(names::kTempSuffix);
  }
  ~TempTable() { Remove(); }
  TempTable(const TempTable&) = delete;
  TempTable& operator=(const TempTable&) = delete;

  // Empty when no folder could be made.
  const std::string& path() const { return path_; }

  // Removes the table and its folder. False only when a table was written
  // and cannot be removed; a table the tool never wrote is no failure.
  bool Remove() {
    if (folder_.empty()) return true;
    const bool table_left = platform::FileExists(path_) && !platform::RemoveFile(path_);
    if (!table_left) {
      RemoveEmptyFolder(folder_);
      folder_.clear();
    }
    return !table_left;
  }

 private:
  std::string folder_;
  std::string path_;
};

}  // namespace

ProcessRequest RefmillRequest(const std::string& program_folder, bool error_log,
                              const std::string& file_type_path, const std::string& style_path,
                              const std::string& source, const std::string& destination) {
  const std::string_view switch_word = error_log ? names::kRefmillLogSwitch : names::kRefmillSwitch;
  return ProcessRequest{ToolPath(program_folder, names::kRefmillProgram),
                        {std::string(switch_word), file_type_path, style_path, source, destination},
                        program_folder};
}

std::string TableDestination(const FormSnapshot& form) {
  if (!form.same_name1) return FullPathUnlessBlank(form.table);
  const std::string workbook = FullPathUnlessBlank(form.workbook);
  return workbook.empty() ? workbook : ReplaceExtension(workbook, names::kTableExtension);
}

std::string BibliographySource(const FormSnapshot& form) {
  if (form.direct) return FullPathUnlessBlank(form.workbook);
  return FullPathUnlessBlank(form.same_name2 ? form.table : form.source_table);
}

std::string BibliographyDestination(const FormSnapshot& form, const std::string& extension) {
  if (!form.same_name3) return FullPathUnlessBlank(form.bibliography);
  const std::string source = BibliographySource(form);
  return source.empty() ? source : ReplaceExtension(source, extension);
}

std::optional<int> ConvertRunner::StartAndWait(const ProcessRequest& request, RunButton button) {
  std::unique_ptr<RunningProcess> process = runner_.Start(request);
  if (process == nullptr) return std::nullopt;
  view_.SetButtonEnabled(button, false);
  const int status = process->Wait();
  // Direct mode keeps Button3 disabled: only Button6 may start a run then.
  if (button == RunButton::kBibliography || !view_.Read().direct) {
    view_.SetButtonEnabled(button, true);
  }
  return status;
}

int ConvertRunner::tabdumpRun(const std::string& source, const std::string& destination,
                              bool utf8) {
  const TableConverter& converter = TableConverterFor(source);
  if (!platform::FileExists(source)) {
    dialogs_.Show(MakeMessage(converter.source_missing, source));
    return kResultNotStarted;
  }
  const ProcessRequest request =
      TableRequest(view_.Read().program_folder, source, destination, utf8);
  const std::optional<int> status = StartAndWait(request, RunButton::kTable);
  if (!status && !converter.not_started.text.empty()) {
    dialogs_.Show(MakeMessage(converter.not_started, request.program));
  }
  return status.value_or(kResultNotStarted);
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
  return StartAndWait(RefmillRequest(form.program_folder, form.error_log, file_type, style, source,
                                     destination),
                      RunButton::kBibliography)
      .value_or(kResultNotStarted);
}

bool ConvertRunner::MayOverwrite(const std::string& path) {
  if (!platform::FileExists(path)) return true;
  return dialogs_.Show(MakeMessage(msg::kOverwriteQuestion, path)) == Answer::kYes;
}

bool ConvertRunner::Refused(const std::string& source, const std::string& destination,
                            const std::vector<RoledPath>& inputs) {
  if (source.empty()) {
    dialogs_.Show(MakeMessage(msg::kNoSource));
    return true;
  }
  if (destination.empty()) {
    dialogs_.Show(MakeMessage(msg::kNoDestination));
    return true;
  }
  // By identity, so a link or another spelling of the same file is caught;
  // a destination that does not exist yet is no input.
  for (const auto& [role, input] : inputs) {
    if (!platform::SameFile(destination, input)) continue;
    dialogs_.Show(Message{std::string(msg::kAppTitle),
                          std::string(msg::kSameFileHead) + std::string(role) +
                              std::string(msg::kSameFileTail) + std::string(kMessageLineBreak) +
                              PathText(destination)});
    return true;
  }
  return false;
}

std::vector<ConvertRunner::RoledPath> ConvertRunner::SettingsInputs(
    const FormSnapshot& form) const {
  return {{msg::kRoleStyle, StylePath(form.program_folder, form.style_name)},
          {msg::kRoleFileType, FileTypePath(form.program_folder, form.file_type_name)}};
}

void ConvertRunner::Button3Click() {
  const FormSnapshot form = view_.Read();
  const std::string source = FullPathUnlessBlank(form.workbook);
  const std::string destination = TableDestination(form);
  if (Refused(source, destination, {{msg::kRoleSource, source}})) return;
  if (MayOverwrite(destination)) {
    const TableConverter& converter = TableConverterFor(source);
    const int result = tabdumpRun(source, destination);
    view_.SetStatusText(std::string(converter.run_result) + ResultText(converter.tool, result));
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
  const FormSnapshot form = view_.Read();
  const std::string source = BibliographySource(form);
  std::vector<RoledPath> inputs = SettingsInputs(form);
  inputs.emplace_back(msg::kRoleSource, source);
  if (Refused(source, BibliographyDestination(form, extension), inputs)) return;

  view_.SetButtonEnabled(RunButton::kBibliography, false);
  view_.SetFieldText(HistoryField::kWorkbook, source);
  const TableConverter& converter = TableConverterFor(source);
  TempTable temp_table;
  const int table_result =
      temp_table.path().empty() ? kResultNotStarted : tabdumpRun(source, temp_table.path(), true);
  // The user may have changed the window while the table was made; an
  // output field emptied meanwhile keeps the name taken at the click.
  const FormSnapshot after = view_.Read();
  std::string destination = BibliographyDestination(after, extension);
  if (destination.empty()) destination = BibliographyDestination(form, extension);
  std::optional<int> list_result;
  if (table_result != kResultSuccess) {
    // refmill would only report the missing temporary table; say what went
    // wrong with the source instead. A missing source, or a converter that
    // says why it did not start, has had its own message already.
    const bool told = table_result == kResultNotStarted && !temp_table.path().empty() &&
                      (!platform::FileExists(source) || !converter.not_started.text.empty());
    if (!told) {
      dialogs_.Show(Message{std::string(converter.source_missing.caption),
                            std::string(converter.failed_head) +
                                ResultText(converter.tool, table_result) +
                                std::string(msg::kTableStepFailedTail) +
                                std::string(kMessageLineBreak) + PathText(source)});
    }
  } else if (!Refused(source, destination, inputs)) {
    list_result = kResultDeclined;
    if (after.overwrite2 || MayOverwrite(destination)) {
      list_result = refmillRun(temp_table.path(), destination);
      if (view_.Read().after_open) shell_.OpenFile(destination);
    }
  }
  view_.SetStatusText(
      std::string(converter.run_result) + ResultText(converter.tool, table_result) +
      std::string(msg::kDirectListResult) +
      (list_result ? ResultText(Tool::kRefmill, *list_result) : std::string(msg::kNotRun)));
  if (!temp_table.Remove()) dialogs_.Show(MakeMessage(msg::kTempNotDeleted, temp_table.path()));
  view_.SetFieldText(HistoryField::kBibliography, destination);
  view_.AddHistory(HistoryField::kWorkbook);
  view_.AddHistory(HistoryField::kBibliography);
  view_.SetButtonEnabled(RunButton::kBibliography, true);
}

void ConvertRunner::TwoStepFlow(const std::string& extension) {
  const FormSnapshot form = view_.Read();
  const std::string source = BibliographySource(form);
  const std::string destination = BibliographyDestination(form, extension);
  std::vector<RoledPath> inputs = SettingsInputs(form);
  inputs.emplace_back(msg::kRoleSource, source);
  if (Refused(source, destination, inputs)) return;
  if (form.overwrite2 || MayOverwrite(destination)) {
    const int result = refmillRun(source, destination);
    view_.SetStatusText(std::string(msg::kRefmillRunResult) + ResultText(Tool::kRefmill, result));
    if (view_.Read().after_open) shell_.OpenFile(destination);
  }
  view_.SetFieldText(HistoryField::kSourceTable, source);
  view_.SetFieldText(HistoryField::kBibliography, destination);
  view_.AddHistory(HistoryField::kSourceTable);
  view_.AddHistory(HistoryField::kBibliography);
}

}  // namespace refdesk
