#include "refdesk/program_folder.h"

#include <algorithm>

#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folder.h"
#include "platform/profile.h"
#include "refdesk/messages.h"

namespace refdesk {
namespace {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

// Case-blind order with the bytes as tie-break, so that the list is the same
// on every run whatever order the folder hands out.
bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const auto folded_less = [](char x, char y) {
    return static_cast<unsigned char>(FoldAscii(x)) < static_cast<unsigned char>(FoldAscii(y));
  };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded_less)) {
    return true;
  }
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded_less)) {
    return false;
  }
  return a < b;
}

std::vector<std::string> ListBaseNames(const std::string& folder, std::string_view extension) {
  std::vector<std::string> names;
  for (const std::string& file : platform::ListFileNames(folder)) {
    if (file.size() <= extension.size()) continue;
    const std::string_view tail = std::string_view(file).substr(file.size() - extension.size());
    if (!platform::SameNameIgnoringCase(tail, extension)) continue;
    names.push_back(file.substr(0, file.size() - extension.size()));
  }
  std::sort(names.begin(), names.end(), LessIgnoringCase);
  return names;
}

}  // namespace

std::string ProgramFolder(std::string_view program_path) {
  const size_t slash = program_path.rfind(platform::kPathSeparator);
  if (slash == std::string_view::npos) return std::string(".") + platform::kPathSeparator;
  return std::string(program_path.substr(0, slash + 1));
}

std::vector<std::string> ListStyleNames(const std::string& folder) {
  std::vector<std::string> names = ListBaseNames(folder, names::kStyleExtension);
  std::erase_if(names, [](const std::string& name) {
    return platform::SameNameIgnoringCase(name, names::kNotAStyle1) ||
           platform::SameNameIgnoringCase(name, names::kNotAStyle2);
  });
  return names;
}

std::vector<std::string> ListFileTypeNames(const std::string& folder) {
  return ListBaseNames(folder, names::kFileTypeExtension);
}

std::string StylePath(const std::string& folder, std::string_view name) {
  return platform::FindFileIgnoringCase(folder,
                                        std::string(name) + std::string(names::kStyleExtension));
}

std::string FileTypePath(const std::string& folder, std::string_view name) {
  return platform::FindFileIgnoringCase(folder,
                                        std::string(name) + std::string(names::kFileTypeExtension));
}

std::string StyleDescription(const std::string& style_path) {
  std::string bytes;
  if (!platform::ReadWholeFile(style_path, bytes)) return {};
  // Style files are Shift-JIS, though refmill also takes them saved as UTF-8.
  if (bytes.starts_with(kUtf8Mark)) bytes.erase(0, kUtf8Mark.size());
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line = std::string_view(bytes).substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.starts_with(';')) continue;
    const size_t text = line.find_first_not_of("; \t");
    line = text == std::string_view::npos ? std::string_view() : line.substr(text);
    return platform::LooksLikeUtf8(bytes) ? std::string(line) : platform::SjisToUtf8(line);
  }
  return {};
}

std::optional<std::string> OutputExtension(const std::string& file_type_path) {
  if (!platform::FileExists(file_type_path)) return std::nullopt;
  const platform::ProfileFile file_type = platform::ProfileFile::Load(file_type_path);
  // File-type files are Shift-JIS like everything refmill reads.
  return "." + platform::SjisToUtf8(file_type.ReadString(names::kFileTypeSection, names::kExtKey,
                                                         names::kDefaultExt));
}

std::string_view PathExtension(std::string_view path) {
  const size_t slash = path.rfind(platform::kPathSeparator);
  const size_t dot = path.rfind('.');
  const bool has_extension =
      dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
  return has_extension ? path.substr(dot) : std::string_view();
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  return std::string(path.substr(0, path.size() - PathExtension(path).size())) +
         std::string(extension);
}

std::string SettingsFilePath(const std::string& folder) {
  return platform::FindFileIgnoringCase(folder, names::kSettingsFile);
}

}  // namespace refdesk
