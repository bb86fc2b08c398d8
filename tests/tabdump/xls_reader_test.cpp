#include "tabdump/xls_reader.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tests/tabdump/table_texts.h"

namespace tabdump {
namespace {

// sample.xls comes from make_xls_fixture.py beside this file.
const std::string kSample = std::string(TABDUMP_TEST_DATA_DIR) + "/sample.xls";

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

TEST(ReadXlsTest, RejectsFilesThatAreNotWorkbooks) {
  const testing_support::TempFolder dir;
  const std::string cases[] = {
      dir.Write("text.xls", "*,ebook,Smith\r\n"),
      dir.Write("empty.xls", ""),
      // A compound file header with nothing behind it.
      dir.Write("truncated.xls",
                std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(100, '\0')),
      dir.File("missing.xls"),
  };
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadXls(path).failure, ReadFailure::kUnreadable);
  }
}

}  // namespace
}  // namespace tabdump
