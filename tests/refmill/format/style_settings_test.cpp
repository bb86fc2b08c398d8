#include "refmill/format/style_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using refmill::format::AbbreviationTable;
using refmill::format::EscapeRules;
using refmill::format::TemplateTable;

TEST(AbbreviationTableTest, FindsTitlesWithoutRegardToCase) {
  const std::vector<std::string_view> lines = {
      "Journal of Examples=J. Ex.", "JOURNAL OF EXAMPLES=second", "A=B=C", "no equals sign",
      "Empty=",
      // Letters at the edges of the alphabet, eight bytes and more of them
      // at once, with two-byte characters whose second bytes are letters.
      "@AZ[`az{ Quarterly of ZEBRAS=Q. Zebr.", "\x83\x41\x83\x5A Review of Kana Studies=RKS",
      "Annals\x83\x41"
      "Abcdefghijklmnopqrstuvwxyz=Ann."};
  // Read from a file, a title and its abbreviation end where the line does,
  // however it ends; nothing after a zero byte counts.
  std::vector<std::string> wholes;
  for (const std::string_view line_break : {"\r\n", "\n", "\r"}) {
    std::string whole;
    for (std::string_view line : lines) (whole += line) += line_break;
    wholes.push_back(whole);
  }
  wholes.back().pop_back();
  wholes.push_back(wholes.front() + "Cut short=cut" + std::string(1, '\0') + "Missing=M.\r\n");
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
      {"only A to Z are letters", "@az[`AZ{ quarterly OF zebras", "Q. Zebr."},
      {"a byte before A or after Z is not a letter", "`AZ[`az{ Quarterly of ZEBRAS", ""},
      {"a byte after z is not a letter", "@AZ[`az[ Quarterly of ZEBRAS", ""},
      {"second bytes keep their case", "\x83\x41\x83\x5A review OF KANA studies", "RKS"},
      {"a second byte is no letter", "\x83\x61\x83\x7A Review of Kana Studies", ""},
      {"letters after a two-byte character",
       "ANNALS\x83\x41"
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
       "Ann."},
  };
  std::vector<AbbreviationTable> tables = {AbbreviationTable(lines)};
  for (const std::string& whole : wholes) tables.push_back(AbbreviationTable::FromText(whole));
  for (size_t t = 0; t < tables.size(); ++t) {
    SCOPED_TRACE(t);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      EXPECT_EQ(tables[t].Lookup(c.title), c.expected);
    }
  }
  EXPECT_EQ(tables.back().Lookup("cut SHORT"), "cut");
  EXPECT_EQ(tables.back().Lookup("Missing"), "");

  // Titles and abbreviations about as long as the index keeps their
  // lengths, and longer: each of `n` bytes, numbered.
  const auto numbered = [](char letter, size_t n) {
    const std::string number = std::to_string(n);
    return std::string(n - number.size(), letter) + number;
  };
  const std::vector<size_t> lengths = {254, 255, 256, 600};
  std::string long_lines;
  for (const size_t n : lengths) {
    long_lines += numbered('T', n) + "=short " + std::to_string(n) + "\r\n";
    long_lines += "short " + std::to_string(n) + "=" + numbered('a', n) + "\r\n";
  }
  const AbbreviationTable long_table = AbbreviationTable::FromText(long_lines);
  for (const size_t n : lengths) {
    SCOPED_TRACE(n);
    EXPECT_EQ(long_table.Lookup(numbered('t', n)), "short " + std::to_string(n));
    EXPECT_EQ(long_table.Lookup("SHORT " + std::to_string(n)), numbered('a', n));
    EXPECT_EQ(long_table.Lookup(numbered('t', n).substr(1)), "");
  }
}

// Thousands of titles crowd the index: every one is found, by its own
// abbreviation, and titles it lacks are not.
TEST(AbbreviationTableTest, FindsEveryTitleOfALargeTable) {
  std::vector<std::string> lines;
  for (int i = 0; i < 5000; ++i) {
    lines.push_back("Journal " + std::to_string(i) + "=J" + std::to_string(i));
  }
  lines.push_back("=for an empty title");
  // Far from the line it repeats, the first line still counts.
  lines.push_back("journal 3=later");
  const AbbreviationTable table(std::vector<std::string_view>(lines.begin(), lines.end()));
  EXPECT_EQ(table.size(), 5001u);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(table.Lookup("JOURNAL " + std::to_string(i)), "J" + std::to_string(i));
  }
  EXPECT_EQ(table.Lookup("Journal 5000"), "");
  EXPECT_EQ(table.Lookup(""), "for an empty title");
  // A line without "=" counts as the empty title, first come first kept.
  const AbbreviationTable first({"no equals sign", "=later"});
  EXPECT_EQ(first.Lookup(""), "");
  EXPECT_EQ(AbbreviationTable().Lookup("Journal"), "");
}

TEST(TemplateTableTest, FindsCategoriesWithoutRegardToCase) {
  // A few lines are compared in turn, many looked up by name: alike.
  for (const size_t extra : {0, 30}) {
    SCOPED_TRACE(extra);
    std::vector<std::string> lines = {"jbook=first", "JBOOK=second", "ebook="};
    for (size_t i = 0; i < extra; ++i) lines.push_back("cat" + std::to_string(i) + "=t");
    lines.push_back("=no name");
    const TemplateTable table(lines, {});
    EXPECT_EQ(table.Find("Jbook")->text, "first");
    EXPECT_EQ(table.Find("ebook")->text, "");
    EXPECT_FALSE(table.Find("tbook").has_value());
    EXPECT_FALSE(table.Find("jboo").has_value());
    EXPECT_EQ(table.Find("")->text, "no name");
  }
}

TEST(EscapeRulesTest, EscapesEachPlaceOnceByTheFirstRule) {
  const EscapeRules latex({"\\=\\textbackslash{}", "{=\\{", "}=\\}", "%=\\%", "_=\\_", "ab=first",
                           "a=second", "=no name"});
  const EscapeRules html({"&=&amp;", "<=&lt;", ">=&gt;"});
  const EscapeRules none;
  const EscapeRules five({"a=A", "b=B", "c=C", "d=D", "e=E"});
  struct Case {
    const char* name;
    const EscapeRules& rules;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing to escape", latex, "word", "word"},
      {"what a rule wrote is not read again", latex, "\\x{1}", "\\textbackslash{}x\\{1\\}"},
      {"percent and underscore", latex, "50% a_b", "50\\% second\\_b"},
      {"first rule in file order wins", latex, "abc", "firstc"},
      {"html", html, "<b> & </b>", "&lt;b&gt; &amp; &lt;/b&gt;"},
      // 0x5C as the second byte of a double-byte character (ソ, 83 5C) is no backslash.
      {"second bytes are not characters", latex, "\x83\x5C_", "\x83\x5C\\_"},
      {"no rules", none, "a&b", "a&b"},
      {"html after double-byte characters", html, "\x8A\xBF\x83\x5C&\x83\x5C<",
       "\x8A\xBF\x83\x5C&amp;\x83\x5C&lt;"},
      // Long values are searched sixteen bytes at a time: the first place to
      // escape may stand in any block, or after the last whole one.
      {"long, nothing to escape", html, std::string(40, 'x'), std::string(40, 'x')},
      {"long, first block", html, "0123456789abcde<" + std::string(20, 'x'),
       "0123456789abcde&lt;" + std::string(20, 'x')},
      {"long, second block", html, std::string(16, 'x') + ">" + std::string(20, 'y'),
       std::string(16, 'x') + "&gt;" + std::string(20, 'y')},
      {"long, after the last block", html, std::string(32, 'x') + "ab&",
       std::string(32, 'x') + "ab&amp;"},
      {"long, more first bytes than compared at once", five,
       std::string(20, 'x') + "e" + std::string(20, 'x'),
       std::string(20, 'x') + "E" + std::string(20, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = c.text;
    c.rules.ApplyInPlace(text);
    EXPECT_EQ(text, c.expected);
  }
}

}  // namespace
