#include "refmill/driver/settings_loader.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/profile.h"
#include "refmill/driver/input_file.h"
#include "refmill/text/lines.h"
#include "refmill/text/name_map.h"
#include "refmill/text/sjis.h"

namespace refmill::driver {
namespace {

using format::StyleSettings;

// The file type's [General] encoding value that makes the list UTF-8.
constexpr std::string_view kUtf8Name = "UTF-8";

int32_t InRange(int32_t value, int32_t low, int32_t high, int32_t otherwise) {
  return value >= low && value <= high ? value : otherwise;
}

void ReadSpecial(const platform::ProfileFile& style, StyleSettings& s) {
  constexpr std::string_view kSpecial = "Special";
  auto text = [&](std::string_view key, std::string& value) {
    value = style.ReadString(kSpecial, key, value);
  };
  auto flag = [&](std::string_view key, bool& value) {
    value = style.ReadBool(kSpecial, key, value);
  };
  // In the order the keys have always been read.
  text("jname_sep", s.jname_sep);
  text("jname_sep2", s.jname_sep2);
  text("ename_sep", s.ename_sep);
  flag("etal", s.etal);
  flag("etal_a", s.etal_a);
  text("jname_etal", s.jname_etal);
  text("ename_etal", s.ename_etal);
  text("translator", s.translator);
  text("j_ed", s.j_ed);
  text("e_ed1", s.e_ed1);
  text("e_ed2", s.e_ed2);
  text("j_sub", s.j_sub);
  text("e_sub", s.e_sub);
  s.e_at = InRange(style.ReadInteger(kSpecial, "e_at", 1), 0, 2, 1);
  text("no", s.no);
  text("samename", s.samename);
  flag("abbrev", s.abbrev);
  flag("sameyear", s.sameyear);
  flag("initial", s.initial);
  s.page = InRange(style.ReadInteger(kSpecial, "page", 0), 0, 2, 0);
  flag("nodouble", s.nodouble);
  flag("serial_comma", s.serial_comma);
  s.e_at_ed = InRange(style.ReadInteger(kSpecial, "e_at_ed", -1), 0, 2, -1);
  flag("initial_hyphen", s.initial_hyphen);
  flag("optional", s.optional);
  s.etal_names = std::max(style.ReadInteger(kSpecial, "etal_names", 1), 1);
  // A limit below 2 would keep no name in front of the gap.
  const int32_t names_max = style.ReadInteger(kSpecial, "names_max", 0);
  s.names_max = names_max >= 2 ? names_max : 0;
  text("names_gap", s.names_gap);
  text("ename_join", s.ename_join);
  text("j_sub_end", s.j_sub_end);
  text("doi", s.doi);
  flag("en_dash", s.en_dash);
  flag("initial_nogap", s.initial_nogap);
  flag("e_at_stop", s.e_at_stop);
  s.sort = InRange(style.ReadInteger("General", "sort", 1), 0, 2, 1);
}

std::pair<std::string_view, std::string_view> SplitAtEquals(std::string_view line) {
  const size_t eq = text::FindByte(line, '=');
  if (eq == text::kNotFound) return {line, {}};
  return {line.substr(0, eq), line.substr(eq + 1)};
}

}  // namespace

std::vector<std::string> PrepareTemplates(const std::vector<std::string>& templates,
                                          const std::vector<std::string>& rules,
                                          std::string_view prefix, std::string_view suffix,
                                          std::optional<std::string>* oversized) {
  // An underscore is the only way to write a blank at either end of a rule,
  // since the reader trims values.
  std::vector<std::string> normalised;
  text::NameMap<size_t> first_by_name;
  for (const std::string& rule : rules) {
    normalised.push_back(text::ReplaceAll(rule, "_", " "));
    first_by_name.try_emplace(std::string(SplitAtEquals(normalised.back()).first),
                              normalised.size() - 1);
  }
  std::vector<std::string> prepared;
  prepared.reserve(templates.size());
  // The cap holds for all templates together: many categories, each a little
  // under it, would add up to gigabytes just as one template past it would.
  size_t total = 0;
  for (const std::string& line : templates) {
    const auto [category, original] = SplitAtEquals(line);
    const size_t frame = category.size() + 1 + prefix.size() + suffix.size();
    const size_t room =
        format::kLargestTemplate - std::min(total + frame, format::kLargestTemplate);
    std::string tmpl(original);
    bool too_large = tmpl.size() > room;
    for (const std::string& rule : normalised) {
      if (too_large) break;
      const std::string_view name = SplitAtEquals(rule).first;
      // The replacement is looked up by the rule's name, so of two rules
      // with the same name the first one's text serves both.
      const std::string_view replacement =
          SplitAtEquals(normalised[first_by_name.find(name)->second]).second;
      if (name.empty() || !text::Contains(tmpl, name)) continue;
      too_large =
          replacement.size() > name.size() && text::ReplacedLength(tmpl, name, replacement) > room;
      if (!too_large) tmpl = text::ReplaceAll(tmpl, name, replacement);
    }
    if (too_large) {
      if (oversized != nullptr) *oversized = std::string(category);
      // The style cannot be used; the rest need not be built.
      return prepared;
    }
    std::string out(category);
    out.append("=").append(prefix).append(tmpl).append(suffix);
    total += out.size();
    prepared.push_back(std::move(out));
  }
  return prepared;
}

StyleSettings LoadStyleSettings(const std::string& style_path, const std::string& file_type_path) {
  InputRead style = ReadInputFile(style_path, kSettingsFileLimit);
  InputRead file_type = ReadInputFile(file_type_path, kSettingsFileLimit);
  return ParseStyleSettings(DecodeInput(std::move(style.raw)).bytes,
                            DecodeInput(std::move(file_type.raw)).bytes);
}

StyleSettings ParseStyleSettings(std::string_view style_text, std::string_view file_type_text) {
  StyleSettings s;
  const platform::ProfileFile style = platform::ProfileFile::FromText(style_text);
  s.input_columns = style.ReadSectionValues("InputFormat");
  std::vector<std::string> templates = style.ReadSectionValues("OutputFormat");
  ReadSpecial(style, s);
  // Marked before the file type's rules run, which must neither make nor
  // break an optional part.
  if (s.optional) {
    for (std::string& line : templates) line = format::MarkOptionalParts(line);
  }

  const platform::ProfileFile file_type = platform::ProfileFile::FromText(file_type_text);
  s.header = file_type.ReadString("General", "header", "");
  s.footer = file_type.ReadString("General", "footer", "");
  s.start = file_type.ReadString("General", "start", "");
  s.end = file_type.ReadString("General", "end", "");
  s.utf8_output =
      text::EqualsIgnoringAsciiCase(file_type.ReadString("General", "encoding", ""), kUtf8Name);
  s.page_dash = file_type.ReadString("General", "en_dash", "");
  s.link = file_type.ReadString("General", "link", "");
  const std::vector<std::string> rules = file_type.ReadSectionValues("Replace");
  s.escapes = format::EscapeRules(file_type.ReadSectionValues("Escape"));

  s.columns = text::ColumnLookup(s.input_columns);
  s.roles = format::PlaceholderColumns::From(s.columns);
  s.templates = format::TemplateTable(
      PrepareTemplates(templates, rules, s.start, s.end, &s.oversized_template), s.columns,
      s.optional);
  std::string order = style.ReadString("General", "order", "");
  if (s.optional) order = format::MarkOptionalParts(order);
  if (!order.empty()) s.order = format::TemplateTable({"order=" + order}, s.columns, s.optional);
  return s;
}

std::optional<DataFileError> LoadDataFiles(const std::vector<std::string>& folders,
                                           StyleSettings& settings) {
  DataFiles files;
  std::optional<DataFileError> error = LoadDataFiles(folders, files);
  UseDataFiles(std::move(files), settings);
  return error;
}

void UseDataFiles(DataFiles&& files, StyleSettings& settings) {
  settings.abbreviations = std::move(files.abbreviations);
  settings.romaji = std::move(files.romaji);
}

std::optional<DataFileError> LoadDataFiles(const std::vector<std::string>& folders,
                                           DataFiles& files,
                                           const std::function<bool()>& abbreviating) {
  std::vector<std::string> searched;
  for (const std::string& folder : folders) {
    if (!folder.empty() && std::find(searched.begin(), searched.end(), folder) == searched.end()) {
      searched.push_back(folder);
    }
  }
  // The first folder holding `file`, or nothing.
  const auto find = [&searched](std::string_view file) -> std::optional<std::string> {
    for (const std::string& folder : searched) {
      std::string path = folder;
      if (path.back() != platform::kPathSeparator) path += platform::kPathSeparator;
      path += file;
      if (platform::FileExists(path)) return path;
    }
    return std::nullopt;
  };
  // Reads data file `name`, found at `path`, into `contents`, or says why
  // it cannot.
  const auto read = [](const std::string& path, std::string_view name, size_t limit,
                       std::string& contents) -> std::optional<DataFileError> {
    switch (platform::ReadFileUpTo(path, contents, limit)) {
      case platform::ReadStatus::kRead:
        break;
      case platform::ReadStatus::kTooLarge:
        return DataFileError{path, false, {}, limit};
      case platform::ReadStatus::kUnreadable:
        return DataFileError{std::string(name), false, {}};
    }
    return std::nullopt;
  };
  std::string abbreviations;
  const std::optional<std::string> abbrev_path = find(kAbbreviationFile);
  if (!abbrev_path) return DataFileError{std::string(kAbbreviationFile), true, searched};
  if (auto error = read(*abbrev_path, kAbbreviationFile, kAbbreviationFileLimit, abbreviations)) {
    return error;
  }
  if (const std::optional<std::string> roman_path = find(kRomanisationFile)) {
    std::string contents;
    if (auto error = read(*roman_path, kRomanisationFile, kSettingsFileLimit, contents)) {
      return error;
    }
    files.romaji = text::TKana2Romaji::FromText(contents);
  }
  if (!abbreviating || abbreviating()) {
    files.abbreviations = format::AbbreviationTable::FromText(std::move(abbreviations));
  }
  return std::nullopt;
}

}  // namespace refmill::driver
