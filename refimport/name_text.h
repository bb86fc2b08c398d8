// A name given as one text (RIS, or a Japanese BibTeX name) split into its
// parts.
#pragma once

#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// "Family, Given" in any script; a Japanese "家 名" (family first, blank
// ASCII or ideographic); a Western "Given Names Surname", where lower-case
// words before the last ("van", "de la") belong to the surname. A Japanese
// name without a blank, or one word, is kept whole as `literal`.
Name NameFromText(std::string_view text);

}  // namespace refimport
