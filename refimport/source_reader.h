// The source file's format, told from its contents, and its references.
#pragma once

#include <optional>
#include <string_view>

#include "refimport/reference.h"

namespace refimport {

enum class SourceFormat { kBibtex, kRis, kCslJson };

// JSON starts with "[" or "{"; RIS with a "TY  - " line; BibTeX holds an
// "@" followed by an entry type and "{" or "(". `text` is UTF-8 without a
// byte-order mark. Nothing else is any of them.
std::optional<SourceFormat> DetectFormat(std::string_view text);

// The references of `text` read as `format`; `name` names the file in notes.
// `taken`, when given, sees each reference in order once it is read (for
// BibTeX while the rest is still being read) and takes it: the result then
// holds the warnings only.
ReadResult ReadSource(std::string_view text, SourceFormat format, std::string_view name,
                      const ReferenceSink& taken = {});

}  // namespace refimport
