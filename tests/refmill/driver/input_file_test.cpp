#include "refmill/driver/input_file.h"

#include <gtest/gtest.h>

#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"

namespace {

using refmill::driver::DecodeInput;
using refmill::driver::ReadInputFile;
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

// A table read in place must come out as reading it would give it, down to
// a zero byte that ends it and the encoding guessed from its bytes.
TEST(ReadInputFileTest, ReadsInPlaceWhatReadingGives) {
  testing_support::TempFolder dir;
  const std::string lines = Sjis("*,jbook,山田,2001\r\n*,ebook,Smith,1999\r\n");
  struct Case {
    const char* name;
    std::string bytes;
    bool mapped;
  };
  const Case cases[] = {
      {"Shift-JIS", lines, true},
      {"UTF-8", "\xEF\xBB\xBF*,jbook,\xE5\xB1\xB1\xE7\x94\xB0,2001\r\n", true},
      {"a zero byte", lines + std::string(1, '\0') + "\xE5\xB1\xB1" + lines, false},
      {"UTF-16", std::string("\xFF\xFE*\0,\0a\0\r\0\n\0", 12), false},
      {"shorter than the size read in place", "*", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("table.csv", c.bytes);
    auto in_place = ReadInputFile(path, 1 << 20, true, 2);
    auto read = ReadInputFile(path, 1 << 20, true);
    EXPECT_EQ(in_place.mapped != nullptr, c.mapped);
    EXPECT_EQ(in_place.status, read.status);
    EXPECT_EQ(in_place.encoding, read.encoding);
    EXPECT_EQ(in_place.Bytes(), read.Bytes());
    const auto converted = in_place.encoding != platform::TextEncoding::kShiftJis;
    const auto text = DecodeInput(std::move(in_place), nullptr);
    EXPECT_EQ(text.Text(), DecodeInput(std::move(read), nullptr).Text());
    // Converted, it is held as its conversion only.
    EXPECT_EQ(text.mapped != nullptr, c.mapped && !converted);
  }
}

}  // namespace
