#include "refimport/source_reader.h"

#include "refimport/bibtex_reader.h"
#include "refimport/csl_json_reader.h"
#include "refimport/ris_reader.h"

namespace refimport {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsTypeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

// "@type{" or "@type (" somewhere: BibTeX allows any text between entries.
bool HasBibtexEntry(std::string_view text) {
  for (size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', at + 1)) {
    size_t pos = at + 1;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const size_t type_start = pos;
    while (pos < text.size() && IsTypeChar(text[pos])) ++pos;
    if (pos == type_start) continue;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '{' || text[pos] == '(')) return true;
  }
  return false;
}

}  // namespace

std::optional<SourceFormat> DetectFormat(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first < text.size() && (text[first] == '[' || text[first] == '{')) {
    return SourceFormat::kCslJson;
  }
  if (LooksLikeRis(text)) return SourceFormat::kRis;
  if (HasBibtexEntry(text)) return SourceFormat::kBibtex;
  return std::nullopt;
}

ReadResult ReadSource(std::string_view text, SourceFormat format, std::string_view name,
                      const ReferenceSink& taken) {
  if (format == SourceFormat::kBibtex) return ReadBibtex(text, name, taken);
  ReadResult result = format == SourceFormat::kRis ? ReadRis(text) : ReadCslJson(text);
  if (taken) {
    for (const Reference& reference : result.references) taken(reference);
    result.references.clear();
  }
  return result;
}

}  // namespace refimport
