#include "tabdump/csv_writer.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/sjis_literal.h"

namespace tabdump {
namespace {

using testing_support::Sjis;

TEST(CsvFieldTest, QuotesOnlyWhatTheConverterWouldSplit) {
  struct Case {
    const char* name;
    std::string cell;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"plain", "Smith, John", "\"Smith, John\""},
      {"no comma", "Journal", "Journal"},
      // A lone quote would switch quoting on for the rest of the line.
      {"quote only", "a \"b\" c", "\"a \"\"b\"\" c\""},
      {"quote and comma", "\"x\",y", "\"\"\"x\"\",y\""},
      {"apostrophe stays bare", "O'Brien", "O'Brien"},
      {"sub-value separator stays", "A|B", "A|B"},
      {"lf", "line1\nline2", "line1 line2"},
      {"cr lf is one blank", "line1\r\nline2", "line1 line2"},
      {"lone cr", "a\rb", "a b"},
      {"two line breaks", "a\n\nb", "a  b"},
      {"zero byte", std::string("a\0b", 3), "a b"},
      {"line break and comma", "a,\nb", "\"a, b\""},
      {"japanese", "山田, 太郎", "\"山田, 太郎\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CsvField(c.cell), c.expected);
  }
}

TEST(CsvTextTest, EndsEveryRowWithCrLfAndKeepsEmptyRows) {
  const Table table = {{{0, "*"}, {1, "ebook"}, {3, "Title"}}, {}, {{1, "x"}}};
  EXPECT_EQ(CsvText(table), "*,ebook,,Title\r\n\r\n,x\r\n");
  EXPECT_EQ(CsvText({}), "");
}

// The converter splits a line at commas outside double quotes (a quote
// switches quoting each time it occurs and stays in the field), then takes a
// field that begins with a quote up to its closing quote, a doubled quote
// standing for one. Every cell must come back whole through those two steps.
std::vector<std::string> ReadAsConverter(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) {
    if (field.empty() || field[0] != '"') continue;
    std::string inner;
    for (size_t i = 1; i < field.size(); ++i) {
      if (field[i] != '"') {
        inner += field[i];
      } else if (i + 1 < field.size() && field[i + 1] == '"') {
        inner += '"';
        ++i;
      } else {
        break;
      }
    }
    field = inner;
  }
  return fields;
}

TEST(CsvTextTest, CellsSurviveTheConvertersReading) {
  const std::vector<std::string> row = {"*", "a,b", "\"", "\"\"", "x\"y,z\"", ",", "say \"hi\""};
  Row cells;
  for (size_t i = 0; i < row.size(); ++i) cells.push_back({i, row[i]});
  std::string line = CsvText({cells});
  ASSERT_TRUE(line.ends_with("\r\n"));
  line.resize(line.size() - 2);
  EXPECT_EQ(ReadAsConverter(line), row);
}

TEST(EncodeShiftJisTest, MarksAndCountsWhatShiftJisCannotHold) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string expected;
    size_t unmappable;
  };
  const Case cases[] = {
      {"ascii", "abc,1\r\n", "abc,1\r\n", 0},
      {"japanese", "山田太郎", Sjis("山田太郎"), 0},
      {"circled digit of code page 932", "①", Sjis("①"), 0},
      {"emoji", "a\U0001F600b", "a" + Sjis("〓") + "b", 1},
      {"two unmappable", "\u00E9t\u00E9", Sjis("〓t〓"), 2},
      // Mac and web text carry these under their JIS X 0208 values.
      {"wave dash", "\u301C", Sjis("～"), 0},
      {"minus sign", "\u2212", Sjis("－"), 0},
      {"double vertical line", "\u2016", Sjis("∥"), 0},
      {"em dash", "\u2014", Sjis("―"), 0},
      {"pound sign", "\u00A3", Sjis("￡"), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const EncodedCsv encoded = EncodeShiftJis(c.utf8);
    EXPECT_EQ(encoded.bytes, c.expected);
    EXPECT_EQ(encoded.unmappable, c.unmappable);
  }
}

}  // namespace
}  // namespace tabdump
