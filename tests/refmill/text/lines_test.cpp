#include "refmill/text/lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SplitLinesTest, EndsLinesAtEveryKindOfBreak) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string_view> expected;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"LF", "a\nb", {"a", "b"}},
      {"CR", "a\rb\r", {"a", "b"}},
      {"mixed with blank lines", "a\r\n\nb\r\r\n", {"a", "", "b", ""}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"zero byte ends the text", std::string("a\nb\0c\nd", 7), {"a", "b"}},
      {"only a break", "\r\n", {""}},
      {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refmill::text::SplitLines(c.text), c.expected);
    const refmill::text::LineIndex index(c.text);
    std::vector<std::string_view> indexed;
    for (size_t i = 0; i < index.size(); ++i) indexed.push_back(index[i]);
    EXPECT_EQ(indexed, c.expected);
  }
}

}  // namespace
