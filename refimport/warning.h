// Warning texts about single entries, naming where the entry stands.
#pragma once

#include <string>
#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// "警告: 12行目（key）: " + what; without a key the brackets are left out.
std::string LineWarning(int line, std::string_view key, std::string_view what);
// The same for formats without lines: "警告: 3件目: " + what.
std::string EntryWarning(int entry, std::string_view what);
// What an unknown type was taken as: "種類「misc」は扱えないので、本にしました".
std::string UnknownTypeText(std::string_view type, Kind taken_as);

}  // namespace refimport
