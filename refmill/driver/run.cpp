#include "refmill/driver/run.h"

#include <istream>
#include <ostream>

#include "platform/clock.h"
#include "platform/files.h"
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

enum class Answer { kYes, kNo, kNone };

// Asks until the answer is a whole line "y" or "n" in either case. The end
// of the console's input counts as "n", so the run cannot wait forever.
Answer AskOverwrite(const RunOptions& options, const Messages& m, MessageOutput& out,
                    std::istream& in) {
  for (;;) {
    out.Prompt(options.output_path + m.overwrite_question);
    std::string answer;
    if (!std::getline(in, answer)) return Answer::kNone;
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    if (answer == "y" || answer == "Y") return Answer::kYes;
    if (answer == "n" || answer == "N") return Answer::kNo;
  }
}

// The short report of exit code 1. It goes to standard output even when
// the other messages go to error.log, so the caller always sees it.
ExitCode Fail(const Console& console, const Messages& m, MessageOutput& out,
              std::string_view problem) {
  out.Flush();
  MessageOutput report(console.out, console.utf8_terminal, "", true, m);
  report.Line(m.error_prefix + std::string(problem));
  report.Flush();
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
    return Fail(console_, m_, out_, m_.write_failed + platform::FullPath(kLogFile));
  }

  ExitCode Steps() {
    if (!options_.count_ok) {
      out_.Notice(m_.usage);
      return ExitCode::kArgumentCount;
    }
    if (!platform::FileExists(options_.source_path)) {
      out_.Notice(m_.source_missing_a + options_.source_path + m_.missing_b);
      return ExitCode::kSourceMissing;
    }
    if (!platform::FileExists(options_.style_path)) {
      out_.Notice(m_.style_missing_a + options_.style_path + m_.missing_b);
      return ExitCode::kStyleMissing;
    }
    if (platform::FileExists(options_.output_path) && !options_.overwrite) {
      const Answer answer = AskOverwrite(options_, m_, out_, console_.in);
      if (answer == Answer::kNone) {
        // The question's line is still open: end it before the notice.
        out_.Line("");
        out_.Notice(m_.answer_missing);
      }
      if (answer != Answer::kYes) return ExitCode::kOverwriteDeclined;
    }
    out_.Line(m_.run_begins + platform::LongTimeNow());
    const ExitCode code = Convert();
    if (code == ExitCode::kWritten || code == ExitCode::kOutputNotCreated) {
      out_.Line(m_.run_ends + platform::LongTimeNow());
    }
    return code;
  }

  // Reads a file the user named, with a notice when it had to be converted
  // from UTF-8. A file that cannot be read gives nothing.
  std::optional<InputText> ReadUserFile(const std::string& path) {
    std::optional<InputText> text = ReadInputFile(path);
    if (text && text->converted) {
      std::string notice = m_.converted_from_utf8 + path;
      if (text->unmappable > 0) {
        notice += m_.unmappable_a + std::to_string(text->unmappable) + m_.unmappable_b;
      }
      out_.Notice(notice);
    }
    return text;
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

  ExitCode Convert() {
    const std::optional<InputText> style = ReadUserFile(options_.style_path);
    const std::optional<InputText> file_type = ReadUserFile(options_.file_type_path);
    format::StyleSettings settings =
        ParseStyleSettings(style ? std::string_view(style->bytes) : std::string_view(),
                           file_type ? std::string_view(file_type->bytes) : std::string_view());
    if (settings.oversized_template) {
      return Fail(console_, m_, out_, m_.template_too_large + *settings.oversized_template);
    }
    if (const auto error = LoadDataFiles(platform::CurrentFolder(), settings)) {
      return Fail(console_, m_, out_,
                  error->missing ? m_.abbrev_missing : error->file + m_.unreadable);
    }
    const std::optional<InputText> source = ReadUserFile(options_.source_path);
    if (!source) {
      out_.Notice(m_.banner + "\r\n" + options_.source_path + m_.cannot_open);
      return ExitCode::kSourceUnreadable;
    }
    Conversion conversion(source->bytes, settings, out_);
    std::optional<format::StyleFault> fault = conversion.FirstPass();
    // A zero byte ends the table; what follows it is never read, so the
    // user must hear where the table stopped.
    if (const size_t nul = source->bytes.find('\0'); !fault && nul != std::string::npos) {
      out_.Notice(m_.warning_a + std::to_string(LineAt(source->bytes, nul)) + m_.warning_b +
                  m_.table_cut_at_nul);
    }
    if (!fault) {
      conversion.Sort();
      fault = conversion.NeighbourPass();
    }
    if (fault) return Fail(console_, m_, out_, FaultText(*fault));
    // A run whose messages were lost ends with code 1, so it must not leave
    // a new output behind either (nor replace an old one).
    out_.Flush();
    if (!out_.Ok()) return MessagesLost();
    platform::AtomicFileWriter output(options_.output_path);
    conversion.Render([&output](std::string_view piece) { output.Write(piece); });
    if (!output.Commit()) {
      out_.Notice(m_.banner + "\r\n" + options_.output_path + m_.cannot_create);
      return ExitCode::kOutputNotCreated;
    }
    return ExitCode::kWritten;
  }

  const Console& console_;
  const Messages& m_;
  const RunOptions& options_;
  MessageOutput out_;
};

}  // namespace

ExitCode Run(const std::vector<std::string>& args, const Console& console) {
  const Messages messages = Messages::Load();
  const RunOptions options = ParseCommandLine(args);
  return RunSteps(console, messages, options).Execute();
}

}  // namespace refmill::driver
