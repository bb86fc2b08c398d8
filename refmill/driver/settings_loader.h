// Loading a run's settings: the style file, the file-type file (whose
// replacement rules, prefix and suffix are folded into the style's
// templates), and the data files abbrev.dat and roman.dat.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/format/style_settings.h"

namespace refmill::driver {

// Reads both settings files from their texts. Missing sections and keys give
// the defaults; numbers outside their range take the range rule's value.
format::StyleSettings ParseStyleSettings(std::string_view style_text,
                                         std::string_view file_type_text);
// The same from the files; a missing or unreadable file reads as empty.
format::StyleSettings LoadStyleSettings(const std::string& style_path,
                                        const std::string& file_type_path);

// The templates with every replacement rule applied in file order, then the
// prefix and suffix wrapped around each. `rules` are "name=value" lines as
// read from the Replace section ("_" not yet turned into blanks). When the
// prepared templates together would grow past format::kLargestTemplate, the
// category of the template that crosses it goes to `oversized` when given,
// and the templates before it are returned.
std::vector<std::string> PrepareTemplates(const std::vector<std::string>& templates,
                                          const std::vector<std::string>& rules,
                                          std::string_view prefix, std::string_view suffix,
                                          std::optional<std::string>* oversized = nullptr);

// The data files, read from the program's working folder, else from the
// folder of the program itself.
inline constexpr std::string_view kAbbreviationFile = "abbrev.dat";
inline constexpr std::string_view kRomanisationFile = "roman.dat";

// Why loading a data file failed: the file that was missing, unreadable or
// too large, and for a missing one the folders it was looked for in.
struct DataFileError {
  std::string file;
  bool missing = false;
  std::vector<std::string> searched;
  size_t too_large_limit = 0;  // the size limit the file passed, or 0
};

// What the data files hold.
struct DataFiles {
  format::AbbreviationTable abbreviations;
  text::TKana2Romaji romaji;
};

// Loads abbrev.dat (required) and roman.dat (optional: a missing one leaves
// the romanisation table empty), each from the first of `folders` that has
// it (the working folder, then the program folder); empty folder names are
// skipped. abbrev.dat's titles are indexed only when `abbreviating` (asked
// once both files are read) says the run needs them, or when it is empty:
// indexing takes longer than reading, and a style without abbreviations
// never looks a title up.
std::optional<DataFileError> LoadDataFiles(const std::vector<std::string>& folders,
                                           DataFiles& files,
                                           const std::function<bool()>& abbreviating = {});
// The same into the settings.
std::optional<DataFileError> LoadDataFiles(const std::vector<std::string>& folders,
                                           format::StyleSettings& settings);
// Hands what the data files hold to the settings.
void UseDataFiles(DataFiles&& files, format::StyleSettings& settings);

}  // namespace refmill::driver
