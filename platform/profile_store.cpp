// The contents of an ini file once it is read, and what the programs ask of
// it. Both backends fill the same sections and entries (values kept as they
// stand in the file) and share everything here.
#include "platform/profile.h"

#include "platform/files.h"
#include "platform/profile_rules.h"
#include "platform/shift_jis.h"

namespace platform {

using profile_rules::CookValue;

const ProfileFile::Section* ProfileFile::FindSection(std::string_view name) const {
  for (const Section& s : sections_) {
    if (EqualsIgnoringAsciiCase(s.name, name)) return &s;
  }
  return nullptr;
}

const ProfileFile::Entry* ProfileFile::FindEntry(std::string_view section,
                                                 std::string_view key) const {
  // A section name may appear twice in a file; its keys then read as one list.
  for (const Section& s : sections_) {
    if (!EqualsIgnoringAsciiCase(s.name, section)) continue;
    for (const Entry& e : s.entries) {
      if (EqualsIgnoringAsciiCase(e.key, key)) return &e;
    }
  }
  return nullptr;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  const Entry* e = FindEntry(section, key);
  return e != nullptr ? CookValue(e->value) : std::string(fallback);
}

int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t fallback) const {
  const Entry* e = FindEntry(section, key);
  if (e == nullptr) return fallback;
  return ParseProfileNumber(CookValue(e->value)).value_or(fallback);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

std::vector<std::string> ProfileFile::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  size_t used = 1;  // the closing zero byte
  for (const Section& s : sections_) {
    if (!EqualsIgnoringAsciiCase(s.name, section)) continue;
    for (const Entry& e : s.entries) {
      if (used + e.key.size() + 1 > kSectionNameBuffer) return keys;
      used += e.key.size() + 1;
      keys.push_back(e.key);
    }
  }
  return keys;
}

std::vector<std::string> ProfileFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> lines;
  for (const std::string& key : ReadSectionKeys(section)) {
    lines.push_back(key + "=" + ReadString(section, key, ""));
  }
  return lines;
}

bool ProfileFile::HasSection(std::string_view section) const {
  return FindSection(section) != nullptr;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  Section* target = nullptr;
  for (Section& s : sections_) {
    if (EqualsIgnoringAsciiCase(s.name, section)) {
      target = &s;
      break;
    }
  }
  if (target == nullptr) {
    sections_.push_back(Section{std::string(section), {}});
    target = &sections_.back();
  }
  for (Entry& e : target->entries) {
    if (EqualsIgnoringAsciiCase(e.key, key)) {
      e.value = std::string(value);
      return;
    }
  }
  target->entries.push_back(Entry{std::string(key), std::string(value)});
}

void ProfileFile::EraseSection(std::string_view section) {
  std::erase_if(sections_,
                [&](const Section& s) { return EqualsIgnoringAsciiCase(s.name, section); });
}

std::string ProfileFile::ToText() const {
  std::string text;
  for (const Section& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) text += e.key + "=" + e.value + "\r\n";
  }
  return text;
}

bool ProfileFile::Save(const std::string& path) const {
  return WriteFileAtomically(path, ToText());
}

}  // namespace platform
