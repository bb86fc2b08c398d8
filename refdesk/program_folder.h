// The files refdesk finds by itself in its program folder (the folder of the
// running refdesk binary): the style and file-type lists, the paths a listed
// name stands for, the output extension a file type asks for, and its own
// settings file. Used by the main window and the conversion flows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace refdesk {

// The folder of `program_path` with a trailing separator; "./" for a bare name.
std::string ProgramFolder(std::string_view program_path);

// Base names of the style files (*.ini, any letter case) in `folder`, sorted
// without regard to case, less "refdesk" and "refmill". Empty for a missing
// folder.
std::vector<std::string> ListStyleNames(const std::string& folder);
// Base names of the file-type files (*.trl, any letter case), sorted alike.
std::vector<std::string> ListFileTypeNames(const std::string& folder);

// The file a listed name stands for: `folder` + name + extension. The
// extension is appended, never put in place of one, so "a.b" names a.b.ini.
// A file whose extension differs only in letter case is found too.
std::string StylePath(const std::string& folder, std::string_view name);
std::string FileTypePath(const std::string& folder, std::string_view name);

// The first comment line of a style file (a line opening with ";"), without
// the ";" and the blanks after it, as UTF-8: what the style list shows as
// the style's tooltip. Empty when the file has none or cannot be read.
std::string StyleDescription(const std::string& style_path);

// "." + the value of "ext" in section "General" of the file-type file ("txt"
// when the key is missing); nothing when the file does not exist.
std::optional<std::string> OutputExtension(const std::string& file_type_path);

// The extension of `path` with its dot: from the last dot after the last
// separator on; empty when there is none.
std::string_view PathExtension(std::string_view path);

// `path` with its extension (from the last dot after the last separator on)
// replaced by `extension`, which begins with a dot; a path without one gets
// `extension` appended.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The settings file refdesk.ini in `folder`, found without regard to case.
std::string SettingsFilePath(const std::string& folder);

}  // namespace refdesk
