#include "refmill/text/column_lookup.h"

#include <limits>

#include "platform/profile.h"
#include "refmill/text/sjis.h"

namespace refmill::text {
namespace {

int32_t ColumnOf(std::string_view value) {
  if (const auto number = platform::ParseProfileNumber(value)) return *number;
  // A number past 32 bits is no column of any entry. Read as 0 it would
  // print the entry marker in silence; as the nearest end of the range it
  // is the broken style that reading beyond an entry already reports.
  if (platform::IsProfileNumberOutOfRange(value)) {
    return value.find('-') == std::string_view::npos ? std::numeric_limits<int32_t>::max()
                                                     : std::numeric_limits<int32_t>::min();
  }
  return 0;
}

}  // namespace

ColumnLookup::ColumnLookup(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const size_t eq = FindByte(line, '=');
    const std::string_view name = std::string_view(line).substr(0, eq);
    const std::string_view value =
        eq == kNotFound ? std::string_view() : std::string_view(line).substr(eq + 1);
    // The first line of a name counts, so later ones must not overwrite it.
    columns_.try_emplace(std::string(name), ColumnOf(value));
  }
}

int32_t ColumnLookup::operator()(std::string_view name) const {
  const auto it = columns_.find(name);
  return it == columns_.end() ? 0 : it->second;
}

}  // namespace refmill::text
