// BibTeX name lists, split by BibTeX's own rules: " and " between names,
// "von Last, First", "von Last, Jr, First" or "First von Last", where the
// von part is the words starting with a lower-case letter. Braces protect
// what they hold. (btparse's name splitter leaves parts of its result unset
// on some damaged names, so refimport splits names itself.)
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "refimport/reference.h"

namespace refimport {

// The names of a raw (LaTeX) field value, "others" left out. A Japanese
// name is read family first ("山田 太郎", "山田, 太郎").
std::vector<Name> BibtexNames(std::string_view raw);

}  // namespace refimport
