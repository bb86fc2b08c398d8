#include "refdesk/controls/history_file.h"

#include "platform/files.h"
#include "platform/folder.h"

namespace refdesk::controls {
namespace {

inline constexpr std::string_view kHistoryExtension = ".INI";
inline constexpr std::string_view kNewFileExtension = ".ini";

}  // namespace

std::string HistoryFilePath(std::string_view program_path) {
  const size_t slash = program_path.rfind(platform::kPathSeparator);
  const std::string folder = slash == std::string_view::npos
                                 ? std::string()
                                 : std::string(program_path.substr(0, slash + 1));
  std::string_view stem = program_path.substr(slash == std::string_view::npos ? 0 : slash + 1);
  const size_t dot = stem.rfind('.');
  if (dot != std::string_view::npos) stem = stem.substr(0, dot);

  const std::string wanted = std::string(stem) + std::string(kHistoryExtension);
  const std::string found = platform::FindFileIgnoringCase(folder, wanted);
  if (platform::FileExists(found)) return found;
  return folder + std::string(stem) + std::string(kNewFileExtension);
}

}  // namespace refdesk::controls
