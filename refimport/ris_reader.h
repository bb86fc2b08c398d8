// RIS (.ris): tagged lines "XX  - value", each reference from TY to ER.
#pragma once

#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// The references of `text` (UTF-8) in file order. Lines before a TY line
// are skipped with a warning; a reference the file ends inside is kept with
// a warning. A line without a tag continues the value before it. RIS has no
// field for a reading.
ReadResult ReadRis(std::string_view text);

// True when a line of `text` starts a RIS reference ("TY  - ").
bool LooksLikeRis(std::string_view text);

}  // namespace refimport
