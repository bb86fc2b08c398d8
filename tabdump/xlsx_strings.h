// Cell texts of an .xlsx workbook: the shared strings part and the strings
// written inside a cell, both of which may be split into formatted runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace tabdump {

// The text of a string item (<si> or <is>): its own <t>, or the <t> of every
// run joined. Phonetic guides (<rPh>, the furigana over Japanese text) are
// left out, since they are not what the cell shows.
std::string StringItemText(const pugi::xml_node& item);

// The texts of a shared strings part in order, by their index; nullopt when
// they would cost more than kMaxTableBytes held (a part of millions of
// empty "<si/>" items costs little as XML but 32 bytes an item as strings).
std::optional<std::vector<std::string>> ReadSharedStrings(const pugi::xml_node& sst);

// `text` with the "_xHHHH_" escapes of the workbook format replaced by the
// characters they stand for ("_x000D_" is a carriage return, "_x005F_" a
// literal "_"). Other text, malformed escapes included, stays as it is.
std::string DecodeEscapes(std::string_view text);

}  // namespace tabdump
