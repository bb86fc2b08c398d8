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

// A large text is indexed in parts, cut at line breaks; wherever the cuts
// fall (inside a CR LF, between two breaks, inside a line), the lines must
// be those of the text read whole.
TEST(LineIndexTest, LargeTextsGiveTheLinesOfTheWholeText) {
  const char* const kBreaks[] = {"\r\n", "\n", "\r", "\n\r", "\r\n\r\n", ""};
  std::string text;
  for (int i = 0; text.size() < 1000000; ++i) {
    text += std::string(static_cast<size_t>(i % 97), 'x') + std::to_string(i);
    text += kBreaks[i % 6];
  }
  // Each length moves the cut by a few bytes: past every kind of break.
  for (size_t cut = 0; cut < 1200; cut += 7) {
    const std::string t = text.substr(0, text.size() - cut) + (cut % 2 == 0 ? "tail" : "");
    const std::vector<std::string_view> whole = refmill::text::SplitLines(t);
    const refmill::text::LineIndex index(t);
    ASSERT_EQ(index.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) ASSERT_EQ(index[i], whole[i]) << i;
  }
}

}  // namespace
