#include "refmill/text/sjis.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/sjis_literal.h"

namespace {

using namespace refmill::text;  // NOLINT: the helpers under test
using testing_support::Sjis;

TEST(FindTest, MatchesOnlyOnCharacterBoundaries) {
  struct Case {
    const char* name;
    std::string needle;
    std::string text;
    size_t expected;
  };
  const Case cases[] = {
      // ポ is 83 7C: its second byte has the value of "|".
      {"trail byte is not a separator", "|", Sjis("ポ"), 0},
      {"after a double-byte character", "|", Sjis("ア|"), 3},
      // ダ is 83 5F: its second byte has the value of "_".
      {"underscore inside da", "_", Sjis("ダ_"), 3},
      {"empty needle", "", "abc", 0},
      {"empty text", "a", "", 0},
      {"case counts", "A", "a", 0},
      {"first of several", "b", "abab", 2},
      {"multi-byte needle", Sjis("ほか"), Sjis("山田ほか"), 5},
      {"needle longer than text", "abc", "ab", 0},
      // A lone lead byte at the end is one character; nothing past it is read.
      {"lone lead byte at the end", "|", "a\x83", 0},
      {"match after lone lead byte skipped", "x", "\x83x", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Find(c.needle, c.text), c.expected);
  }
}

// FindByte takes a short cut where the byte cannot be a second byte or
// the byte before it cannot open a character; on every short text of bytes
// that mix these cases it must agree with the general search.
TEST(FindByteTest, AgreesWithTheGeneralSearch) {
  const char kBytes[] = {'a', '|', '#', '\x83', '\x82', '\x7C', '\xE0'};
  std::string text;
  size_t checked = 0;
  std::function<void()> each = [&] {
    for (size_t from = 0; from <= text.size();
         from += from < text.size() ? refmill::text::CharLength(text, from) : 1) {
      for (const char byte : {'|', '#', '\x83', 'a'}) {
        ASSERT_EQ(refmill::text::FindByte(text, byte, from),
                  refmill::text::FindFrom(text, std::string_view(&byte, 1), from))
            << testing::PrintToString(text) << " from " << from;
        ++checked;
      }
    }
    if (text.size() == 5) return;
    for (const char b : kBytes) {
      text.push_back(b);
      each();
      text.pop_back();
    }
  };
  each();
  EXPECT_GT(checked, 10000u);
}

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutRescanning) {
  struct Case {
    const char* name;
    std::string text, pattern, replacement, expected;
  };
  const Case cases[] = {
      {"no overlap", "aaa", "aa", "b", "ba"},
      {"inserted text not searched", "ab", "b", "bb", "abb"},
      {"empty pattern", "abc", "", "x", "abc"},
      {"trail bytes untouched", Sjis("ダ_ダ"), "_", " ", Sjis("ダ ダ")},
      {"double-byte pattern", Sjis("山田編"), Sjis("編"), Sjis("#編"), Sjis("山田#編")},
      {"pattern absent", "abc", "z", "y", "abc"},
      {"delete", "a|b|", "|", "", "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.expected);
  }
}

TEST(DeleteAllTest, RemovesOnlyWholeCharacters) {
  struct Case {
    const char* name;
    std::string text, expected;
  };
  const Case cases[] = {
      {"none", "abc", "abc"},
      {"several", "|a||b|", "ab"},
      {"trail byte kept", Sjis("ポ|ポ"), Sjis("ポポ")},
      {"lone lead byte at the end", "a|\x83", "a\x83"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DeleteAll(c.text, '|'), c.expected);
    std::string in_place = c.text;
    DeleteAllInPlace(in_place, '|');
    EXPECT_EQ(in_place, c.expected);
  }
}

TEST(LastPosTest, FindsTheLastByteOnABoundary) {
  struct Case {
    const char* name;
    char byte;
    std::string text;
    size_t expected;
  };
  const Case cases[] = {
      {"middle", ' ', "a b c", 4},
      {"at the end", ' ', "abc ", 4},
      {"absent", ' ', "abc", 0},
      {"empty", ' ', "", 0},
      {"trail byte ignored", '|', Sjis("A|ポ"), 2},
      {"lone lead byte", '|', "|\x83", 1},
      {"blank among Japanese names", ' ', Sjis("山田 太郎 ポ"), 10},
      {"blank after a lone lead byte", ' ', "a\x83 b", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LastPos(c.byte, c.text), c.expected);
  }
}

TEST(FirstCharTest, TakesWholeCharacters) {
  EXPECT_EQ(FirstChar(Sjis("山田")), Sjis("山"));
  EXPECT_EQ(FirstChar("Smith"), "S");
  EXPECT_EQ(FirstChar(""), "");
  EXPECT_EQ(FirstChar("\x83"), "\x83");
}

TEST(SplitOnByteTest, SplitsOnlyOnCharacterBoundaries) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"empty", "", {""}},
      {"plain", "a|b", {"a", "b"}},
      {"trailing separator", "a|", {"a", ""}},
      {"trail byte", Sjis("ポ|x"), {Sjis("ポ"), "x"}},
      {"lone lead byte", "a|\x83", {"a", "\x83"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitOnByte(c.text, '|'), c.expected);
  }
}

TEST(LoneLeadByteTest, EveryHelperReadsTheNextByteOnItsOwn) {
  struct Case {
    const char* name;
    std::string text;
    size_t length;  // CharLength at 0
  };
  // A lead byte pairs only with 40-7E and 80-FC.
  const Case lengths[] = {
      {"40 closes", "\x83\x40", 2}, {"7E closes", "\x83\x7E", 2}, {"80 closes", "\x83\x80", 2},
      {"FC closes", "\xE0\xFC", 2}, {"comma", "\x83,", 1},        {"3F", "\x83\x3F", 1},
      {"7F", "\x83\x7F", 1},        {"FD", "\x9F\xFD", 1},        {"line end", "\x83", 1},
  };
  for (const Case& c : lengths) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refmill::text::CharLength(c.text, 0), c.length);
  }
  // The separators that no character ends in are found after a lone lead byte.
  EXPECT_EQ(Find("#", "a\x83#b"), 3u);
  EXPECT_EQ(Find("=", "\x83="), 2u);
  EXPECT_EQ(LastPos(' ', "a\x83 b"), 3u);
  EXPECT_EQ(SplitOnByte("\x83=x", '='), (std::vector<std::string>{"\x83", "x"}));
  EXPECT_EQ(ReplaceAll("\x83$AT", "$AT", "X"), "\x83X");
  EXPECT_EQ(DeleteAll("\x83#", '#'), "\x83");
  EXPECT_EQ(FirstChar("\x83,x"), "\x83");
  // "|" can end a character: after a lead byte it is part of one.
  EXPECT_EQ(Find("|", "\x83|"), 0u);
}

TEST(CaseTest, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(LowerAscii("SMITH" + Sjis("ア")), "smith" + Sjis("ア"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Smith 1999", "sMITH 1999"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(Sjis("ア"), Sjis("ャ")));  // 83 41 and 83 61
  EXPECT_TRUE(EndsWith(Sjis("山田ほか"), Sjis("ほか")));
  // "\x82\xD9\x82\xA9" preceded by a lead byte: the suffix would start on a trail byte.
  EXPECT_FALSE(EndsWith("\x88" + Sjis("ほか").substr(1), Sjis("ほか").substr(1)));
}

}  // namespace
