#include "tabdump/run.h"

#include <optional>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/shift_jis.h"
#include "tabdump/csv_writer.h"
#include "tabdump/messages.h"
#include "tabdump/workbook_reader.h"

namespace tabdump {
namespace {

// refdesk always passes this switch; tabdump never asks before overwriting,
// so the switch changes nothing.
constexpr std::string_view kSilentSwitch = "/s";
constexpr std::string_view kHelpSwitches[] = {"/?", "-h", "--help"};

struct Paths {
  std::string source;
  std::string destination;
};

// Two paths, or the switch and two paths. A first argument that merely
// begins with "/" is an absolute path, not a switch.
std::optional<Paths> ParseArguments(const std::vector<std::string>& args) {
  if (args.size() == 2) return Paths{args[0], args[1]};
  if (args.size() == 3 && platform::EqualsIgnoringAsciiCase(args[0], kSilentSwitch)) {
    return Paths{args[1], args[2]};
  }
  return std::nullopt;
}

bool IsHelpRequest(const std::vector<std::string>& args) {
  if (args.size() != 1) return false;
  for (const std::string_view help : kHelpSwitches) {
    if (args[0] == help) return true;
  }
  return false;
}

// A path as UTF-8 for a message. Paths come in the system's code page: on
// Windows that is Shift-JIS, which must not go through the messages' UTF-8
// conversion as it stands.
std::string PathForMessage(std::string_view path) {
#ifdef _WIN32
  return platform::SjisToUtf8(path);
#else
  return std::string(path);
#endif
}

ExitCode Fail(const Console& console, ExitCode code, std::string_view message,
              std::string_view path) {
  WriteMessage(console.err, std::string(msg::kPrefix) + std::string(message) +
                                PathForMessage(path) + "\n");
  return code;
}

}  // namespace

void WriteMessage(const MessageStream& to, std::string_view text) {
  to.stream << (to.utf8 ? std::string(text) : platform::Utf8ToSjis(text));
  to.stream.flush();
}

ExitCode Run(const std::vector<std::string>& args, const Console& console) {
  if (IsHelpRequest(args)) {
    WriteMessage(console.out, msg::kHelp);
    return ExitCode::kWritten;
  }
  const std::optional<Paths> paths = ParseArguments(args);
  if (!paths) return Fail(console, ExitCode::kUsage, msg::kUsage, "");
  if (!platform::FileExists(paths->source)) {
    return Fail(console, ExitCode::kSourceMissing, msg::kSourceMissing, paths->source);
  }
  // Writing the table over its own workbook would destroy the workbook.
  if (platform::SameFile(paths->source, paths->destination)) {
    return Fail(console, ExitCode::kCannotWrite, msg::kSameFile, paths->destination);
  }
  const std::optional<Table> table = ReadWorkbook(paths->source);
  if (!table) return Fail(console, ExitCode::kUnreadable, msg::kUnreadable, paths->source);
  const EncodedCsv csv = EncodeShiftJis(CsvText(*table));
  if (!platform::WriteFileAtomically(paths->destination, csv.bytes)) {
    return Fail(console, ExitCode::kCannotWrite, msg::kCannotWrite, paths->destination);
  }
  if (csv.unmappable > 0) {
    WriteMessage(console.err, std::string(msg::kPrefix) + std::string(msg::kUnmappableBefore) +
                                  std::to_string(csv.unmappable) +
                                  std::string(msg::kUnmappableAfter) + "\n");
  }
  return ExitCode::kWritten;
}

}  // namespace tabdump
