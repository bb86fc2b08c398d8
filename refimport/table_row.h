// A reference as a row of the shared table: category, name forms, title and
// subtitle, volume and issue, edition wording. UTF-8, one text per column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "refimport/reference.h"

namespace refimport {

// The heading line the table starts with, without its line end.
extern const std::string_view kTableHeading;

// The row's column texts, column 1 ("*") first; `number` goes in 番号.
std::vector<std::string> TableRow(const Reference& reference, int number);

// One name as the table writes it: "家#名" for a Japanese name, "Given
// Names Surname" with every blank of the surname written "_" for a Western
// one, a literal name as one surname.
std::string NameCell(const Name& name);

}  // namespace refimport
