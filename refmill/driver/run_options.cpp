#include "refmill/driver/run_options.h"

#include "platform/files.h"

namespace refmill::driver {
namespace {

constexpr size_t kPathCount = 4;

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
    // Only the lower-case letters count; everything else is ignored.
    for (char c : args[0]) {
      if (c == 's') options.overwrite = true;
      if (c == 'e') options.log = true;
    }
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
