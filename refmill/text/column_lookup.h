// Turning a placeholder name ("$AT") into a column number by the style's
// InputFormat lines. Used by the formatter for every token and by the driver
// for the author and year columns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/text/name_map.h"

namespace refmill::text {

class ColumnLookup {
 public:
  ColumnLookup() = default;
  // `lines` are the InputFormat section as "name=value" lines in file order.
  explicit ColumnLookup(const std::vector<std::string>& lines);

  // The number the first line named `name` (letter case ignored) gives, read
  // as a profile number; 0 when no line has the name or its value is not a
  // whole number. Numbers of 0 and more are columns, negative ones codes. A
  // number past the 32-bit range gives the end of the range on its side.
  int32_t operator()(std::string_view name) const;

 private:
  NameMap<int32_t> columns_;
};

}  // namespace refmill::text
