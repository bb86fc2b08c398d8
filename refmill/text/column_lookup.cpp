#include "refmill/text/column_lookup.h"

#include "platform/profile.h"
#include "refmill/text/sjis.h"

namespace refmill::text {

ColumnLookup::ColumnLookup(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const size_t eq = FindByte(line, '=');
    const std::string_view name = std::string_view(line).substr(0, eq);
    const std::string_view value =
        eq == kNotFound ? std::string_view() : std::string_view(line).substr(eq + 1);
    // The first line of a name counts, so later ones must not overwrite it.
    columns_.try_emplace(std::string(name), platform::ParseProfileNumber(value).value_or(0));
  }
}

int32_t ColumnLookup::operator()(std::string_view name) const {
  const auto it = columns_.find(name);
  return it == columns_.end() ? 0 : it->second;
}

}  // namespace refmill::text
