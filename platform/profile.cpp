#include "platform/profile.h"

#include <fstream>
#include <iterator>
#include <limits>

#include "platform/files.h"
#include "platform/shift_jis.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value as a reader returns it: trimmed, one pair of enclosing quotes
// removed, cut to the longest value.
std::string CookValue(std::string_view raw) {
  std::string_view v = Trim(raw);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  if (v.size() > kMaxProfileValue) {
    // Cut at a character boundary: half a character would join whatever
    // text is put after the value (a file type's suffix, say).
    size_t end = 0;
    while (end + CharLength(v, end) <= kMaxProfileValue) end += CharLength(v, end);
    v = v.substr(0, end);
  }
  return std::string(v);
}

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

std::optional<int32_t> ParseProfileNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  // One past the largest magnitude: -2147483648 is allowed.
  const uint64_t limit = uint64_t{std::numeric_limits<int32_t>::max()} + 1;
  uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = base == 16 ? HexDigit(text[i])
                                 : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  if (!negative && magnitude == limit) return std::nullopt;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                  : static_cast<int32_t>(magnitude);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;
  for (size_t pos = 0; pos < a.size();) {
    const size_t len = CharLength(a, pos);
    if (len == 2) {
      if (a[pos] != b[pos] || a[pos + 1] != b[pos + 1]) return false;
    } else if (LowerAscii(a[pos]) != LowerAscii(b[pos])) {
      return false;
    }
    pos += len;
  }
  return true;
}

ProfileFile ProfileFile::FromText(std::string_view text) {
  ProfileFile file;
  Section* current = nullptr;
  for (std::string_view line : Lines(text)) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    if (trimmed.front() == '[') {
      const size_t close = trimmed.find(']');
      const std::string_view name =
          Trim(trimmed.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                 : close - 1));
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

bool ProfileFile::Save(const std::string& path) const { return WriteFileAtomically(path, ToText()); }

}  // namespace platform
