#include "refmill/driver/settings_loader.h"

#include <gtest/gtest.h>

#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"

namespace {

using refmill::driver::LoadDataFiles;
using refmill::driver::LoadStyleSettings;
using refmill::driver::PrepareTemplates;
using refmill::format::StyleSettings;
using testing_support::Sjis;
using testing_support::TempFolder;

TEST(LoadStyleSettingsTest, UsesDefaultsForWhatIsMissing) {
  TempFolder dir;
  const std::string style = dir.Write("s.ini", "[InputFormat]\r\n$AT=2\r\n");
  const StyleSettings s = LoadStyleSettings(style, dir.File("missing.trl"));
  EXPECT_EQ(s.jname_sep, Sjis("・"));
  EXPECT_EQ(s.jname_sep2, Sjis("／"));
  EXPECT_EQ(s.jname_etal, Sjis("ほか"));
  EXPECT_EQ(s.ename_etal, "et al.");
  EXPECT_EQ(s.translator, Sjis("訳"));
  EXPECT_EQ(s.j_ed, Sjis("編"));
  EXPECT_EQ(s.j_sub, Sjis("――"));
  EXPECT_EQ(s.no, "($)");
  EXPECT_FALSE(s.etal);
  EXPECT_TRUE(s.sameyear);
  EXPECT_EQ(s.sort, 1);
  EXPECT_EQ(s.e_at, 1);
  EXPECT_EQ(s.header, "");
  EXPECT_EQ(s.roles.author, 2);
  EXPECT_TRUE(s.escapes.empty());
  EXPECT_FALSE(s.order.First().has_value());
}

TEST(LoadStyleSettingsTest, ReadsEscapesAndTheOrderTemplate) {
  TempFolder dir;
  const std::string style =
      dir.Write("s.ini", "[InputFormat]\r\n$TL=2\r\n[General]\r\norder=$TL!\r\n");
  // An underscore in [Escape] is itself, not a blank as in [Replace].
  const std::string file_type =
      dir.Write("t.trl", "[Replace]\r\n_=-\r\n[Escape]\r\n_=\\_\r\n\\=\\textbackslash{}\r\n");
  const StyleSettings s = LoadStyleSettings(style, file_type);
  std::string value = "a_b\\";
  s.escapes.ApplyInPlace(value);
  EXPECT_EQ(value, "a\\_b\\textbackslash{}");
  ASSERT_TRUE(s.order.First().has_value());
  EXPECT_EQ(s.order.First()->text, "$TL!");
}

TEST(LoadStyleSettingsTest, ReadsOptionalPartsAndTheFileTypesDashAndLink) {
  TempFolder dir;
  const std::string style = dir.Write(
      "s.ini",
      "[InputFormat]\r\n$YR=3\r\n$EN=4\r\n$DO=5\r\n[OutputFormat]\r\nebook=<i>$YR</i>{? ($EN)?}\r\n"
      "[Special]\r\noptional=1\r\netal_names=0\r\nnames_max=1\r\nen_dash=1\r\n"
      "doi=https://doi.org/\r\n[General]\r\norder=$YR{?$EN?}\r\n");
  // A rule that would break the closing mark apart must not reach it.
  const std::string file_type =
      dir.Write("t.trl",
                "[General]\r\nen_dash=--\r\nlink=<a "
                "href=\"$\">$</a>\r\n[Replace]\r\n?=!\r\n<i>=\\textit{\r\n");
  const StyleSettings s = LoadStyleSettings(style, file_type);
  EXPECT_TRUE(s.optional);
  EXPECT_TRUE(s.en_dash);
  EXPECT_EQ(s.etal_names, 1);
  EXPECT_EQ(s.names_max, 0);
  EXPECT_EQ(s.names_gap, ". . .");
  EXPECT_EQ(s.doi, "https://doi.org/");
  EXPECT_EQ(s.page_dash, "--");
  EXPECT_EQ(s.link, "<a href=\"$\">$</a>");
  EXPECT_EQ(s.roles.doi, 5);
  ASSERT_TRUE(s.templates.Find("ebook").has_value());
  EXPECT_EQ(s.templates.Find("ebook")->text, "\\textit{$YR</i>\x01 ($EN)\x02");
  EXPECT_EQ(s.order.First()->text, "$YR\x01$EN\x02");
}

TEST(LoadStyleSettingsTest, AppliesRangeRules) {
  struct Case {
    const char* name;
    std::string special;  // lines of [Special]
    std::string general;  // lines of [General]
    int e_at, page, sort;
  };
  const Case cases[] = {
      {"in range", "e_at=2\npage=2\n", "sort=0\n", 2, 2, 0},
      {"too large", "e_at=7\npage=3\n", "sort=5\n", 1, 0, 1},
      {"negative", "e_at=-1\npage=-1\n", "sort=-1\n", 1, 0, 1},
      {"hexadecimal", "e_at=$0\npage=0x2\n", "sort=0x2\n", 0, 2, 2},
      {"not a number", "e_at=two\npage=x\n", "sort=two\n", 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string style =
        dir.Write("s.ini", "[Special]\n" + c.special + "[General]\n" + c.general);
    const StyleSettings s = LoadStyleSettings(style, dir.File("none.trl"));
    EXPECT_EQ(s.e_at, c.e_at);
    EXPECT_EQ(s.page, c.page);
    EXPECT_EQ(s.sort, c.sort);
  }
}

TEST(PrepareTemplatesTest, AppliesRulesInOrderThenWraps) {
  struct Case {
    const char* name;
    std::vector<std::string> templates, rules;
    std::string prefix, suffix;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"underscores are blanks", {"e=A and B"}, {"_and_=_&_"}, "", "", {"e=A & B"}},
      {"rules chain in file order", {"e=a"}, {"a=b", "b=c"}, "", "", {"e=c"}},
      {"prefix and suffix untouched by rules", {"e=T"}, {"P=x", "T=y"}, "P", "S", {"e=PyS"}},
      {"case-sensitive occurrences", {"e=And and"}, {"and=&"}, "", "", {"e=And &"}},
      // Of two rules with one name the first one's text serves both.
      {"replacement looked up by name", {"e=a A"}, {"a=1", "A=2"}, "", "", {"e=1 1"}},
      {"no rules", {"e=$AT", "j="}, {}, "<", ">", {"e=<$AT>", "j=<>"}},
      // ダ is 83 5F: its second byte is not an underscore.
      {"trail bytes kept", {Sjis("e=ダ")}, {Sjis("ダ=x_y")}, "", "", {"e=x y"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PrepareTemplates(c.templates, c.rules, c.prefix, c.suffix), c.expected);
  }
}

TEST(PrepareTemplatesTest, CapsAllTemplatesTogether) {
  // Each template grows to 24,000,000 bytes (plus its name); the cap of
  // 67,108,864 holds for their sum.
  const std::vector<std::string> rules = {"X=" + std::string(2000, 'Y'),
                                          "Y=" + std::string(12, 'Z')};
  const std::string grown(1000, 'X');
  struct Case {
    const char* name;
    std::vector<std::string> templates;
    size_t prepared;  // templates returned
    std::optional<std::string> oversized;
  };
  const Case cases[] = {
      {"two fit", {"a=" + grown, "b=" + grown}, 2, std::nullopt},
      {"the third crosses the cap", {"a=" + grown, "b=" + grown, "c=" + grown, "d=x"}, 2, "c"},
      {"one alone past the cap", {"a=" + grown + grown + grown}, 0, "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<std::string> oversized;
    const auto prepared = PrepareTemplates(c.templates, rules, "<", ">", &oversized);
    EXPECT_EQ(prepared.size(), c.prepared);
    EXPECT_EQ(oversized, c.oversized);
  }
}

TEST(LoadDataFilesTest, NeedsAbbreviationsButNotTheRomanisationTable) {
  TempFolder dir;
  StyleSettings s;
  auto error = LoadDataFiles({dir.path()}, s);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->file, "abbrev.dat");
  EXPECT_TRUE(error->missing);

  dir.Write("abbrev.dat", "Journal of Examples=J. Ex.\r\nlast line without break=L.");
  EXPECT_FALSE(LoadDataFiles({dir.path()}, s).has_value());
  EXPECT_EQ(s.abbreviations.Lookup("LAST LINE WITHOUT BREAK"), "L.");
  EXPECT_EQ(s.romaji.RuleCount(), 0);

  dir.Write("roman.dat", Sjis("か=ka\r\n"));
  EXPECT_FALSE(LoadDataFiles({dir.path()}, s).has_value());
  EXPECT_EQ(s.romaji.Convert(Sjis("か")), "ka");

  // The titles are indexed only for a run that abbreviates; abbrev.dat is
  // required, and its faults reported, either way.
  for (const bool abbreviating : {false, true}) {
    SCOPED_TRACE(abbreviating);
    refmill::driver::DataFiles files;
    int asked = 0;
    const auto answer = [&] {
      ++asked;
      return abbreviating;
    };
    EXPECT_FALSE(LoadDataFiles({dir.path()}, files, answer).has_value());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(files.abbreviations.Lookup("Journal of Examples"), abbreviating ? "J. Ex." : "");
    EXPECT_EQ(files.romaji.Convert(Sjis("か")), "ka");
  }
  TempFolder empty;
  refmill::driver::DataFiles files;
  const auto missing = LoadDataFiles({empty.path()}, files, [] { return false; });
  ASSERT_TRUE(missing.has_value());
  EXPECT_TRUE(missing->missing);
}

}  // namespace
