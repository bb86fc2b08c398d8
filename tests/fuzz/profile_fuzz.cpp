// Fuzzes the ini reader: any text parses, every reader keeps its limits,
// numbers read the way a plain reading of their rule does, a written value
// reads back as written, and a profile survives being written out and read
// again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"
#include "platform/shift_jis.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Blanks, sign, "$"/"x"/"X"/"0x"/"0X" for hexadecimal, digits to the end,
// and a value that fits 32 bits. Slow on purpose: digit by digit, with a
// check after every one.
std::optional<int32_t> ReferenceNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  } else if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
    if (value > int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

// What a reader hands out for a value written as `raw`.
std::string Cooked(std::string_view raw) {
  while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) raw.remove_prefix(1);
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
    raw = raw.substr(1, raw.size() - 2);
  }
  // A long value is cut where a character begins, never inside one.
  size_t end = 0;
  while (end < raw.size() && end + platform::CharLength(raw, end) <= platform::kMaxProfileValue) {
    end += platform::CharLength(raw, end);
  }
  return std::string(raw.substr(0, end));
}

void CheckReaders(const platform::ProfileFile& profile, std::string_view section,
                  std::string_view key) {
  const std::string value = profile.ReadString(section, key, "");
  fuzz::Check(value.size() <= platform::kMaxProfileValue, "a value longer than the limit");
  const std::optional<int32_t> number = ReferenceNumber(value);
  fuzz::Check(profile.ReadInteger(section, key, 7) == number.value_or(7) ||
                  profile.ReadString(section, key, "\x01") == "\x01",
              "ReadInteger disagrees with the number's rule");
  fuzz::Check(profile.ReadBool(section, key, false) == (profile.ReadInteger(section, key, 0) != 0),
              "ReadBool disagrees with ReadInteger");
  const std::vector<std::string> keys = profile.ReadSectionKeys(section);
  size_t used = 1;
  for (const std::string& k : keys) used += k.size() + 1;
  fuzz::Check(used <= platform::kSectionNameBuffer, "section keys overflow the name buffer");
  fuzz::Check(profile.ReadSectionValues(section).size() == keys.size(),
              "ReadSectionValues and ReadSectionKeys disagree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts = fuzz::Parts(data, size, 4);
  const std::string_view text = parts[0];
  const std::string_view section = parts[1];
  const std::string_view key = parts[2];
  const std::string_view value = parts[3];

  fuzz::Check(platform::ParseProfileNumber(text) == ReferenceNumber(text),
              "ParseProfileNumber disagrees with the number's rule");

  platform::ProfileFile profile = platform::ProfileFile::FromText(text);
  for (const std::string_view name : {section, std::string_view("General"), std::string_view("")}) {
    CheckReaders(profile, name, key);
  }

  // A profile written out and read again reads the same.
  const platform::ProfileFile again = platform::ProfileFile::FromText(profile.ToText());
  fuzz::Check(again.ReadSectionValues(section) == profile.ReadSectionValues(section),
              "a section reads differently after a round trip");
  fuzz::Check(again.HasSection(section) == profile.HasSection(section),
              "a section is lost in a round trip");

  // Values are written as they come; names from a settings program are plain.
  const bool plain_name = [&] {
    for (const std::string_view name : {section, key}) {
      if (name.empty()) return false;
      for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '$';
        if (!ok) return false;
      }
    }
    return value.find_first_of("\r\n") == std::string_view::npos;
  }();
  if (plain_name) {
    profile.WriteString(section, key, value);
    fuzz::Check(profile.ReadString(section, key, "") == Cooked(value),
                "a written value reads back differently");
    const platform::ProfileFile saved = platform::ProfileFile::FromText(profile.ToText());
    fuzz::Check(saved.ReadString(section, key, "") == Cooked(value),
                "a written value is lost in a round trip");
  }
  return 0;
}
