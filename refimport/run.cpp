#include "refimport/run.h"

#include <algorithm>
#include <new>
#include <optional>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/worker_pool.h"
#include "refimport/messages.h"
#include "refimport/source_reader.h"
#include "refimport/table_row.h"
#include "tabdump/csv_writer.h"

namespace refimport {
namespace {

constexpr std::string_view kUtf8Switch = "/u";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// Far beyond any bibliography; stops a device or a huge file from filling
// memory.
constexpr size_t kMaxSourceBytes = size_t{256} << 20;

struct Paths {
  std::string source;
  std::string destination;
  bool utf8 = false;
};

bool IsUtf8Switch(std::string_view word) {
  return word.size() == kUtf8Switch.size() && word[0] == '/' && (word[1] == 'u' || word[1] == 'U');
}

// Two paths, or "/u" and two paths: with exactly two arguments both are
// paths, so an absolute path is never taken for a switch.
std::optional<Paths> ParseArguments(const std::vector<std::string>& args) {
  if (args.size() == 2) return Paths{args[0], args[1]};
  if (args.size() == 3 && IsUtf8Switch(args[0])) return Paths{args[1], args[2], true};
  return std::nullopt;
}

ExitCode Fail(const tabdump::Console& console, ExitCode code, std::string_view message,
              std::string_view path) {
  tabdump::WriteMessage(console.err, std::string(msg::kPrefix) + std::string(message) +
                                         tabdump::PathForMessage(path) + "\n");
  return code;
}

// The source as UTF-8 without a byte-order mark: exports are UTF-8, but a
// hand-kept Japanese .bib may well be Shift-JIS, and Windows tools write
// UTF-16.
std::string AsUtf8(const std::string& bytes) {
  const platform::TextEncoding encoding = platform::GuessTextEncoding(bytes);
  const std::string_view body =
      std::string_view(bytes).substr(platform::ByteOrderMarkLength(bytes, encoding));
  switch (encoding) {
    case platform::TextEncoding::kShiftJis:
      return platform::SjisToUtf8(body);
    case platform::TextEncoding::kUtf16LittleEndian:
      return platform::Utf16ToUtf8(body, false);
    case platform::TextEncoding::kUtf16BigEndian:
      return platform::Utf16ToUtf8(body, true);
    case platform::TextEncoding::kUtf8:
      break;
  }
  return std::string(body);
}

}  // namespace

namespace {

void AppendRow(const Reference& reference, int number, std::string& out) {
  bool first = true;
  for (const std::string& cell : TableRow(reference, number)) {
    if (!first) out += ',';
    out += tabdump::CsvField(cell);
    first = false;
  }
  out += kLineEnd;
}

// The bytes to write for `table` (UTF-8). Shift-JIS carries no state from
// one character to the next, so both cores encode a part of the rows each.
tabdump::EncodedCsv EncodedTable(std::string_view table, size_t rows, bool utf8) {
  if (utf8) return {std::string(kUtf8Mark) + std::string(table), 0};
  const size_t workers = platform::WorkerCount(rows);
  // Each part ends with a line; the last takes what is left.
  std::vector<size_t> ends(workers + 1, 0);
  for (size_t w = 1; w < workers; ++w) {
    const size_t at = table.find(kLineEnd, std::max(ends[w - 1], table.size() * w / workers));
    ends[w] = at == std::string_view::npos ? table.size() : at + kLineEnd.size();
  }
  ends[workers] = table.size();
  std::vector<tabdump::EncodedCsv> parts(workers);
  platform::RunWorkers(workers, [&](size_t w) {
    parts[w] = tabdump::EncodeShiftJis(table.substr(ends[w], ends[w + 1] - ends[w]));
  });
  tabdump::EncodedCsv all;
  for (const tabdump::EncodedCsv& part : parts) {
    all.bytes += part.bytes;
    all.unmappable += part.unmappable;
  }
  return all;
}

}  // namespace

std::string TableText(const std::vector<Reference>& references) {
  std::string out(kTableHeading);
  out += kLineEnd;
  int number = 0;
  for (const Reference& reference : references) AppendRow(reference, ++number, out);
  return out;
}

ExitCode Run(const std::vector<std::string>& args, const tabdump::Console& console) {
  if (tabdump::IsHelpRequest(args)) {
    tabdump::WriteMessage(console.out, msg::kHelp);
    return ExitCode::kWritten;
  }
  const std::optional<Paths> paths = ParseArguments(args);
  if (!paths) return Fail(console, ExitCode::kUsage, msg::kUsage, "");
  if (!platform::FileExists(paths->source)) {
    return Fail(console, ExitCode::kSourceMissing, msg::kSourceMissing, paths->source);
  }
  if (platform::SameFile(paths->source, paths->destination)) {
    return Fail(console, ExitCode::kCannotWrite, msg::kSameFile, paths->destination);
  }
  ReadResult read;
  tabdump::EncodedCsv csv;
  try {
    std::string bytes;
    const platform::ReadStatus status =
        platform::ReadFileUpTo(paths->source, bytes, kMaxSourceBytes);
    if (status == platform::ReadStatus::kTooLarge) {
      return Fail(console, ExitCode::kUnreadable, msg::kTooLarge, paths->source);
    }
    if (status != platform::ReadStatus::kRead) {
      return Fail(console, ExitCode::kUnreadable, msg::kUnknownFormat, paths->source);
    }
    const std::string text = AsUtf8(bytes);
    const std::optional<SourceFormat> format = DetectFormat(text);
    if (!format) return Fail(console, ExitCode::kUnreadable, msg::kUnknownFormat, paths->source);
    // The rows are made while btparse still reads the rest.
    std::string table(kTableHeading);
    table += kLineEnd;
    int number = 0;
    read = ReadSource(text, *format, tabdump::PathForMessage(paths->source),
                      [&](const Reference& reference) { AppendRow(reference, ++number, table); });
    for (const std::string& warning : read.warnings) {
      tabdump::WriteMessage(console.err, std::string(msg::kPrefix) + warning + "\n");
    }
    if (number == 0) {
      return Fail(console, ExitCode::kUnreadable, msg::kNoReferences, paths->source);
    }
    csv = EncodedTable(table, static_cast<size_t>(number), paths->utf8);
  } catch (const std::bad_alloc&) {
    return Fail(console, ExitCode::kUnreadable, msg::kOutOfMemory, paths->source);
  }
  if (!platform::WriteFileAtomically(paths->destination, csv.bytes)) {
    return Fail(console, ExitCode::kCannotWrite, msg::kCannotWrite, paths->destination);
  }
  if (csv.unmappable > 0) {
    tabdump::WriteMessage(console.err, std::string(msg::kPrefix) +
                                           std::string(msg::kUnmappableBefore) +
                                           std::to_string(csv.unmappable) +
                                           std::string(msg::kUnmappableAfter) + "\n");
  }
  return ExitCode::kWritten;
}

}  // namespace refimport
