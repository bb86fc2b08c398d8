#include "tabdump/run.h"

#include <new>
#include <optional>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/shift_jis.h"
#include "tabdump/csv_writer.h"
#include "tabdump/messages.h"
#include "tabdump/workbook_reader.h"

namespace tabdump {
namespace {

// The switch word: "s" is what refdesk always passes (tabdump never asks
// before overwriting, so it changes nothing); "u" writes the table as UTF-8
// with a byte-order mark, keeping characters Shift-JIS lacks.
constexpr std::string_view kSwitchLetters = "su";
constexpr std::string_view kHelpSwitches[] = {"/?", "-h", "--help"};
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Paths {
  std::string source;
  std::string destination;
  bool utf8 = false;
};

// "/" and one or more of the switch letters, either case. A first argument
// that merely begins with "/" is an absolute path, not a switch.
std::optional<std::string> SwitchLetters(std::string_view word) {
  if (word.size() < 2 || word.front() != '/') return std::nullopt;
  std::string letters;
  for (const char c : word.substr(1)) {
    const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (kSwitchLetters.find(lower) == std::string_view::npos) return std::nullopt;
    letters.push_back(lower);
  }
  return letters;
}

// Two paths, or the switch word and two paths.
std::optional<Paths> ParseArguments(const std::vector<std::string>& args) {
  if (args.size() == 2) return Paths{args[0], args[1]};
  if (args.size() != 3) return std::nullopt;
  const std::optional<std::string> letters = SwitchLetters(args[0]);
  if (!letters) return std::nullopt;
  return Paths{args[1], args[2], letters->find('u') != std::string::npos};
}

ExitCode Fail(const Console& console, ExitCode code, std::string_view message,
              std::string_view path) {
  WriteMessage(console.err,
               std::string(msg::kPrefix) + std::string(message) + PathForMessage(path) + "\n");
  return code;
}

std::string_view FailureMessage(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kTooLarge:
      return msg::kTooLarge;
    case ReadFailure::kSharedStringMissing:
      return msg::kSharedStringMissing;
    case ReadFailure::kNoSheetData:
      return msg::kNoSheetData;
    case ReadFailure::kOutsideSheet:
      return msg::kOutsideSheet;
    case ReadFailure::kPartMissing:
      return msg::kPartMissing;
    case ReadFailure::kNone:
    case ReadFailure::kUnreadable:
      break;
  }
  return msg::kUnreadable;
}

}  // namespace

bool IsHelpRequest(const std::vector<std::string>& args) {
  if (args.size() != 1) return false;
  for (const std::string_view help : kHelpSwitches) {
    if (args[0] == help) return true;
  }
  return false;
}

std::string PathForMessage(std::string_view path) {
#ifdef _WIN32
  return platform::SjisToUtf8(path);
#else
  return std::string(path);
#endif
}

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
  ReadResult read;
  EncodedCsv csv;
  try {
    read = ReadWorkbook(paths->source);
    if (read.failure == ReadFailure::kNone) {
      csv = paths->utf8 ? EncodedCsv{std::string(kUtf8Mark) + CsvText(read.table), 0}
                        : EncodeShiftJis(CsvText(read.table));
    }
  } catch (const std::bad_alloc&) {
    // The limits keep a workbook far below what a machine holds, but a
    // machine may have less: that is still this workbook's failure.
    return Fail(console, ExitCode::kUnreadable, msg::kOutOfMemory, paths->source);
  }
  if (read.failure != ReadFailure::kNone) {
    return Fail(console, ExitCode::kUnreadable, FailureMessage(read.failure), paths->source);
  }
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
