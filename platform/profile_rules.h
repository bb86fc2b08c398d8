// The reading rules every profile reader of ours shares, whichever backend
// parses the file: how numbers, names and values are read.
#pragma once

#include <string>
#include <string_view>

namespace platform::profile_rules {

bool IsBlank(char c);
// Blanks and tabs removed at both ends.
std::string_view Trim(std::string_view s);
// A stored value as a reader returns it: trimmed, one pair of enclosing
// quotes removed, cut to the longest value at a character boundary.
std::string CookValue(std::string_view raw);

}  // namespace platform::profile_rules
