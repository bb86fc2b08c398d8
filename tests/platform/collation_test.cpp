#include "platform/collation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sjis_literal.h"

namespace {

using testing_support::Sjis;

std::vector<std::string> Sorted(const std::vector<std::string>& texts, unsigned threads = 1) {
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  std::vector<std::string> out;
  for (uint32_t i : platform::JapaneseSortOrder(views, threads)) out.push_back(texts[i]);
  return out;
}

TEST(JapaneseSortOrderTest, OrdersAsAJapaneseReaderExpects) {
  struct Case {
    const char* name;
    std::vector<std::string> input;
    std::vector<std::string> expected;
  };
  const std::string far(45, 'x');
  const Case cases[] = {
      {"letter case ignored", {"b", "a", "A", "C"}, {"A", "a", "b", "C"}},
      {"full-width letters ignore case", {Sjis("ｂ"), Sjis("Ａ")}, {Sjis("Ａ"), Sjis("ｂ")}},
      {"kana in gojuon order",
       {Sjis("さとう"), Sjis("あべ"), Sjis("かとう")},
       {Sjis("あべ"), Sjis("かとう"), Sjis("さとう")}},
      {"Latin before kana before kanji",
       {Sjis("山田"), Sjis("やまだ"), "Yamada"},
       {"Yamada", Sjis("やまだ"), Sjis("山田")}},
      {"prefix first", {"Smithson", "Smith"}, {"Smith", "Smithson"}},
      // Equal under collation, so their bytes decide: "A" (41) before "a" (61).
      {"ties by bytes", {"smith |x", "Smith |x"}, {"Smith |x", "smith |x"}},
      {"index compared as text", {"a |e|3", "a |e|12"}, {"a |e|12", "a |e|3"}},
      {"apostrophe kept", {"Obrien", "O'Brien", "OBrien"}, {"O'Brien", "OBrien", "Obrien"}},
      // ICU reads back to the kana before the mark, which must be there even
      // where the line is decoded only partly.
      {"prolonged sound mark weighs as the vowel before it",
       {Sjis("カーb"), Sjis("カイa"), Sjis("カアa"), Sjis("カアc")},
       {Sjis("カアa"), Sjis("カーb"), Sjis("カアc"), Sjis("カイa")}},
      {"the same far into a line",
       {far + Sjis("カーb"), far + Sjis("カイa"), far + Sjis("カアa"), far + Sjis("カアc")},
       {far + Sjis("カアa"), far + Sjis("カーb"), far + Sjis("カアc"), far + Sjis("カイa")}},
      {"a lead byte ends the line", {"ab\x82", "ab", "ab\x82\xA0"}, {"ab", "ab\x82\xA0", "ab\x82"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.input), c.expected);
  }
}

TEST(JapaneseSortOrderTest, LongSharedPrefixesAreToldApart) {
  // Lines that agree far beyond the first key chunk must still be ordered
  // by what follows, and the order must not depend on the thread count.
  const std::string common = Sjis("やまだ |山田太郎（1999）心理学研究における長い長い表題の例");
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) texts.push_back(common + std::to_string((i * 7919) % 20000));
  std::vector<std::string> expected = texts;
  std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
    // Digits only differ here, and digits collate like their bytes.
    return a < b;
  });
  EXPECT_EQ(Sorted(texts, 1), expected);
  EXPECT_EQ(Sorted(texts, 2), expected);
}

TEST(JapaneseSortOrderTest, BrokenBytesDoNotCrashAndStayDistinct) {
  const std::vector<std::string> texts = {"a\x83", "a\x84", "a", std::string("\xFF\xFE", 2)};
  const std::vector<std::string> sorted = Sorted(texts);
  EXPECT_EQ(sorted.size(), texts.size());
  EXPECT_EQ(sorted.front(), "a");
}

TEST(JapaneseCompareTest, AgreesWithTheSortOrder) {
  EXPECT_LT(platform::JapaneseCompare("apple", "Banana"), 0);
  EXPECT_GT(platform::JapaneseCompare(Sjis("山田"), Sjis("やまだ")), 0);
  EXPECT_EQ(platform::JapaneseCompare("x", "x"), 0);
}

}  // namespace
