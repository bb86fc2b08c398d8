// The command line of refmill: an optional switch word, then the file-type,
// style, source and output paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace refmill::driver {

struct RunOptions {
  std::string file_type_path;  // full path, extension ".trl"
  std::string style_path;      // full path, extension ".ini"
  std::string source_path;     // full path, as given
  std::string output_path;     // full path, as given
  bool overwrite = false;      // "s": overwrite without asking, notices off
  bool log = false;            // "e": every message to error.log
  bool count_ok = false;       // four paths, plus the switch word if there is one

  // Notices (usage, file errors, warnings) are written only when the
  // overwrite flag is off or the log flag is on.
  bool NoticesOn() const { return !overwrite || log; }
};

// True when `arg` is a switch word: it begins with "/" and holds no other
// "/", so that an absolute path such as "/home/u/a.trl" is a path.
bool IsSwitchWord(std::string_view arg);

// `path` with its extension (from the last "." after the last folder
// separator) replaced by `extension`, or `extension` appended when it has
// none. `extension` begins with the dot.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// Reads the arguments (without the program name). Paths are made full
// against the working folder even when the count is wrong; they are not used
// then.
RunOptions ParseCommandLine(const std::vector<std::string>& args);

}  // namespace refmill::driver
