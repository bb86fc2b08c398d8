// Numbers as a spreadsheet shows them in a cell without a number format, for
// the readers of both workbook kinds.
#pragma once

#include <string>

namespace tabdump {

// `value` with at most 15 significant digits, the precision a spreadsheet
// shows: whole numbers without a decimal point ("2020", not "2020.0"), others
// with trailing zeros dropped ("12.5"), very large or small ones as "1.5E+20".
// Not-a-number and infinities give an empty text.
std::string NumberText(double value);

}  // namespace tabdump
