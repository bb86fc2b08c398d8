// The text rules and LaTeX conversion every value goes through.
#include <string>

#include <gtest/gtest.h>

#include "refimport/bibtex_names.h"
#include "refimport/latex_text.h"
#include "refimport/name_text.h"
#include "refimport/table_row.h"
#include "refimport/text_rules.h"

namespace refimport {
namespace {

struct Case {
  std::string in;
  std::string out;
};

TEST(LatexToTextTest, GivesTheCharactersLatexStandsFor) {
  const Case cases[] = {
      {R"(Kir{\'a}ly)", "Király"},
      {R"({\"O}zt{\"u}rk)", "Öztürk"},
      {R"(Erd{\H o}s)", "Erdős"},
      {R"(Erd\H{o}s)", "Erdős"},
      {R"(Ay\c{s}e)", "Ayşe"},
      {R"(\v{C}apek)", "Čapek"},
      {R"(Ma{\~n}ana)", "Mañana"},
      {R"(na\"{\i}ve)", "naïve"},
      {R"(Stra{\ss}e {\o} {\AA}ngstr{\"o}m)", "Straße ø Ångström"},
      {R"({IJ}zendoorn)", "IJzendoorn"},
      {R"(Smith \& Sons, 50\% \$ \# \_)", "Smith & Sons, 50% $ # _"},
      {R"(207--217 a---b)", "207–217 a—b"},
      {R"(A~B \emph{word} \textit{{X}})", "A B word X"},
      {R"(\'{})", ""},  // an accent on nothing
      {R"(\v{q})", "q\u030C"},
      // Cut short or unbalanced: never past the end, nothing invented.
      {R"(a\)", "a"},
      {R"(\')", ""},
      {R"({{a})", "a"},
      {R"(a}}b)", "ab"},
      {R"(\'{a)", "á"},
  };
  for (const Case& c : cases) EXPECT_EQ(LatexToText(c.in), c.out) << c.in;
}

TEST(LatexToTextTest, DeepNestingEndsWithoutDeepCalls) {
  const std::string deep_accents(100000, '\'');
  std::string accents;
  for (int i = 0; i < 100000; ++i) accents += "\\'";
  EXPECT_NO_FATAL_FAILURE(LatexToText(accents + "a"));
  EXPECT_EQ(LatexToText(std::string(100000, '{') + "x" + std::string(100000, '}')), "x");
  std::string groups;
  for (int i = 0; i < 100000; ++i) groups += "\\'{";
  EXPECT_NO_FATAL_FAILURE(LatexToText(groups));
}

TEST(TextRulesTest, SplitsSubtitles) {
  const struct {
    std::string title, main, sub;
  } cases[] = {
      {"Working memory", "Working memory", ""},
      {"Self-efficacy: Toward a unifying theory", "Self-efficacy", "Toward a unifying theory"},
      {"自己と感情：文化心理学による問いかけ", "自己と感情", "文化心理学による問いかけ"},
      {"信頼の構造――こころと社会の進化ゲーム", "信頼の構造", "こころと社会の進化ゲーム"},
      {"Ratio 3:2 and more", "Ratio 3:2 and more", ""},  // no blank after the colon
      {"A: b: c", "A", "b: c"},
  };
  for (const auto& c : cases) {
    const auto [main, sub] = SplitSubtitle(c.title);
    EXPECT_EQ(main, c.main) << c.title;
    EXPECT_EQ(sub, c.sub) << c.title;
  }
}

TEST(TextRulesTest, WritesPageRangesWithOneHyphen) {
  const Case cases[] = {{"207--217", "207-217"}, {"207–217", "207-217"},  {"207 - 217", "207-217"},
                        {"e1001", "e1001"},      {"S12--S19", "S12-S19"}, {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(PageRange(c.in), c.out) << c.in;
}

TEST(TextRulesTest, WritesTheEditionAsPrinted) {
  const struct {
    std::string in;
    bool japanese;
    std::string out;
  } cases[] = {
      {"2", false, "2nd ed."},
      {"2nd", false, "2nd ed."},
      {"Second", false, "2nd ed."},
      {"third edition", false, "3rd ed."},
      {"11", false, "11th ed."},
      {"21", false, "21st ed."},
      {"2nd edition", false, "2nd ed."},
      {"1", false, ""},
      {"first", true, ""},
      {"3", true, "第3版"},
      {"第3版", true, "第3版"},
      {"Rev. ed.", false, "Rev. ed."},
      {"99999999", false, "99999999"},
  };
  for (const auto& c : cases) EXPECT_EQ(EditionText(c.in, c.japanese), c.out) << c.in;
}

TEST(TextRulesTest, FindsTheYear) {
  const Case cases[] = {{"2001-05-03", "2001"},
                        {"May 2001", "2001"},
                        {"12345 1999", "1999"},
                        {"n.d.", "n.d."},
                        {"印刷中", "印刷中"}};
  for (const Case& c : cases) EXPECT_EQ(YearOf(c.in), c.out) << c.in;
}

TEST(TextRulesTest, TellsJapaneseFromWestern) {
  EXPECT_TRUE(HasJapanese("山田"));
  EXPECT_TRUE(HasJapanese("Xやまだ"));
  EXPECT_TRUE(HasJapanese("ｶﾀｶﾅ"));
  EXPECT_FALSE(HasJapanese("Király Erdős"));
  EXPECT_FALSE(HasJapanese("김철수"));    // Korean is not Japanese
  EXPECT_FALSE(HasJapanese("\xE3\x81"));  // cut short
}

TEST(NameTest, WritesEachNameInTheTablesForm) {
  const Case cases[] = {
      {"van IJzendoorn, Marinus H.", "Marinus H. van_IJzendoorn"},
      {"American Psychological Association", "American_Psychological_Association"},
      {"de la Fuente, Ana", "Ana de_la_Fuente"},
      {"Sartre, Jean-Paul", "Jean-Paul Sartre"},
      {"遠藤, 利彦", "遠藤#利彦"},
      {"遠藤 利彦", "遠藤#利彦"},
      {"遠藤　利彦", "遠藤#利彦"},
      {"遠藤，利彦", "遠藤#利彦"},
      {"遠藤利彦", "遠藤利彦"},
      {"Plato", "Plato"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(NameCell(NameFromText(c.in)), c.out) << c.in;
  EXPECT_EQ(NameCell(Name{"", "", "World Health Organization"}), "World_Health_Organization");
}

TEST(BibtexNamesTest, SplitsNamesByBibtexRules) {
  const Case cases[] = {
      {"van IJzendoorn, Marinus H. and Kroonenberg, Pieter M.",
       "Marinus H. van_IJzendoorn|Pieter M. Kroonenberg"},
      {"Marinus H. van IJzendoorn", "Marinus H. van_IJzendoorn"},
      {"Ludwig van Beethoven AND Kir{\\'a}ly, Ildik{\\'o}", "Ludwig van_Beethoven|Ildikó Király"},
      {"King, Jr, Martin Luther", "Martin Luther King_Jr"},
      {"{American Psychological Association}", "American_Psychological_Association"},
      {"{Barnes and Noble}", "Barnes_and_Noble"},
      {"Jean-Paul Sartre and others", "Jean-Paul Sartre"},
      {"遠藤 利彦 and 数井, みゆき", "遠藤#利彦|数井#みゆき"},
      {"Plato", "Plato"},
      {" and , and {", ""},
  };
  for (const Case& c : cases) {
    std::string cells;
    for (const Name& name : BibtexNames(c.in)) cells += (cells.empty() ? "" : "|") + NameCell(name);
    EXPECT_EQ(cells, c.out) << c.in;
  }
}

TEST(TableRowTest, ChoosesTheCategoryAndPlacesEveryValue) {
  Reference r;
  r.kind = Kind::kChapter;
  r.authors = {Name{"遠藤", "利彦", ""}};
  r.editors = {Name{"数井", "みゆき", ""}, Name{"遠藤", "利彦", ""}};
  r.year = "2005";
  r.title = "Title | with bar";
  r.container = "アタッチメント：生涯にわたる絆";
  r.pages = "1--31";
  r.volume = "4";
  r.issue = "2";
  r.edition = "2";
  r.doi = "10.1/x";
  r.reading = "えんどう としひこ";
  const std::vector<std::string> row = TableRow(r, 7);
  const std::vector<std::string> expected = {"*",
                                             "jchapter",
                                             "遠藤#利彦",
                                             "2005",
                                             "Title ｜ with bar",
                                             "アタッチメント|生涯にわたる絆",
                                             "4|2",
                                             "1-31",
                                             "",
                                             "",
                                             "数井#みゆき|遠藤#利彦",
                                             "",
                                             "",
                                             "",
                                             "",
                                             "えんどう",
                                             "7",
                                             "第2版",
                                             "10.1/x"};
  EXPECT_EQ(row, expected);

  Reference edited;  // a Western edited book and a Japanese one
  edited.editors = {Name{"Tulving", "Endel", ""}};
  edited.title = "Organization of memory";
  EXPECT_EQ(TableRow(edited, 1)[1], "ebook");
  EXPECT_EQ(TableRow(edited, 1)[2], "Endel Tulving");
  EXPECT_EQ(TableRow(edited, 1)[10], "");
  edited.editors = {Name{"子安", "増生", ""}};
  EXPECT_EQ(TableRow(edited, 1)[1], "jbook");
  EXPECT_EQ(TableRow(edited, 1)[2], "子安#増生編");
}

}  // namespace
}  // namespace refimport
