#include "refmill/format/style_settings.h"

#include <gtest/gtest.h>

namespace {

using refmill::format::AbbreviationTable;
using refmill::format::TemplateTable;

TEST(AbbreviationTableTest, FindsTitlesWithoutRegardToCase) {
  const AbbreviationTable table({"Journal of Examples=J. Ex.", "JOURNAL OF EXAMPLES=second",
                                 "A=B=C", "no equals sign", "Empty="});
  struct Case {
    const char* name;
    const char* title;
    const char* expected;
  };
  const Case cases[] = {
      {"exact", "Journal of Examples", "J. Ex."},
      {"case ignored, first line wins", "journal of examples", "J. Ex."},
      {"title before the first equals sign", "A", "B=C"},
      {"title holding an equals sign never matches", "A=B", ""},
      {"missing title", "Unknown", ""},
      {"empty abbreviation", "Empty", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(table.Lookup(c.title), c.expected);
  }
}

TEST(TemplateTableTest, FindsCategoriesWithoutRegardToCase) {
  const TemplateTable table({"jbook=first", "JBOOK=second", "ebook="}, {});
  EXPECT_EQ(table.Find("Jbook")->text, "first");
  EXPECT_EQ(table.Find("ebook")->text, "");
  EXPECT_FALSE(table.Find("tbook").has_value());
}

}  // namespace
