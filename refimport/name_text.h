// A name given as one text (RIS, or a Japanese BibTeX name) split into its
// parts.
#pragma once

#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// "Family, Given" in any script, or a Japanese "家 名" (family first, blank
// ASCII or ideographic). Anything else (a Western name without a comma, which
// RIS uses for institutions, or a Japanese name without a blank) is kept
// whole as `literal`.
Name NameFromText(std::string_view text);

}  // namespace refimport
