#include "refmill/format/fields.h"

#include "refmill/text/sjis.h"

namespace refmill::format {

FieldList::FieldList(std::string text, std::vector<std::pair<uint32_t, uint32_t>> spans)
    : text_(std::move(text)), spans_(std::move(spans)) {}

FieldList SplitFields(std::string_view line) {
  // Two rounds of ",," → ",|," put the marker between every two commas that
  // follow each other (the first round leaves every second pair, ",,," gives
  // ",|,,"; the second marks the rest), quoted stretches included. One pass
  // that inserts the marker wherever a comma follows a comma does the same.
  std::string text;
  text.reserve(line.size() + 8);
  std::vector<std::pair<uint32_t, uint32_t>> spans;
  spans.reserve(kMinimumColumns);
  size_t copied = 0;    // bytes of `line` already in `text`
  size_t inserted = 0;  // markers put in so far: text offset = line offset + inserted
  size_t start = 0;     // text offset where the current piece begins
  bool quoted = false;
  bool after_comma = false;
  auto close_piece = [&](size_t end) {
    if (end > start) {
      spans.emplace_back(static_cast<uint32_t>(start), static_cast<uint32_t>(end - start));
    }
  };
  const size_t size = line.size();
  for (size_t pos = 0; pos < size;) {
    const auto byte = static_cast<unsigned char>(line[pos]);
    // Most bytes are neither separators nor lead bytes: pass them quickly.
    if (byte != ',' && byte != '"' && byte < 0x81) {
      after_comma = false;
      ++pos;
      continue;
    }
    const size_t len = text::CharLength(line, pos);
    if (len == 1) {
      const char c = line[pos];
      if (c == ',') {
        if (after_comma) {
          text.append(line, copied, pos - copied);
          text.push_back('|');
          copied = pos;
          ++inserted;
        }
        if (!quoted) {
          close_piece(pos + inserted);
          start = pos + inserted + 1;
        }
      } else if (c == '"') {
        quoted = !quoted;
      }
      after_comma = c == ',';
    } else {
      after_comma = false;
    }
    pos += len;
  }
  text.append(line, copied, line.size() - copied);
  close_piece(text.size());
  if (spans.size() < kMinimumColumns) {
    spans.resize(kMinimumColumns, {static_cast<uint32_t>(text.size()), 0u});
  }
  return FieldList(std::move(text), std::move(spans));
}

}  // namespace refmill::format
