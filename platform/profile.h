// Reading and writing ini ("profile") files the way the Windows profile
// services do, for the settings of refmill and refdesk. The reading rules are
// the ones stored settings files rely on: names match without regard to ASCII
// letter case, the first of two equal keys wins, values are trimmed and lose
// one pair of surrounding quotes, and a value is at most 2047 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Longest value a reader hands out; longer values are cut to this many bytes.
inline constexpr size_t kMaxProfileValue = 2047;
// Size of the buffer that receives the key names of one section (each name
// followed by a zero byte, plus the closing zero byte).
inline constexpr size_t kSectionNameBuffer = 16384;

// Reads a profile number: optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Leading blanks are skipped; the
// rest of the text must be the number. Returns nothing for anything else and
// for values outside the signed 32-bit range.
std::optional<int32_t> ParseProfileNumber(std::string_view text);
// True when `text` is written as a profile number but lies outside the
// signed 32-bit range (where ParseProfileNumber gives nothing as well).
bool IsProfileNumberOutOfRange(std::string_view text);

// An ini file read once into memory. A missing or unreadable file reads as
// empty. Text is kept as raw bytes; no encoding is assumed.
class ProfileFile {
 public:
  ProfileFile() = default;
  // Parses `text` as the whole contents of an ini file.
  static ProfileFile FromText(std::string_view text);
  // Loads the file at `path`; a file that cannot be read gives an empty profile.
  static ProfileFile Load(const std::string& path);

  // The value of `key` in `section`, or `fallback` when either is missing.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // The value read as a profile number, or `fallback` when it is missing or
  // not a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // A number that is not 0; `fallback` when missing or not a number.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  // The key names of `section` in file order, as many as fit the name buffer.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;
  // The section as "name=value" lines in file order; each value is read by
  // name, so a repeated name shows the value of its first occurrence.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;
  // True when the section exists (even if it has no keys).
  bool HasSection(std::string_view section) const;

  // Editing, for the desktop program's settings and histories.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void EraseSection(std::string_view section);
  // The file's text with CR LF line ends.
  std::string ToText() const;
  // Writes the file; false when it cannot be written.
  bool Save(const std::string& path) const;

 private:
  struct Entry {
    std::string key;
    std::string value;  // raw text after the first "=", not yet trimmed
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  const Section* FindSection(std::string_view name) const;
  const Entry* FindEntry(std::string_view section, std::string_view key) const;

  std::vector<Section> sections_;
};

}  // namespace platform
