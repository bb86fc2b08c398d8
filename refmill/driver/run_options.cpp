#include "refmill/driver/run_options.h"

#include "platform/encoding.h"
#include "platform/files.h"
#include "refmill/text/sjis.h"

namespace refmill::driver {
namespace {

constexpr size_t kPathCount = 4;

// The switch word comes in the encoding of the command line: Shift-JIS on
// Windows, mostly UTF-8 elsewhere. Each letter must be a character of its
// own there: "テ" is 83 65 in Shift-JIS, whose second byte is "e", while
// in UTF-8 (E3 83 86) its last byte would pair with a letter after it if
// the word were walked as Shift-JIS. No byte of a longer UTF-8 character
// lies below 0x80, so in UTF-8 every ASCII byte is a character of its own.
void ReadSwitchLetters(std::string_view word, RunOptions& options) {
  const bool utf8 = platform::LooksLikeUtf8(word);
  for (size_t pos = 0; pos < word.size();) {
    const size_t len = utf8 ? 1 : text::CharLength(word, pos);
    // Only the lower-case letters count; everything else is ignored.
    if (len == 1 && word[pos] == 's') options.overwrite = true;
    if (len == 1 && word[pos] == 'e') options.log = true;
    pos += len;
  }
}

}  // namespace

bool IsSwitchWord(std::string_view arg) {
  return !arg.empty() && arg.front() == '/' && arg.find('/', 1) == std::string_view::npos;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  const size_t folder_end = path.find_last_of(std::string{platform::kPathSeparator, ':'});
  const size_t dot = path.rfind('.');
  const bool has_extension =
      dot != std::string_view::npos && (folder_end == std::string_view::npos || dot > folder_end);
  std::string out(has_extension ? path.substr(0, dot) : path);
  out.append(extension);
  return out;
}

RunOptions ParseCommandLine(const std::vector<std::string>& args) {
  RunOptions options;
  size_t first_path = 0;
  if (!args.empty() && IsSwitchWord(args[0])) {
    first_path = 1;
    ReadSwitchLetters(args[0], options);
  }
  options.count_ok = args.size() == first_path + kPathCount;
  auto path_arg = [&](size_t i) {
    const size_t index = first_path + i;
    return platform::FullPath(index < args.size() ? args[index] : std::string());
  };
  options.file_type_path = ReplaceExtension(path_arg(0), ".trl");
  options.style_path = ReplaceExtension(path_arg(1), ".ini");
  options.source_path = path_arg(2);
  options.output_path = path_arg(3);
  return options;
}

}  // namespace refmill::driver
