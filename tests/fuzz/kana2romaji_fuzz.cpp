// Fuzzes the romanisation table: any roman.dat loads, holds at most its
// capacity of rules, and converts any text exactly as applying its rules one
// after the other and then resolving the doubling markers does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "refmill/text/kana2romaji.h"
#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

namespace text = refmill::text;
using text::TKana2Romaji;

// Markers by their rule, one at a time from the start of the text; a marker
// in front of another marker is dropped.
std::string ReferenceDoubling(std::string work) {
  for (;;) {
    const size_t mark = text::FindByte(work, '#');
    if (mark == text::kNotFound || work.size() - mark < 3) return work;
    if (work[mark + 1] == '#') {
      work.erase(mark, 1);
    } else {
      work[mark] = work[mark + 1];
    }
  }
}

// A rule that would take the text past 16 times its input's length plus
// 4 KB is skipped, so that a table whose rules lengthen each other's output
// cannot multiply a text without end.
size_t Longest(std::string_view input) { return input.size() * 16 + 4096; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts = fuzz::Parts(data, size, 2);
  const std::string_view table_text = parts[0];
  const std::string_view input = parts[1];

  const TKana2Romaji table = TKana2Romaji::FromText(table_text);
  const std::vector<std::string_view> lines = text::SplitLines(table_text);
  const size_t rules = std::min<size_t>(lines.size(), TKana2Romaji::kCapacity);
  fuzz::Check(table.RuleCount() == static_cast<int>(rules), "rule count");

  std::string expected(input);
  for (size_t i = 0; i < rules; ++i) {
    const size_t eq = text::FindByte(lines[i], '=');
    if (eq == text::kNotFound || eq == 0) continue;
    const std::string_view pattern = lines[i].substr(0, eq);
    const std::string_view replacement = lines[i].substr(eq + 1);
    // The length is checked first (against the sjis_text target's own
    // check), so no huge text is ever built here.
    const size_t length = text::ReplacedLength(expected, pattern, replacement);
    if (length > Longest(input) && length > expected.size()) continue;
    expected = text::ReplaceAll(expected, pattern, replacement);
  }
  fuzz::Check(table.Convert(input) == ReferenceDoubling(expected),
              "Convert differs from applying the rules in order");
  fuzz::Check(TKana2Romaji().Convert(input) == ReferenceDoubling(std::string(input)),
              "an empty table changes more than doubling markers");
  return 0;
}
