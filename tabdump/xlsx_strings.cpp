#include "tabdump/xlsx_strings.h"

#include <charconv>

#include "tabdump/table.h"
#include "tabdump/xlsx_package.h"

namespace tabdump {
namespace {

// "_x" + four hex digits + "_".
constexpr size_t kEscapeLength = 7;

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string DecodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    unsigned value = 0;
    if (text.substr(pos, 2) == "_x" && pos + kEscapeLength <= text.size() &&
        text[pos + kEscapeLength - 1] == '_') {
      const char* first = text.data() + pos + 2;
      const auto [end, error] = std::from_chars(first, first + 4, value, 16);
      // UTF-16 halves cannot be written as UTF-8 on their own; keep those as text.
      if (error == std::errc() && end == first + 4 && (value < 0xD800 || value > 0xDFFF)) {
        AppendUtf8(static_cast<char32_t>(value), out);
        pos += kEscapeLength;
        continue;
      }
    }
    out += text[pos++];
  }
  return out;
}

std::string StringItemText(const pugi::xml_node& item) {
  std::string text;
  for (const pugi::xml_node& child : item.children()) {
    const std::string_view name = LocalName(child);
    if (name == "t") {
      text += child.text().get();
    } else if (name == "r") {
      text += ChildNamed(child, "t").text().get();
    }
  }
  return DecodeEscapes(text);
}

std::optional<std::vector<std::string>> ReadSharedStrings(const pugi::xml_node& sst) {
  std::vector<std::string> strings;
  size_t bytes = 0;
  for (const pugi::xml_node& item : sst.children()) {
    if (LocalName(item) != "si") continue;
    strings.push_back(StringItemText(item));
    bytes += sizeof(std::string) + strings.back().size();
    if (bytes > kMaxTableBytes) return std::nullopt;
  }
  return strings;
}

}  // namespace tabdump
