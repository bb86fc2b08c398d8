#include "refmill/format/fields.h"

#include "refmill/text/sjis.h"

namespace refmill::format {

FieldList::FieldList(std::string text, std::vector<std::pair<uint32_t, uint32_t>> spans)
    : text_(std::move(text)), spans_(std::move(spans)) {}

FieldList SplitFields(std::string_view line) {
  // Two rounds of ",," → ",|,": the first leaves every second comma of a run
  // unmarked (",,," gives ",|,,"), the second marks the rest.
  std::string text = text::ReplaceAll(text::ReplaceAll(line, ",,", ",|,"), ",,", ",|,");
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  spans.reserve(kMinimumColumns);
  size_t start = 0;
  bool quoted = false;
  auto close_piece = [&](size_t end) {
    if (end > start) {
      spans.emplace_back(static_cast<uint32_t>(start), static_cast<uint32_t>(end - start));
    }
  };
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = text::CharLength(text, pos);
    if (len == 1 && text[pos] == '"') {
      quoted = !quoted;
    } else if (len == 1 && text[pos] == ',' && !quoted) {
      close_piece(pos);
      start = pos + 1;
    }
    pos += len;
  }
  close_piece(text.size());
  while (spans.size() < kMinimumColumns) {
    spans.emplace_back(static_cast<uint32_t>(text.size()), 0u);
  }
  return FieldList(std::move(text), std::move(spans));
}

}  // namespace refmill::format
