// CSL-JSON (.json, as Zotero and citeproc write it) through nlohmann/json.
#pragma once

#include <string_view>

#include "refimport/reference.h"

namespace refimport {

// The items of `text` (UTF-8): an array of items, or one item. A file that
// is not JSON gives no references and a warning naming the line; an array
// element that is not an item is skipped with a warning naming its place.
// A name's reading comes from its multi._key "ja-Hira" or "ja-Kana" form.
ReadResult ReadCslJson(std::string_view text);

}  // namespace refimport
