// What the two history fields (the Qt one and the Win32 one) share: reading
// and writing a field's entries in its section of the history file, and the
// width its opening list needs. The fields themselves only move entries
// between these and their lists.
#pragma once

#include <string>
#include <vector>

namespace refdesk::controls {

// The values of `section` of the history file at `path`, in file order
// whatever their keys are called, at most `history_max` of them. A missing
// file or section gives none.
std::vector<std::string> ReadHistoryEntries(const std::string& path, const std::string& section,
                                            int history_max);
// Replaces `section` by `entries`, keyed section + index; an empty list
// removes the section. Entries holding a line break are left out. False
// when the file cannot be written.
bool WriteHistoryEntries(const std::string& path, const std::string& section,
                         const std::vector<std::string>& entries);

// The width the opening list of a field needs: the widest entry (0 when
// there are none) plus 6 pixels, plus a scroll bar when there are more
// entries than the list shows at once.
int DroppedWidth(const std::vector<int>& entry_widths, int visible_entries, int scroll_bar_width);

}  // namespace refdesk::controls
