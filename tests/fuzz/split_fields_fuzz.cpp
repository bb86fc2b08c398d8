// Fuzzes the splitting of a source line into its field list against a
// plain reading of the rule it follows: two rounds of ",," → ",|,", a split
// at commas outside double quotes (stepping by character), empty pieces
// dropped, padding to 51 columns. The fast one-pass split must agree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/format/fields.h"
#include "refmill/text/sjis.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

using refmill::text::CharLength;

std::vector<std::string> ReferenceSplit(std::string_view line) {
  std::string text = refmill::text::ReplaceAll(line, ",,", ",|,");
  text = refmill::text::ReplaceAll(text, ",,", ",|,");
  std::vector<std::string> fields;
  std::string piece;
  bool quoted = false;
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = CharLength(text, pos);
    if (len == 1 && text[pos] == '"') quoted = !quoted;
    if (len == 1 && text[pos] == ',' && !quoted) {
      if (!piece.empty()) fields.push_back(piece);
      piece.clear();
    } else {
      piece.append(text, pos, len);
    }
    pos += len;
  }
  if (!piece.empty()) fields.push_back(piece);
  while (fields.size() < refmill::format::kMinimumColumns) fields.emplace_back();
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const refmill::format::FieldList fields = refmill::format::SplitFields(line);
  const std::vector<std::string> expected = ReferenceSplit(line);
  fuzz::Check(fields.size() == expected.size(), "field count differs from the reference split");
  for (size_t i = 0; i < expected.size(); ++i) {
    fuzz::Check(fields[i] == expected[i], "a field differs from the reference split");
    fuzz::Check(fields.At(static_cast<int64_t>(i)).has_value(), "a listed column is out of range");
  }
  fuzz::Check(!fields.At(-1) && !fields.At(static_cast<int64_t>(fields.size())),
              "a column outside the list reads as present");
  return 0;
}
