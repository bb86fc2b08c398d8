#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(EncodingTest, ConvertsTheWindowsCodePage) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string sjis;
  };
  const Case cases[] = {
      {"ascii", "abc", "abc"},
      {"kana", "ポ", "\x83\x7C"},
      {"middle dot", "・", "\x81\x45"},
      {"horizontal bar of the subtitle dashes", "――", "\x81\x5C\x81\x5C"},
      {"black square", "■", "\x81\xA1"},
      {"half-width katakana", "ｶﾝﾏ", "\xB6\xDD\xCF"},
      {"full-width colon and space", "　：", "\x81\x40\x81\x46"},
      {"NEC special", "①", "\x87\x40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::Utf8ToSjis(c.utf8), c.sjis);
    EXPECT_EQ(platform::SjisToUtf8(c.sjis), c.utf8);
  }
}

TEST(EncodingTest, CountsWhatShiftJisCannotHold) {
  size_t lost = 0;
  EXPECT_EQ(platform::Utf8ToSjis("a\xF0\x9F\x98\x80" "b\xC3\xA9", "\x81\xAC", &lost),
            "a\x81\xAC" "b\x81\xAC");
  EXPECT_EQ(lost, 2u);
}

}  // namespace
