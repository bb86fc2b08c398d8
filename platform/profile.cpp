// The portable profile reader: the file's text parsed by our own rules.
#include "platform/profile.h"

#include "platform/files.h"
#include "platform/profile_rules.h"

namespace platform {
namespace {

using profile_rules::Trim;

// Lines end at CR LF, LF or CR.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace

ProfileFile ProfileFile::FromText(std::string_view text) {
  ProfileFile file;
  Section* current = nullptr;
  for (std::string_view line : Lines(text)) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    if (trimmed.front() == '[') {
      const size_t close = trimmed.find(']');
      const std::string_view name = Trim(
          trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
      file.sections_.push_back(Section{std::string(name), {}});
      current = &file.sections_.back();
      continue;
    }
    const size_t eq = line.find('=');
    // Text before the first section and lines without "=" carry nothing.
    if (current == nullptr || eq == std::string_view::npos) continue;
    current->entries.push_back(
        Entry{std::string(Trim(line.substr(0, eq))), std::string(line.substr(eq + 1))});
  }
  return file;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return ProfileFile();
  return FromText(text);
}

}  // namespace platform
