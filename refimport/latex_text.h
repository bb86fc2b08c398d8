// BibTeX values are LaTeX: accents as commands, protecting braces, dashes as
// "--". The table wants the characters they stand for.
#pragma once

#include <string>
#include <string_view>

namespace refimport {

// `latex` (UTF-8) as plain text: accent commands ({\'a}, \"{o}, \c c) become
// the accented letter, letter commands (\ss, \o, \ae, \i, \l) theirs,
// escaped specials (\& \% \$ \# \_ \{ \}) the character, "---" and "--"
// an em and en dash, "~" a blank; other commands are dropped with their
// arguments kept, and braces are removed. Never reads past the end of a
// command or value cut short.
std::string LatexToText(std::string_view latex);

}  // namespace refimport
