// The profile reader of Windows itself. A file is read once, its sections
// through GetPrivateProfileSectionNamesA, their keys through
// GetPrivateProfileSectionA and every value through GetPrivateProfileStringA,
// the way the settings files have always been read on this platform; reads
// afterwards come from that snapshot (the store all backends share), so
// editing and writing are our own and a settings file is never left
// half-written.
#include "platform/profile.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/files.h"
#include "platform/profile_rules.h"
#include "platform/shift_jis.h"

namespace platform {
namespace {

using profile_rules::IsBlank;

// The zero-separated list in the first `length` bytes of `buffer`.
std::vector<std::string> SplitZeroList(const std::vector<char>& buffer, size_t length) {
  std::vector<std::string> names;
  for (size_t start = 0; start < length;) {
    const std::string name(buffer.data() + start);
    if (name.empty()) break;
    names.push_back(name);
    start += name.size() + 1;
  }
  return names;
}

std::vector<std::string> SectionNames(const std::string& path) {
  // The call cuts the list to the buffer without saying so reliably; a
  // buffer that ends up nearly full is grown and the call repeated.
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   path.c_str());
    if (n + 2 < buffer.size()) return SplitZeroList(buffer, n);
    buffer.resize(buffer.size() * 2);
  }
}

// The key names of `section` in file order, all of them: a key that does not
// fit the name buffer can still be read by name. The section's lines come
// as "name=value"; a line without "=" is no entry.
std::vector<std::string> KeyNames(const std::string& path, const std::string& section) {
  std::vector<char> buffer(kSectionNameBuffer);
  for (;;) {
    const DWORD n = GetPrivateProfileSectionA(section.c_str(), buffer.data(),
                                              static_cast<DWORD>(buffer.size()), path.c_str());
    if (n + 2 < buffer.size()) {
      std::vector<std::string> keys;
      for (const std::string& line : SplitZeroList(buffer, n)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
      }
      return keys;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Value(const std::string& path, const std::string& section, const std::string& key) {
  std::vector<char> buffer(kMaxProfileValue + 1);
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), path.c_str());
  // A value cut inside a double-byte character comes back with the half
  // character replaced by a zero byte; the value ends before it.
  return std::string(buffer.data(), strnlen(buffer.data(), n));
}

// The text to store for a value the reader returned, such that reading it
// again gives the same value: quoted when it has blanks at an end or a pair
// of quotes of its own.
std::string StoredForm(const std::string& value) {
  if (value.empty()) return value;
  const char first = value.front();
  const bool quoted = value.size() >= 2 && (first == '"' || first == '\'') && value.back() == first;
  if (!quoted && !IsBlank(first) && !IsBlank(value.back())) return value;
  return "\"" + value + "\"";
}

std::string TemporaryProfilePath() {
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 16];
  const DWORD n = GetTempPathA(sizeof folder, folder);
  if (n == 0 || n > MAX_PATH || GetTempFileNameA(folder, "rmp", 0, name) == 0) return std::string();
  return name;
}

}  // namespace

ProfileFile ProfileFile::FromText(std::string_view text) {
  // The system reads files only; the text goes through a file of its own.
  const std::string path = TemporaryProfilePath();
  if (path.empty() || !WriteFileAtomically(path, text)) {
    if (!path.empty()) DeleteFileA(path.c_str());
    throw std::runtime_error("cannot write a temporary settings file");
  }
  ProfileFile file = Load(path);
  DeleteFileA(path.c_str());
  return file;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  ProfileFile file;
  // A relative name would be looked for in the Windows folder.
  const std::string full = FullPath(path);
  if (!FileExists(full)) return file;
  for (const std::string& name : SectionNames(full)) {
    // A section that appears twice reads as its first appearance; the
    // system answers every question about that name from the first one.
    if (file.FindSection(name) != nullptr) continue;
    Section section{name, {}};
    for (const std::string& key : KeyNames(full, name)) {
      section.entries.push_back(Entry{key, StoredForm(Value(full, name, key))});
    }
    file.sections_.push_back(std::move(section));
  }
  // The system keeps recently read files in memory; a temporary file's name
  // comes round again, so it must not be remembered.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, full.c_str());
  return file;
}

}  // namespace platform
