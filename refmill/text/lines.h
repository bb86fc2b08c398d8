// Splitting file contents into lines, as every text file of the converter is
// read: a line ends at CR LF, at LF or at CR; a last line without an ending
// counts; a zero byte ends the text.
#pragma once

#include <string_view>
#include <vector>

namespace refmill::text {

// The lines of `contents` as views into it. A line break at the very end adds
// no empty line; an empty text has no lines.
std::vector<std::string_view> SplitLines(std::string_view contents);

}  // namespace refmill::text
