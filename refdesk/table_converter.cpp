#include "refdesk/table_converter.h"

#include "platform/folder.h"
#include "refdesk/messages.h"
#include "refdesk/program_folder.h"

namespace refdesk {
namespace {

inline constexpr TableConverter kTabdump{Tool::kTabdump,
                                         names::kTabdumpProgram,
                                         names::kTabdumpSwitch,
                                         names::kTabdumpUtf8Switch,
                                         msg::kTabdumpRunResult,
                                         msg::kTableStepFailedHead,
                                         msg::kTabdumpSourceMissing,
                                         {}};
inline constexpr TableConverter kRefimport{Tool::kRefimport,
                                           names::kRefimportProgram,
                                           {},
                                           names::kRefimportUtf8Switch,
                                           msg::kRefimportRunResult,
                                           msg::kImportStepFailedHead,
                                           msg::kRefimportSourceMissing,
                                           msg::kRefimportNotStarted};

}  // namespace

bool IsReferenceExport(std::string_view source) {
  const std::string_view extension = PathExtension(source);
  for (const std::string_view known : names::kReferenceExportExtensions) {
    if (platform::SameNameIgnoringCase(extension, known)) return true;
  }
  return false;
}

const TableConverter& TableConverterFor(std::string_view source) {
  return IsReferenceExport(source) ? kRefimport : kTabdump;
}

ProcessRequest TableRequest(const std::string& program_folder, const std::string& source,
                            const std::string& destination, bool utf8) {
  const TableConverter& converter = TableConverterFor(source);
  ProcessRequest request{program_folder + std::string(converter.program), {}, ""};
  const std::string_view switch_word = utf8 ? converter.utf8_switch : converter.switch_word;
  if (!switch_word.empty()) request.arguments.emplace_back(switch_word);
  request.arguments.push_back(source);
  request.arguments.push_back(destination);
  return request;
}

}  // namespace refdesk
