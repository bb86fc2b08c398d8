#include "refmill/text/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The lines of `text` read byte by byte, as the rule says.
std::vector<std::string> ReadLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  bool open = false;
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(current);
      current.clear();
      open = false;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    current.push_back(text[i]);
    open = true;
  }
  if (open) lines.push_back(current);
  return lines;
}

// A large text is indexed in parts, cut at line breaks; wherever the cuts
// fall (inside a CR LF, between two breaks, inside a line), the lines must
// be those of the text read whole, and those of a reading byte by byte.
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
    if (cut % 10 == 0) {
      const std::vector<std::string> read = ReadLines(t);
      ASSERT_EQ(read.size(), whole.size());
      for (size_t i = 0; i < read.size(); ++i) ASSERT_EQ(whole[i], read[i]) << i;
    }
  }
}

// A zero byte ends the text wherever it stands in a large one: in the part
// of either core, next to a break, or where a part begins.
TEST(LineIndexTest, AZeroByteEndsALargeTextWhereverItStands) {
  std::string text;
  for (int i = 0; text.size() < 400000; ++i) text += "line " + std::to_string(i) + "\r\n";
  for (const size_t at : {size_t{0}, size_t{5}, size_t{6}, size_t{7}, text.size() / 2 - 1,
                          text.size() / 2, text.size() / 2 + 1, text.size() - 1}) {
    SCOPED_TRACE(at);
    std::string t = text;
    t[at] = '\0';
    const std::vector<std::string> read = ReadLines(t);
    const refmill::text::LineIndex index(t);
    EXPECT_EQ(index.TextSize(), at);
    ASSERT_EQ(index.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i) ASSERT_EQ(index[i], read[i]) << i;
    EXPECT_EQ(refmill::text::SplitLines(t).size(), read.size());
  }
}

}  // namespace
