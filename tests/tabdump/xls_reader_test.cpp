#include "tabdump/xls_reader.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tabdump/workbook_reader.h"

#include "tests/support/temp_folder.h"
#include "tests/tabdump/table_texts.h"
#include "tests/tabdump/zip_writer.h"

namespace tabdump {
namespace {

// sample.xls comes from make_xls_fixture.py beside this file, damaged.xls
// from a hostile-input run.
const std::string kSample = std::string(TABDUMP_TEST_DATA_DIR) + "/sample.xls";

std::string Repeat(const std::string& text, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

TEST(ReadXlsTest, ReadsTheFirstSheetCellByCell) {
  const ReadResult read = ReadXls(kSample);
  ASSERT_EQ(read.failure, ReadFailure::kNone);
  const tabdump_testing::Texts expected = {
      {"*", "jbook", "山田太郎|鈴木花子", "2020", "題名, 副題", "12.5", "TRUE"},
      {},
      {"a \"quoted\" word", "", "line1\nline2", "2020/04/01", "①と\U0001F600", "3"},
  };
  EXPECT_EQ(tabdump_testing::TextsOf(read.table), expected);
}

// Workbooks as LibreOffice writes them (make_libreoffice_fixtures.sh): its
// booleans are formulas, formula texts sit in STRING records, and long
// shared strings run over several CONTINUE records. cells_given_twice.xls
// (make_xls_fixture.py --cells-given-twice) gives cells again: the last
// record counts, and the sanitizer builds catch a text given first and lost.
TEST(ReadXlsTest, ReadsFormulaResultsAndLongCellsAsStored) {
  const struct {
    const char* file;
    tabdump_testing::Texts expected;
  } cases[] = {
      {"formulas.xls",
       {{"*", "ebook", "TRUE", "1956", "1957", "1", "ab", "#DIV/0!", "end"},
        {"*", "FALSE", Repeat("長", 3000), "after"}}},
      {"long_cells.xls",
       {{"*", std::string(20000, 'x'), "after"},
        {"*", Repeat("表", 14000), "after"},
        {"*", "short"}}},
      {"cells_given_twice.xls", {{"second", "7", "2020/04/02"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ReadResult read = ReadXls(std::string(TABDUMP_TEST_DATA_DIR) + "/" + c.file);
    ASSERT_EQ(read.failure, ReadFailure::kNone);
    EXPECT_EQ(tabdump_testing::TextsOf(read.table), c.expected);
  }
}

TEST(ReadXlsTest, RejectsFilesThatAreNotWorkbooks) {
  const testing_support::TempFolder dir;
  const std::string cases[] = {
      dir.Write("text.xls", "*,ebook,Smith\r\n"),
      dir.Write("empty.xls", ""),
      // A compound file header with nothing behind it.
      dir.Write("truncated.xls",
                std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0')),
      dir.File("missing.xls"),
      // A LibreOffice workbook with damaged shared strings; it once crashed
      // the library.
      std::string(TABDUMP_TEST_DATA_DIR) + "/damaged.xls",
      // A DIFAT that loops back on itself and claims billions of sectors;
      // the library once followed it until memory ran out.
      std::string(TABDUMP_TEST_DATA_DIR) + "/looping_difat.xls",
      // A mini stream whose damaged size asked the library for 4 GB.
      std::string(TABDUMP_TEST_DATA_DIR) + "/huge_mini_stream.xls",
      // A workbook stream longer, by the directory, than the mini stream
      // that holds it; the library read past the end of it (found by the
      // fuzzer, as the sanitizer builds show).
      std::string(TABDUMP_TEST_DATA_DIR) + "/short_mini_stream.xls",
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadXls(path).failure, ReadFailure::kUnreadable);
  }
}

// Users rename workbooks, and Excel saves .xls content under .xlsx and back
// on request: the contents decide, either way round.
TEST(ReadWorkbookTest, TakesTheKindFromTheContentsNotTheName) {
  const testing_support::TempFolder dir;
  const std::string xls_as_xlsx = dir.File("sample.xlsx");
  std::filesystem::copy_file(kSample, xls_as_xlsx);
  const std::string xlsx_as_xls = dir.File("cells.xls");
  ASSERT_TRUE(tabdump_testing::WriteZip(
      xlsx_as_xls,
      tabdump_testing::MinimalXlsx("<worksheet><sheetData><row><c t=\"inlineStr\">"
                                   "<is><t>x</t></is></c></row></sheetData></worksheet>")));
  EXPECT_EQ(ReadWorkbook(xls_as_xlsx).table, ReadXls(kSample).table);
  EXPECT_EQ(tabdump_testing::TextsOf(ReadWorkbook(xlsx_as_xls).table),
            (tabdump_testing::Texts{{"x"}}));
}

}  // namespace
}  // namespace tabdump
