// The three readers on small exports, sound and damaged.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "refimport/bibtex_reader.h"
#include "refimport/csl_json_reader.h"
#include "refimport/ris_reader.h"
#include "refimport/source_reader.h"
#include "refimport/table_row.h"

namespace refimport {
namespace {

std::vector<std::string> Rows(const ReadResult& read) {
  std::vector<std::string> rows;
  int number = 0;
  for (const Reference& r : read.references) {
    std::string line;
    for (const std::string& cell : TableRow(r, ++number)) line += (line.empty() ? "" : ",") + cell;
    rows.push_back(line);
  }
  return rows;
}

TEST(DetectFormatTest, TellsTheFormatFromTheContents) {
  const struct {
    std::string text;
    std::optional<SourceFormat> format;
  } cases[] = {
      {"  [ {\"type\": \"book\"} ]", SourceFormat::kCslJson},
      {"{\"type\": \"book\"}", SourceFormat::kCslJson},
      {"\r\nTY  - JOUR\r\nER  - \r\n", SourceFormat::kRis},
      {"% comment\n@Article{key,\n}", SourceFormat::kBibtex},
      {"text @ book (x)", SourceFormat::kBibtex},
      {"区分,種別,著者\r\n*,jbook,x\r\n", std::nullopt},
      {"mail me @ home", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectFormat(c.text), c.format) << c.text;
}

TEST(BibtexReaderTest, ReadsEntriesAndSkipsTheUnreadable) {
  const ReadResult read = ReadBibtex(
      "@string{pr = \"Psychological Review\"}\n"
      "@comment{ignored}\n"
      "@Article{miller,\n"
      "  AUTHOR = {Miller, George A.}, title = {The magical number seven},\n"
      "  journal = pr, year = 1956, volume = 63, number = {2}, pages = {81--97},\n"
      "  doi = {10.1037/h0043158}}\n"
      "@book{broken, title = {no comma} author = {X}}\n"
      "@incollection{endo,\n"
      "  author = {遠藤 利彦}, yomi = {えんどう　としひこ}, title = {基本的枠組み},\n"
      "  booktitle = {アタッチメント}, editor = {数井, みゆき and 遠藤, 利彦},\n"
      "  pages = {1--31}, publisher = {ミネルヴァ書房}, address = {京都}, date = {2005-04}}\n"
      "@inbook{old, author = {Piaget, Jean and others}, title = {Manual}, chapter = {Theory},\n"
      "  edition = {third}}\n"
      "@misc{web, author = {{American Psychological Association}}, title = {Manual},\n"
      "  journal = {J}}\n",
      "test.bib");
  const std::vector<std::string> expected = {
      "*,earticle,George A. Miller,1956,The magical number seven,Psychological Review,63|2,81-97,,,"
      ",,,,,,1,,10.1037/h0043158",
      "*,jchapter,遠藤#利彦,2005,基本的枠組み,アタッチメント,,1-31,ミネルヴァ書房,京都,"
      "数井#みゆき|遠藤#利彦,,,,,えんどう,2,,",
      "*,echapter,Jean Piaget,,Theory,Manual,,,,,,,,,,,3,3rd ed.,",
      "*,earticle,American_Psychological_Association,,Manual,J,,,,,,,,,,,4,,",
  };
  EXPECT_EQ(Rows(read), expected);
  std::string warnings;
  for (const std::string& w : read.warnings) warnings += w + "\n";
  EXPECT_NE(warnings.find("警告: 7行目（broken）: 読めないので飛ばしました"), std::string::npos)
      << warnings;
  EXPECT_NE(warnings.find("警告: 14行目（web）: 種類「misc」は扱えないので、論文にしました"),
            std::string::npos)
      << warnings;
  EXPECT_NE(warnings.find("警告: BibTeXの読み取り: test.bib, line 7"), std::string::npos)
      << warnings;
}

// biblatex writes a translation as the translated book with the original in
// orig* fields; the table turns that round.
TEST(BibtexReaderTest, ReadsTranslationsTheBiblatexWay) {
  const ReadResult read = ReadBibtex(
      "@book{t, author = {Bruner, Jerome S.}, title = {教育の過程}, origtitle = {The process of "
      "education}, translator = {鈴木 祥蔵 and 佐藤 三郎}, year = 1963, origyear = 1960,\n"
      "  publisher = {岩波書店}, origpublisher = {Harvard University Press}, origlocation = "
      "{Cambridge, MA}}\n"
      "@incollection{c, author = {Piaget, Jean}, title = {ピアジェに学ぶ認知発達の科学}, origtitle "
      "= "
      "{Piaget's theory}, booktitle = {Manual}, editor = {Mussen, Paul H.}, pages = {703--732},\n"
      "  translator = {中垣 啓}, date = {2007}, origdate = {1970-01}, publisher = {北大路書房}}\n",
      "t.bib");
  const std::vector<std::string> expected = {
      "*,tbook,Jerome S. Bruner,1960,The process of education,,,,Harvard University Press,"
      "Cambridge, MA,,鈴木#祥蔵|佐藤#三郎,教育の過程,1963,岩波書店,,1,,",
      "*,tchapter,Jean Piaget,1970,Piaget's theory,Manual,,703-732,,,Paul H. Mussen,中垣#啓,"
      "ピアジェに学ぶ認知発達の科学,2007,北大路書房,,2,,",
  };
  EXPECT_EQ(Rows(read), expected);
}

TEST(BibtexReaderTest, DamagedFilesGiveWhatCanBeRead) {
  for (const std::string& text :
       std::vector<std::string>{"@", "@book{", "@book{k,", "@book{k, title = {x", "@book{k, t = \"",
                                "@book{k, title = a # # b}", std::string("@book{k,\0}", 10),
                                "@book{k, author = { and and , , }}", "@book{k, author={{{{{}"}) {
    SCOPED_TRACE(text);
    const ReadResult read = ReadBibtex(text, "x.bib");
    for (const Reference& r : read.references) EXPECT_NO_FATAL_FAILURE(TableRow(r, 1));
    // btparse keeps state between files; a damaged one must not spoil the next.
    EXPECT_EQ(ReadBibtex("@book{k, title = {x}}\n", "next.bib").references.size(), 1u);
  }
}

// btparse ends its process on this one (exit(1) after its error recovery,
// found by fuzzing); the reading runs apart, so the entry before is kept.
TEST(BibtexReaderTest, SurvivesBtparseEndingTheProcess) {
  const std::string fatal = "@article@string{pr={Pscyh.R.e v}}\n@Bo\"\\l{}o" +
                            std::string(21, '\xFF') + "{B} \\emph{c}\", j\\amly, 57-05-01}\n}\n";
  const ReadResult read = ReadBibtex("@book{first, title = {Kept}}\n" + fatal, "fatal.bib");
  ASSERT_EQ(read.references.size(), 1u);
  EXPECT_EQ(read.references[0].title, "Kept");
  EXPECT_EQ(
      read.warnings.back(),
      "警告: 2行目: この項目より後はBibTeXとして読めないので、ここまでの項目だけを変換します");
  EXPECT_EQ(ReadBibtex("@book{k, title = {x}}\n", "next.bib").references.size(), 1u);
}

// A sink sees every reference once, in file order, and takes it: the result
// keeps only the warnings, so a large file's references are not held twice.
TEST(ReadSourceTest, ASinkTakesEveryReferenceInOrder) {
  const struct {
    SourceFormat format;
    std::string text;
  } cases[] = {
      {SourceFormat::kBibtex, "@book{a, title = {First}}\n@misc{b, title = {Second}}\n"},
      {SourceFormat::kRis, "TY  - BOOK\r\nTI  - First\r\nER  - \r\nTY  - RPRT\r\nTI  - Second\r\n"},
      {SourceFormat::kCslJson, R"([{"type": "book", "title": "First"},
                                   {"type": "report", "title": "Second"}])"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ReadResult kept = ReadSource(c.text, c.format, "x");
    std::vector<std::string> titles;
    const ReadResult taken =
        ReadSource(c.text, c.format, "x", [&](const Reference& r) { titles.push_back(r.title); });
    EXPECT_EQ(titles, (std::vector<std::string>{"First", "Second"}));
    ASSERT_EQ(kept.references.size(), 2u);
    EXPECT_EQ(kept.references[1].title, "Second");
    EXPECT_TRUE(taken.references.empty());
    EXPECT_EQ(taken.warnings, kept.warnings);
    EXPECT_FALSE(taken.warnings.empty());  // the second is of an unknown type
  }
}

TEST(RisReaderTest, ReadsReferencesFromTyToEr) {
  const ReadResult read = ReadRis(
      "stray line\r\n"
      "TY  - JOUR\r\n"
      "AU  - van IJzendoorn, Marinus H.\r\n"
      "AU  - Kroonenberg, Pieter M.\r\n"
      "TI  - Cross-cultural patterns of attachment:\r\n"
      "A meta-analysis\r\n"
      "JO  - Child Development\r\n"
      "PY  - 1988/02/01/\r\n"
      "VL  - 59\r\nIS  - 1\r\nSP  - 147\r\nEP  - 156\r\nDO  - 10.2307/1130396\r\n"
      "ER  - \r\n"
      "TY  - CHAP\r\nAU  - 遠藤, 利彦\r\nTI  - 枠組み\r\nT2  - アタッチメント――絆\r\n"
      "A2  - 数井, みゆき\r\nSP  - 1-31\r\nEP  - 99\r\nPB  - ミネルヴァ書房\r\nCY  - 京都\r\n"
      "ET  - 2\r\nPY  - 2005\r\nER  - \r\n"
      "TY  - RPRT\r\nTI  - Unfinished\r\n");
  const std::vector<std::string> expected = {
      "*,earticle,Marinus H. van_IJzendoorn|Pieter M. Kroonenberg,1988,Cross-cultural patterns of "
      "attachment|A meta-analysis,Child Development,59|1,147-156,,,,,,,,,1,,10.2307/1130396",
      "*,jchapter,遠藤#利彦,2005,枠組み,アタッチメント|絆,,1-31,ミネルヴァ書房,京都,数井#みゆき,,,,"
      ",,2,"
      "第2版,",
      "*,ebook,,,Unfinished,,,,,,,,,,,,3,,",
  };
  EXPECT_EQ(Rows(read), expected);
  const std::vector<std::string> warnings = {
      "警告: 1行目: TY行の前の行なので飛ばしました",
      "警告: 27行目: 種類「RPRT」は扱えないので、本にしました",
      "警告: 27行目: ERがないまま終わっています（ここまでを1件としました）",
  };
  std::vector<std::string> sorted = read.warnings;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> want = warnings;
  std::sort(want.begin(), want.end());
  EXPECT_EQ(sorted, want);
}

TEST(CslJsonReaderTest, ReadsItemsWithTheirReadings) {
  const ReadResult read = ReadCslJson(R"([
    {"type": "article-journal", "title": "内発的動機づけ研究の展望",
     "author": [{"family": "鹿毛", "given": "雅治",
                 "multi": {"_key": {"ja-Kana": {"family": "カゲ"}}}}],
     "container-title": "教育心理学研究", "volume": 42, "issue": "3", "page": "345-359",
     "issued": {"date-parts": [[1994, 5]]}, "DOI": "10.5926/x"},
    "not an item",
    {"type": "chapter", "title": "Piaget's theory", "author": [{"family": "Piaget", "given": "Jean"}],
     "editor": [{"family": "Mussen", "given": "Paul H."}], "container-title": "Manual",
     "issued": {"raw": "1970"}, "edition": 3, "publisher": "Wiley", "publisher-place": "New York"},
    {"type": "webpage", "title": 5, "author": [{"family": "IJzendoorn",
     "non-dropping-particle": "van", "given": "M. H."}, 7], "issued": "bad"}
  ])");
  const std::vector<std::string> expected = {
      "*,jarticle,鹿毛#雅治,1994,内発的動機づけ研究の展望,教育心理学研究,42|3,345-359,,,,,,,,カゲ,"
      "1,,"
      "10.5926/x",
      "*,echapter,Jean Piaget,1970,Piaget's theory,Manual,,,Wiley,New York,Paul H. Mussen,,,,,,2,"
      "3rd ed.,",
      "*,ebook,M. H. van_IJzendoorn,bad,5,,,,,,,,,,,,3,,",
  };
  EXPECT_EQ(Rows(read), expected);
  const std::vector<std::string> warnings = {
      "警告: 2件目: 項目ではない値なので飛ばしました",
      "警告: 4件目: 種類「webpage」は扱えないので、本にしました",
  };
  EXPECT_EQ(read.warnings, warnings);
}

TEST(CslJsonReaderTest, BrokenOrHostileJsonGivesAWarningNamingTheLine) {
  const struct {
    std::string text;
    std::string warning_start;
  } cases[] = {
      {"[\n{\"type\": \"book\",\n]", "警告: 3行目: CSL-JSONとして読めません"},
      {"[\n" + std::string(100000, '['), "警告: 2行目: 入れ子が深すぎます"},
      {"[\"\xFF\"]", "警告: 1行目: CSL-JSONとして読めません"},
      {"42", "警告: 1件目: 項目ではない値なので飛ばしました"},
      {"[{\"volume\": 54e555}]", "警告: CSL-JSONとして読めません"},
  };
  for (const auto& c : cases) {
    const ReadResult read = ReadCslJson(c.text);
    EXPECT_TRUE(read.references.empty());
    ASSERT_EQ(read.warnings.size(), 1u);
    EXPECT_EQ(read.warnings[0].substr(0, c.warning_start.size()), c.warning_start);
  }
}

}  // namespace
}  // namespace refimport
