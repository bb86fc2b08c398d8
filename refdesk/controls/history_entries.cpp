#include "refdesk/controls/history_entries.h"

#include <algorithm>

#include "platform/profile.h"

namespace refdesk::controls {
namespace {

inline constexpr int kDropDownPadding = 6;

}  // namespace

std::vector<std::string> ReadHistoryEntries(const std::string& path, const std::string& section,
                                            int history_max) {
  const platform::ProfileFile file = platform::ProfileFile::Load(path);
  std::vector<std::string> entries;
  // The key names carry nothing: a hand-written "last=..." loads too.
  for (const std::string& line : file.ReadSectionValues(section)) {
    if (static_cast<int>(entries.size()) >= history_max) break;
    entries.push_back(line.substr(line.find('=') + 1));
  }
  return entries;
}

bool WriteHistoryEntries(const std::string& path, const std::string& section,
                         const std::vector<std::string>& entries) {
  platform::ProfileFile file = platform::ProfileFile::Load(path);
  file.EraseSection(section);
  int key = 0;
  for (const std::string& entry : entries) {
    // A file name may hold a line break, which an ini line cannot; written
    // out, it would cut the file into lines of its own choosing.
    if (entry.find_first_of("\r\n") != std::string::npos) continue;
    file.WriteString(section, section + std::to_string(key++), entry);
  }
  return file.Save(path);
}

int DroppedWidth(const std::vector<int>& entry_widths, int visible_entries, int scroll_bar_width) {
  const int widest =
      entry_widths.empty() ? 0 : *std::max_element(entry_widths.begin(), entry_widths.end());
  const bool needs_scroll_bar = static_cast<int>(entry_widths.size()) > visible_entries;
  return widest + kDropDownPadding + (needs_scroll_bar ? scroll_bar_width : 0);
}

}  // namespace refdesk::controls
