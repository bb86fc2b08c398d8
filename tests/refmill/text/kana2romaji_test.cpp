#include "refmill/text/kana2romaji.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/sjis_literal.h"

namespace {

using refmill::text::TKana2Romaji;
using testing_support::Sjis;

TEST(TKana2RomajiTest, AppliesRulesInOrderThenDoublingMarkers) {
  struct Case {
    const char* name;
    std::string table;
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"empty input", "a=b\r\n", "", ""},
      {"empty table doubles", "", "ha#tori", "hattori"},
      {"empty table leaves text", "", "abc", "abc"},
      {"uncovered text passes", Sjis("か=ka\r\n"), Sjis("山田か1"), Sjis("山田") + "ka1"},
      {"one byte never matches a trail byte", "A=x\r\n", Sjis("ア"), Sjis("ア")},
      {"case-sensitive", "ka=X\r\n", "KA", "KA"},
      {"longer rule first", Sjis("きゃ=kya\r\nき=ki\r\n"), Sjis("きゃき"), "kyaki"},
      {"prefix rule first hides the longer", Sjis("き=ki\r\nきゃ=kya\r\n"), Sjis("きゃ"),
       "ki" + Sjis("ゃ")},
      {"later rule rewrites earlier output", Sjis("か=ka\r\na=A\r\n"), Sjis("か"), "kA"},
      {"markers copy their own next byte", "", "x#ka#ta", "xkkatta"},
      {"marker at the end", "", "a#", "a#"},
      {"marker second to last", "", "a#b", "a#b"},
      {"marker with two bytes after", "", "a#bc", "abbc"},
      {"marker before a double-byte character copies its lead byte", "", "#" + Sjis("ア") + "x",
       "\x83" + Sjis("ア") + "x"},
      {"small tsu through a marker", Sjis("っ=#\r\nか=ka\r\n"), Sjis("がっか"), Sjis("が") + "kka"},
      {"marker after a marker does not hang", "", "##ka", "kka"},
      // Rules are passed over by what the text holds; none may be missed.
      {"ASCII rule after kana rules", Sjis("か=ka\r\nou=o\r\n"), "tokyou", "tokyo"},
      {"ASCII rule bringing in kana", Sjis("ou=お\r\nお=o\r\n"), "tokyou", "tokyo"},
      {"rule whose second byte follows a kana", Sjis("かa=X\r\n"), Sjis("かかa"), Sjis("か") + "X"},
      {"pattern from a character's second byte", "AA=X\r\n", Sjis("ア") + "A", Sjis("ア") + "A"},
      {"many markers", "", "###ka", "kka"},
      {"blanks belong to the rule", Sjis("ん = n\r\n"), Sjis("ん a"), " na"},
      {"no equals sign is an empty rule", "junk\r\n=x\r\nb=c", "junk=xb", "junk=xc"},
      {"later equals signs are replacement", "a=b=c\n", "a", "b=c"},
      {"zero byte ends the table", std::string("a=b\0\nc=d\n", 10), "ac", "bc"},
      {"an earlier rule is not tried again", "a=b\nc=a\n", "ca", "ab"},
      // A text is let pass when it lacks a rule's rarest byte, which may
      // stand anywhere in the pattern.
      {"rare byte in the middle", "k\x05a=kwa\n", "xk\x05a", "xkwa"},
      {"rare byte at the end", Sjis("aー=aa\n"), Sjis("baー"), "baa"},
      {"rare byte missing", "k\x05a=kwa\ni\x03=y\n", "kika", "kika"},
      // Rules far apart in the table, across 64 rules, in table order.
      {"rules far apart", "c=d\n" + std::string(70, '\n') + "d=e\nx=c\n", "cx", "ec"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TKana2Romaji::FromText(c.table).Convert(c.input), c.expected);
  }
}

TEST(TKana2RomajiTest, CountsLinesAsRulesUpToCapacity) {
  EXPECT_EQ(TKana2Romaji::FromText("a=b\r\n\r\nc=d").RuleCount(), 3);
  EXPECT_EQ(TKana2Romaji::FromText("").RuleCount(), 0);
  std::string big;
  for (int i = 0; i < 200; ++i) big += "<" + std::to_string(i) + ">=x\r\n";
  const TKana2Romaji table = TKana2Romaji::FromText(big);
  EXPECT_EQ(table.RuleCount(), 151);
  EXPECT_EQ(table.Convert("<150>"), "x");
  EXPECT_EQ(table.Convert("<151>"), "<151>") << "rules beyond the 151st are not used";
}

TEST(TKana2RomajiTest, RulesThatMultiplyATextStopGrowingIt) {
  // Each rule doubles every "a", and then a rule with a long replacement: in
  // full, a single "a" would become terabytes.
  std::string table;
  for (int i = 0; i < 40; ++i) table += "a=aa\r\n";
  table += "a=" + std::string(100000, 'b') + "\r\n";
  const std::string out = TKana2Romaji::FromText(table).Convert("a#xy");
  EXPECT_LE(out.size(), size_t{1} << 20);
  EXPECT_EQ(out.find_first_not_of('a'), out.size() - 3) << "the marker is still resolved";
  EXPECT_EQ(out.substr(out.size() - 3), "xxy");
}

}  // namespace

TEST(TKana2RomajiTest, TextsLeftUnchangedConvertToThemselves) {
  // The kana's second bytes are ASCII letters: "ア" is 83 41, and "A" alone
  // is no match for its rule.
  const std::string table = Sjis("ア=a\r\nか=ka\r\nっ=#\r\nsh=S\r\n");
  struct Case {
    const char* name;
    std::string text;
    bool unchanged;
  };
  const Case cases[] = {
      {"Latin letters and digits", "turner1990", true},
      {"the kana's second byte alone", "AAA1990", true},
      {"a rule of Latin letters", "ashby1990", false},
      {"kana", Sjis("アか1990"), false},
      {"a doubling marker", "ab#c", false},
      {"empty", "", true},
  };
  const TKana2Romaji romaji = TKana2Romaji::FromText(table);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(romaji.LeavesUnchanged(c.text), c.unchanged);
    if (c.unchanged) {
      EXPECT_EQ(romaji.Convert(c.text), c.text);
    }
  }
}

// An ID's base is romanised apart from its year where no rule can reach
// into the year; with the year after it, it must read as the whole would,
// also where a rule would grow the text to just about the limit.
TEST(TKana2RomajiTest, AHeadConvertsAsInTheWholeText) {
  // One "a" and a tail of four bytes may grow to 5 * 16 + 4096 bytes: the
  // head alone gives up at 4,112 (its own length) and at 4,172 (the tail's
  // bytes left out), the whole text only past 4,176.
  const auto grown = [](size_t length) { return "a=" + std::string(length, 'b') + "\r\n"; };
  struct Case {
    const char* name;
    std::string table;
    std::string head;
    std::string tail;
    bool reached;  // a rule or a doubling marker may reach into the tail
  };
  const Case cases[] = {
      {"kana then a year", Sjis("か=ka\r\nっ=#\r\nた=ta\r\n"), Sjis("かった"), "1999", false},
      {"grown, the whole within its limit", grown(4150), "a", "1999", false},
      {"grown, the head alone over it", grown(4174), "a", "1999", false},
      {"grown far over the limit", grown(9000), "a", "1999", false},
      {"a rule holding a byte of the tail", Sjis("か=ka\r\n9=nine\r\n"), Sjis("か"), "1999", true},
      {"a rule across the two", Sjis("か1=X\r\n"), Sjis("か"), "1999", true},
      {"a trail byte as a letter of the tail", Sjis("ア=a\r\n"), Sjis("ア"), "1999A", true},
      {"a marker in the tail", "", "ab", "1#99", true},
      {"a marker left before the tail", Sjis("っ=#\r\n"), Sjis("かっ"), "1999", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TKana2Romaji table = TKana2Romaji::FromText(c.table);
    EXPECT_EQ(table.NoRuleReaches(c.tail), !c.reached);
    if (c.reached) continue;
    const std::string head = table.ConvertHead(c.head, c.tail.size());
    const std::string whole = table.Convert(c.head + c.tail);
    if (head.find('#') != std::string::npos) {
      // Left to the whole text, which the marker takes the tail's first byte in.
      EXPECT_NE(head + c.tail, whole);
    } else {
      EXPECT_EQ(head + c.tail, whole);
    }
  }
}
