#include "refmill/format/fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sjis_literal.h"

namespace {

using refmill::format::SplitFields;
using testing_support::Sjis;

std::vector<std::string> Columns(const std::string& line, size_t count) {
  const refmill::format::FieldList fields = SplitFields(line);
  std::vector<std::string> out;
  for (size_t i = 0; i < count && i < fields.size(); ++i) out.emplace_back(fields[i]);
  return out;
}

TEST(SplitFieldsTest, MarksEmptyFieldsAndHonoursQuotes) {
  struct Case {
    const char* name;
    std::string line;
    std::vector<std::string> first;  // the leading columns expected
  };
  const Case cases[] = {
      {"empty field marked", "*,book,,Smith", {"*", "book", "|", "Smith", ""}},
      {"runs of empty fields", "*,a,,,,b", {"*", "a", "|", "|", "|", "b"}},
      {"quoted comma", "*,a,\"x, y\",b", {"*", "a", "\"x, y\"", "b"}},
      {"quoted double comma gets a marker too", "*,\"a,,b\"", {"*", "\"a,|,b\""}},
      {"unclosed quote takes the rest", "*,\"a,b,c", {"*", "\"a,b,c", ""}},
      {"final comma dropped", "*,a,", {"*", "a", ""}},
      {"apostrophe plain", "*,O'Brien", {"*", "O'Brien"}},
      {"leading comma drops the first column", ",a,,b,,", {"a", "|", "b", "|", ""}},
      // "ポ" ends in 7C and "ダ" in 5F; neither splits anything.
      {"double-byte characters", Sjis("*,ポ,ダ"), {"*", Sjis("ポ"), Sjis("ダ")}},
      // No character ends in a comma or a double quote: a lead byte before
      // one stands alone, and the separator still separates.
      {"lone lead byte before a comma", "*,a\x83,b", {"*", "a\x83", "b"}},
      {"lone lead byte before two commas", "*,\x83,,b", {"*", "\x83", "|", "b"}},
      {"lone lead byte before a quote", "*,\x83\"x,y\",b", {"*", "\x83\"x,y\"", "b"}},
      // Long plain stretches are passed many bytes at a time; what ends
      // them must be seen wherever it lies.
      {"separators deep in a long line",
       "*,earticle,,David Johnson|Mary Adams,2006,,,\"Motivation, memory and perception\",x",
       {"*", "earticle", "|", "David Johnson|Mary Adams", "2006", "|", "|",
        "\"Motivation, memory and perception\"", "x"}},
      {"a character across sixteen bytes",
       "*,abcdefghijklm" + Sjis("ポ") + ",,abcdefghijklmnopq",
       {"*", "abcdefghijklm" + Sjis("ポ"), "|", "abcdefghijklmnopq"}},
      {"a byte of 80 amid plain text",
       "*,abcdefghijklmnop\x80,,q",
       {"*", "abcdefghijklmnop\x80", "|", "q"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Columns(c.line, c.first.size()), c.first);
  }
}

// A split of the first columns only gives those columns as the whole split
// does, whatever comes after them: quotes, empty columns, wide lines.
TEST(SplitFieldsTest, TheFirstColumnsAloneReadAsInTheWholeSplit) {
  std::string wide = "*";
  for (int i = 0; i < 60; ++i) wide += i % 7 == 0 ? ",," : ",x";
  const std::string lines[] = {
      "*,book,,Smith",
      "*,a,,,,b",
      "*,a,\"x, y\",b",
      "*,\"a,,b\",c,,d",
      "*,\"a,b,c",
      "*,a,",
      ",a,,b,,",
      "*,earticle,,David Johnson|Mary Adams,2006,,,\"Motivation, memory\",x",
      "*,earticle,Mary Adams,2006,,\"A \"\"title\"\", quoted\",,x,\"y",
      wide,
      wide + ",,\"y,z\"",
      "*",
      "",
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    const refmill::format::FieldList whole = SplitFields(line);
    for (const size_t columns : {size_t{1}, size_t{2}, size_t{3}, size_t{4}, size_t{6}, size_t{52},
                                 size_t{60}, size_t{62}, size_t{70}}) {
      SCOPED_TRACE(columns);
      const refmill::format::FieldList first = SplitFields(line, columns);
      for (size_t i = 0; i < columns && i < whole.size(); ++i) {
        ASSERT_EQ(first.At(static_cast<int64_t>(i)), whole.At(static_cast<int64_t>(i))) << i;
      }
    }
  }
}

// A line cut where the split of its first columns stops reading splits
// into the same columns: a caller may keep that much of a line alone.
TEST(SplitFieldsTest, ALineCutAtItsReachSplitsTheSame) {
  std::vector<std::string> lines = {"*,a,\"x, y\",b", "*,\"a,,b\",c,,d", "*,\"a,b,c",
                                    ",a,,b,,",        "*,a,,,,b,\"q\"",  ""};
  // Random lines of commas, quotes, bars, letters and two-byte characters.
  const std::string pieces[] = {",", ",", "\"", "a", "|", "\x82\xa0", ",,", "bc"};
  uint32_t seed = 12345;
  for (int n = 0; n < 3000; ++n) {
    std::string line;
    seed = seed * 1103515245u + 12345u;
    const uint32_t length = (seed >> 16) % 40;
    for (uint32_t i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      line += pieces[(seed >> 16) % 8];
    }
    lines.push_back(line);
  }
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    for (const size_t columns : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{8}}) {
      SCOPED_TRACE(columns);
      const size_t reach = refmill::format::SplitReach(line, columns);
      ASSERT_LE(reach, line.size());
      const refmill::format::FieldList first = SplitFields(line, columns);
      const refmill::format::FieldList cut = SplitFields(line.substr(0, reach), columns);
      ASSERT_EQ(cut.size(), first.size());
      for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(cut[i], first[i]) << i;
    }
  }
}

TEST(SplitFieldsTest, PadsToFiftyOneColumns) {
  EXPECT_EQ(SplitFields("*,a,,b").size(), 51u);
  std::string wide = "*";
  for (int i = 0; i < 60; ++i) wide += ",x";
  EXPECT_EQ(SplitFields(wide).size(), 61u);
  // A quote met only after the first columns were taken.
  const refmill::format::FieldList quoted = SplitFields(wide + ",,\"y,z\"");
  ASSERT_EQ(quoted.size(), 63u);
  EXPECT_EQ(quoted[60], "x");
  EXPECT_EQ(quoted[61], "|");
  EXPECT_EQ(quoted[62], "\"y,z\"");
  EXPECT_FALSE(SplitFields("*").At(51).has_value());
  EXPECT_FALSE(SplitFields("*").At(-1).has_value());
}

}  // namespace
