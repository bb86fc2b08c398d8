#include "refmill/driver/input_file.h"

#include <gtest/gtest.h>

#include "tests/support/sjis_literal.h"

namespace {

using refmill::driver::DecodeInput;
using testing_support::Sjis;

TEST(DecodeInputTest, ConvertsUtf8AndLeavesShiftJisAlone) {
  struct Case {
    const char* name;
    std::string raw;
    std::string bytes;
    bool converted;
    size_t unmappable;
  };
  const Case cases[] = {
      {"Shift-JIS stays", Sjis("*,jbook,山田,2001"), Sjis("*,jbook,山田,2001"), false, 0},
      {"plain ASCII stays", "*,ebook,Smith", "*,ebook,Smith", false, 0},
      {"UTF-8 without mark", "*,jbook,山田#太郎", Sjis("*,jbook,山田#太郎"), true, 0},
      {"UTF-8 with mark", "\xEF\xBB\xBF[General]\r\nheader=参考文献",
       Sjis("[General]\r\nheader=参考文献"), true, 0},
      {"mark alone", "\xEF\xBB\xBF", "", true, 0},
      {"characters Shift-JIS lacks",
       "a\xF0\x9F\x93\x9A"
       "b\xC3\xA9",
       "a" + Sjis("〓") + "b" + Sjis("〓"), true, 2},
      // Half-width katakana are single bytes that never form valid UTF-8.
      {"half-width katakana stay", Sjis("ｶﾝﾏ"), Sjis("ｶﾝﾏ"), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto text = DecodeInput(c.raw);
    EXPECT_EQ(text.bytes, c.bytes);
    EXPECT_EQ(text.converted(), c.converted);
    EXPECT_EQ(text.unmappable, c.unmappable);
  }
}

}  // namespace
