#include "refmill/driver/run.h"

#include <future>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>
#include <utility>

#include "platform/clock.h"
#include "platform/collation.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/worker_pool.h"
#include "refmill/driver/conversion.h"
#include "refmill/driver/input_file.h"
#include "refmill/driver/message_output.h"
#include "refmill/driver/messages.h"
#include "refmill/driver/run_options.h"
#include "refmill/driver/settings_loader.h"
#include "refmill/text/sjis.h"

namespace refmill::driver {
namespace {

constexpr std::string_view kLogFile = "error.log";

enum class Answer { kYes, kNo, kNone, kTooLong };

// However many times the question is asked, no more than this is read in
// all: an endless input (a device, a program that answers without end)
// must not keep the run asking, or fill memory with one endless line.
constexpr size_t kAnswerInputLimit = size_t{64} << 10;

// Asks until the answer is a whole line "y" or "n" in either case. The end
// of the console's input counts as "n", so the run cannot wait forever.
Answer AskOverwrite(const RunOptions& options, const Messages& m, MessageOutput& out,
                    std::istream& in) {
  size_t budget = kAnswerInputLimit;
  for (;;) {
    out.Prompt(platform::PathToSjis(options.output_path) + m.overwrite_question);
    std::string answer;
    for (;;) {
      const int c = in.get();
      if (c == std::char_traits<char>::eof()) {
        if (answer.empty()) return Answer::kNone;
        break;
      }
      if (budget-- == 0) return Answer::kTooLong;
      if (c == '\n') break;
      answer.push_back(static_cast<char>(c));
    }
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer == "y" || answer == "Y") return Answer::kYes;
    if (answer == "n" || answer == "N") return Answer::kNo;
  }
}

// The short report of exit code 1. It goes to standard output even when
// the other messages go to error.log, so the caller always sees it.
void Report(const Console& console, const Messages& m, std::ostream& to, std::string_view problem) {
  MessageOutput report(to, console.utf8_terminal, "", true, m);
  report.Line(m.error_prefix + std::string(problem));
  report.Flush();
}

ExitCode Fail(const Console& console, const Messages& m, MessageOutput& out,
              std::string_view problem) {
  out.Flush();
  Report(console, m, console.out, problem);
  return ExitCode::kUnexpected;
}

// The 1-based line on which `pos` lies; CR LF, LF and CR each end a line.
int LineAt(std::string_view text, size_t pos) {
  int line = 1;
  for (size_t i = 0; i < pos; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

class RunSteps {
 public:
  RunSteps(const Console& console, const Messages& m, const RunOptions& options)
      : console_(console),
        m_(m),
        options_(options),
        out_(console.out, console.utf8_terminal,
             options.log ? platform::FullPath(kLogFile) : std::string(), options.NoticesOn(), m) {}

  ExitCode Execute() {
    const ExitCode code = Steps();
    out_.Flush();
    if (!out_.Ok() && code != ExitCode::kUnexpected) return MessagesLost();
    return code;
  }

 private:
  ExitCode MessagesLost() {
    return Fail(console_, m_, out_, m_.write_failed + Shown(platform::FullPath(kLogFile)));
  }

  // Paths arrive in the system's encoding and are opened as they are; in a
  // message they must be Shift-JIS like the words around them.
  static std::string Shown(const std::string& path) { return platform::PathToSjis(path); }

  // The notice when the output is one of the run's own inputs (also through
  // a link or another spelling), which writing the list would destroy.
  std::optional<std::string> OutputIsAnInput() const {
    const std::string folder = platform::CurrentFolder() + platform::kPathSeparator;
    struct Input {
      std::string role;
      std::string path;
    };
    const Input inputs[] = {
        {m_.role_source, options_.source_path},
        {m_.role_style, options_.style_path},
        {m_.role_file_type, options_.file_type_path},
        {std::string(kAbbreviationFile), folder + std::string(kAbbreviationFile)},
        {std::string(kRomanisationFile), folder + std::string(kRomanisationFile)},
    };
    for (const auto& [role, path] : inputs) {
      if (platform::SameFile(options_.output_path, path)) {
        return m_.same_file_a + Shown(options_.output_path) + m_.same_file_b + role + "(" +
               Shown(path) + ")" + m_.same_file_c;
      }
    }
    return std::nullopt;
  }

  ExitCode Steps() {
    if (!options_.count_ok) {
      out_.Notice(m_.usage);
      return ExitCode::kArgumentCount;
    }
    if (!platform::FileExists(options_.source_path)) {
      out_.Notice(m_.source_missing_a + Shown(options_.source_path) + m_.missing_b);
      return ExitCode::kSourceMissing;
    }
    if (!platform::FileExists(options_.style_path)) {
      out_.Notice(m_.style_missing_a + Shown(options_.style_path) + m_.missing_b);
      return ExitCode::kStyleMissing;
    }
    if (const std::optional<std::string> notice = OutputIsAnInput()) {
      out_.Notice(*notice);
      return ExitCode::kOutputNotCreated;
    }
    if (platform::FileExists(options_.output_path) && !options_.overwrite) {
      const Answer answer = AskOverwrite(options_, m_, out_, console_.in);
      if (answer == Answer::kNone || answer == Answer::kTooLong) {
        // The question's line is still open: end it before the notice.
        out_.Line("");
        out_.Notice(answer == Answer::kNone ? m_.answer_missing : m_.answer_too_long);
      }
      if (answer != Answer::kYes) return ExitCode::kOverwriteDeclined;
    }
    out_.Stamp(m_.run_begins + platform::LongTimeNow());
    const ExitCode code = Convert();
    if (code == ExitCode::kWritten || code == ExitCode::kOutputNotCreated) {
      out_.Stamp(m_.run_ends + platform::LongTimeNow());
    }
    return code;
  }

  // A file the user named as Shift-JIS, with a notice when it had to be
  // converted from UTF-8 or UTF-16.
  InputText DecodeUserFile(InputRead& read, const std::string& path) {
    InputText text = DecodeInput(std::move(read), &codes_);
    NoticeConversion(text, path);
    return text;
  }
  void NoticeConversion(const InputText& text, const std::string& path) {
    if (!text.converted()) return;
    const bool utf8 = text.encoding == platform::TextEncoding::kUtf8;
    std::string notice = (utf8 ? m_.converted_from_utf8 : m_.converted_from_utf16) + Shown(path);
    if (text.unmappable > 0) {
      notice += m_.unmappable_a + std::to_string(text.unmappable) + m_.unmappable_b;
    }
    out_.Notice(notice);
  }

  std::string TooLarge(const std::string& path, size_t limit) const {
    return Shown(path) + m_.too_large_a + std::to_string(limit >> 20) + m_.too_large_b;
  }

  // "（探した場所：" + the folders a data file was looked for in + "）".
  std::string SearchedText(const std::vector<std::string>& folders) const {
    std::string text = m_.searched_a;
    for (size_t i = 0; i < folders.size(); ++i) {
      if (i > 0) text += m_.folder_separator;
      text += Shown(folders[i]);
    }
    return text + m_.searched_b;
  }

  // The short report of a broken style, naming the entry's line.
  std::string FaultText(const format::StyleFault& fault) const {
    const std::string where = m_.fault_line_a + std::to_string(fault.line) + m_.fault_line_b;
    if (fault.kind == format::StyleFault::Kind::kTangledTemplate) {
      return m_.tangled_template + where;
    }
    if (fault.kind == format::StyleFault::Kind::kOversizedEntry) {
      return m_.entry_too_large + fault.token + where;
    }
    return m_.style_fault + fault.token + "=" + std::to_string(fault.column) + where;
  }

  // Lets go of a finished conversion and its table on a thread of its own
  // while it lasts.
  class ReleasedMeanwhile {
   public:
    ReleasedMeanwhile(std::optional<Conversion>&& conversion, InputText&& source) {
      auto release = [c = std::move(conversion), s = std::move(source)]() mutable {
        c.reset();
        s = InputText();
      };
      try {
        thread_ = std::thread(std::move(release));
      } catch (...) {
        // What it was given goes with the start that failed, or at the end
        // of this constructor.
      }
    }
    ReleasedMeanwhile(const ReleasedMeanwhile&) = delete;
    ReleasedMeanwhile& operator=(const ReleasedMeanwhile&) = delete;
    ~ReleasedMeanwhile() {
      if (thread_.joinable()) thread_.join();
    }

   private:
    std::thread thread_;
  };

  ExitCode Convert() {
    // abbrev.dat holds tens of thousands of titles: it is read, and indexed
    // when the style abbreviates, while the table is read. The style's word
    // comes through `abbreviating`, which goes before the data files are
    // waited for on every way out (a promise never kept says no), so it is
    // declared after them.
    std::optional<platform::SpreadTask<std::pair<std::optional<DataFileError>, DataFiles>>>
        data_files;
    std::promise<bool> abbreviating;
    data_files.emplace(
        [folders = std::vector<std::string>{platform::CurrentFolder(), console_.program_folder},
         answer = abbreviating.get_future()]() mutable {
          const auto wanted = [&answer] {
            try {
              return answer.get();
            } catch (const std::future_error&) {
              return false;
            }
          };
          DataFiles files;
          std::optional<DataFileError> error = LoadDataFiles(folders, files, wanted);
          return std::pair(std::move(error), std::move(files));
        });
    InputRead style = ReadInputFile(options_.style_path, kSettingsFileLimit);
    InputRead file_type = ReadInputFile(options_.file_type_path, kSettingsFileLimit);
    for (const auto* read : {&style, &file_type}) {
      if (read->status == platform::ReadStatus::kTooLarge) {
        const bool is_style = read == &style;
        return Fail(
            console_, m_, out_,
            TooLarge(is_style ? options_.style_path : options_.file_type_path, kSettingsFileLimit));
      }
    }
    // Nothing after a zero byte is used, so a device that gives only zero
    // bytes is read no further than its first piece. The table is read
    // before anything is converted: the user-defined characters of any
    // Shift-JIS file must be known before codes are handed out.
    // A large table is read in place, and another program may cut it short
    // while it is still being read: the run then ends as any other failure.
    const std::string changed = Shown(options_.source_path) + m_.changed_while_read;
    std::ostringstream lost;
    Report(console_, m_, lost, changed);
    platform::ReportLostMappedFiles(lost.str(), static_cast<int>(ExitCode::kUnexpected));
    InputRead table = ReadInputFile(options_.source_path, kTableLimit, true, kMapTableFrom);
    ReserveOwnCodes({&style, &file_type, &table}, codes_);
    const InputText style_text = DecodeUserFile(style, options_.style_path);
    const InputText file_type_text = DecodeUserFile(file_type, options_.file_type_path);
    // Allowed, but a misspelt file type must not pass unnoticed.
    if (file_type.status == platform::ReadStatus::kUnreadable &&
        !platform::FileExists(options_.file_type_path)) {
      out_.Notice(m_.file_type_missing_a + Shown(options_.file_type_path) + m_.file_type_missing_b);
    }
    format::StyleSettings settings = ParseStyleSettings(style_text.bytes, file_type_text.bytes);
    settings.private_codes = &codes_;
    abbreviating.set_value(settings.abbrev);
    // Made ready while the data files and the table are read and the entries
    // formatted, so the sort does not wait for it.
    std::future<void> sort_ready;
    if (settings.sort == 1 || settings.sort == 2) sort_ready = platform::PrepareJapaneseSortOrder();
    if (settings.oversized_template) {
      return Fail(console_, m_, out_, m_.template_too_large + *settings.oversized_template);
    }
    // The table is decoded and its lines are found while the data files are
    // still being read; its notice comes in its turn.
    const platform::ReadStatus table_status = table.status;
    InputText source;
    std::optional<Conversion> conversion;
    if (table.ok()) {
      source = DecodeInput(std::move(table), &codes_);
      conversion.emplace(source.Text(), settings, out_, source.mapped.get());
    }
    auto [data_file_error, files] = data_files->get();
    UseDataFiles(std::move(files), settings);
    if (const auto& error = data_file_error) {
      if (error->too_large_limit > 0) {
        return Fail(console_, m_, out_, TooLarge(error->file, error->too_large_limit));
      }
      return Fail(console_, m_, out_,
                  error->missing ? m_.abbrev_missing + SearchedText(error->searched)
                                 : error->file + m_.unreadable);
    }
    if (!conversion) {
      const bool too_large = table_status == platform::ReadStatus::kTooLarge;
      out_.Notice(m_.banner + "\r\n" +
                  (too_large ? TooLarge(options_.source_path, kTableLimit)
                             : Shown(options_.source_path) + m_.cannot_open));
      return ExitCode::kSourceUnreadable;
    }
    NoticeConversion(source, options_.source_path);
    out_.SetPrivateCodes(&codes_);
    std::optional<format::StyleFault> fault = conversion->FirstPass();
    // A zero byte ends the table; what follows it is never read, so the
    // user must hear where the table stopped.
    if (const std::optional<size_t> nul = conversion->ZeroByteAt(); !fault && nul) {
      out_.Notice(m_.warning_a + std::to_string(LineAt(source.Text(), *nul)) + m_.warning_b +
                  m_.table_cut_at_nul);
    }
    if (!fault) {
      conversion->Sort();
      fault = conversion->MarkNeighbours();
    }
    if (fault) return Fail(console_, m_, out_, FaultText(*fault));
    // A run whose messages were lost ends with code 1, so it must not leave
    // a new output behind either (nor replace an old one).
    out_.Flush();
    if (!out_.Ok()) return MessagesLost();
    // A device or pipe is written directly and cannot take back what it was
    // given, so there the entries are all formatted before it is opened.
    // Elsewhere they are formatted while the list is written, and a fault
    // leaves only the writer's temporary file, which goes with it.
    const bool direct = platform::AtomicFileWriter::WritesDirectly(options_.output_path);
    if (direct) fault = conversion->FormatMarked();
    if (fault) return Fail(console_, m_, out_, FaultText(*fault));
    platform::AtomicFileWriter output(options_.output_path);
    const auto write = [&output](std::string_view piece) { output.Write(piece); };
    if (direct) {
      conversion->Render(write);
    } else {
      fault = conversion->RenderFormattingMarked(write);
    }
    if (fault) return Fail(console_, m_, out_, FaultText(*fault));
    // What was read in place since may mix the table's old and new bytes.
    if (source.mapped && !source.mapped->Unchanged()) return Fail(console_, m_, out_, changed);
    // Committing mostly waits for the disk: what the conversion holds goes
    // back to the system meanwhile.
    const ReleasedMeanwhile released(std::move(conversion), std::move(source));
    if (!output.Commit()) {
      out_.Notice(m_.banner + "\r\n" + Shown(options_.output_path) + m_.cannot_create);
      return ExitCode::kOutputNotCreated;
    }
    return ExitCode::kWritten;
  }

  const Console& console_;
  const Messages& m_;
  const RunOptions& options_;
  MessageOutput out_;
  // Characters Shift-JIS lacks, given codes while the run's files are read.
  platform::PrivateCodes codes_;
};

}  // namespace

ExitCode Run(const std::vector<std::string>& args, const Console& console) {
  const Messages messages = Messages::Load();
  const RunOptions options = ParseCommandLine(args);
  try {
    return RunSteps(console, messages, options).Execute();
  } catch (const std::bad_alloc&) {
    // The run's own lists are gone by now, so the report can be written.
    MessageOutput report(console.out, console.utf8_terminal, "", true, messages);
    report.Line(messages.error_prefix + messages.out_of_memory);
    report.Flush();
    return ExitCode::kUnexpected;
  }
}

}  // namespace refmill::driver
