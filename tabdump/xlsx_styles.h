// The number formats of an .xlsx workbook's cell styles, reduced to what the
// reader needs: which styles show their number as a date or time, and how.
#pragma once

#include <optional>
#include <vector>

#include <pugixml.hpp>

#include "tabdump/date_format.h"

namespace tabdump {

// One entry per cell style (<xf> of <cellXfs>, in order, which is what a
// cell's "s" attribute counts): the style's date format, or nullopt when its
// number is not a date or time.
using CellDateFormats = std::vector<std::optional<DateFormat>>;

// Reads the styles part's root element (<styleSheet>).
CellDateFormats ReadCellDateFormats(const pugi::xml_node& style_sheet);

}  // namespace tabdump
