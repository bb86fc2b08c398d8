#include "refdesk/settings.h"

#include <string>
#include <string_view>

#include "refdesk/program_folder.h"

namespace refdesk {
namespace {

inline constexpr std::string_view kSection = "General";

inline constexpr std::string_view kSameName1 = "SameName1";
inline constexpr std::string_view kDirect = "Direct";
inline constexpr std::string_view kOverWrite1 = "OverWrite1";
inline constexpr std::string_view kSameName2 = "SameName2";
inline constexpr std::string_view kSameName3 = "SameName3";
inline constexpr std::string_view kOverWrite2 = "OverWrite2";
inline constexpr std::string_view kAfterOpen = "AfterOpen";
inline constexpr std::string_view kErrorLog = "ErrorLog";
inline constexpr std::string_view kTabdumpVisible = "TabdumpVisible";
inline constexpr std::string_view kFormat = "Format";
inline constexpr std::string_view kFileType = "FileType";
inline constexpr std::string_view kFormatName = "FormatName";
inline constexpr std::string_view kFileTypeName = "FileTypeName";

void WriteBool(platform::ProfileFile& file, std::string_view key, bool value) {
  file.WriteString(kSection, key, value ? "1" : "0");
}

void WriteInteger(platform::ProfileFile& file, std::string_view key, int32_t value) {
  file.WriteString(kSection, key, std::to_string(value));
}

}  // namespace

FormSettings ReadFormSettings(const platform::ProfileFile& file) {
  const FormSettings d;
  FormSettings s;
  s.same_name1 = file.ReadBool(kSection, kSameName1, d.same_name1);
  s.direct = file.ReadBool(kSection, kDirect, d.direct);
  s.overwrite1 = file.ReadBool(kSection, kOverWrite1, d.overwrite1);
  s.same_name2 = file.ReadBool(kSection, kSameName2, d.same_name2);
  s.same_name3 = file.ReadBool(kSection, kSameName3, d.same_name3);
  s.overwrite2 = file.ReadBool(kSection, kOverWrite2, d.overwrite2);
  s.after_open = file.ReadBool(kSection, kAfterOpen, d.after_open);
  s.error_log = file.ReadBool(kSection, kErrorLog, d.error_log);
  s.tabdump_visible = file.ReadBool(kSection, kTabdumpVisible, d.tabdump_visible);
  s.format = file.ReadInteger(kSection, kFormat, d.format);
  s.file_type = file.ReadInteger(kSection, kFileType, d.file_type);
  s.format_name = file.ReadString(kSection, kFormatName, "");
  s.file_type_name = file.ReadString(kSection, kFileTypeName, "");
  return s;
}

void WriteFormSettings(const FormSettings& s, platform::ProfileFile& file) {
  WriteBool(file, kSameName1, s.same_name1);
  WriteBool(file, kDirect, s.direct);
  WriteBool(file, kOverWrite1, s.overwrite1);
  WriteBool(file, kSameName2, s.same_name2);
  WriteBool(file, kSameName3, s.same_name3);
  WriteBool(file, kOverWrite2, s.overwrite2);
  WriteBool(file, kAfterOpen, s.after_open);
  WriteBool(file, kErrorLog, s.error_log);
  WriteBool(file, kTabdumpVisible, s.tabdump_visible);
  WriteInteger(file, kFormat, s.format);
  WriteInteger(file, kFileType, s.file_type);
  file.WriteString(kSection, kFormatName, s.format_name);
  file.WriteString(kSection, kFileTypeName, s.file_type_name);
}

FormSettings LoadFormSettings(const std::string& program_folder) {
  return ReadFormSettings(platform::ProfileFile::Load(SettingsFilePath(program_folder)));
}

bool SaveFormSettings(const std::string& program_folder, const FormSettings& settings) {
  const std::string path = SettingsFilePath(program_folder);
  platform::ProfileFile file = platform::ProfileFile::Load(path);
  WriteFormSettings(settings, file);
  return file.Save(path);
}

int SelectionFor(int32_t stored, int count) {
  if (stored < 0) return -1;
  return stored > count - 1 ? 0 : stored;
}

int SelectionFor(int32_t stored, const std::string& stored_name,
                 const std::vector<std::string>& names) {
  if (!stored_name.empty()) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (names[i] == stored_name) return static_cast<int>(i);
    }
  }
  return SelectionFor(stored, static_cast<int>(names.size()));
}

}  // namespace refdesk
