#include "tabdump/run.h"

#include <sys/resource.h>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/encoding.h"

#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"
#include "tests/tabdump/zip_writer.h"

namespace tabdump {
namespace {

using testing_support::Sjis;

const std::string kSample = std::string(TABDUMP_TEST_DATA_DIR) + "/sample.xls";

// The table refmill gets from sample.xls.
const char* const kSampleCsv =
    "*,jbook,山田太郎|鈴木花子,2020,\"題名, 副題\",12.5,TRUE\r\n"
    "\r\n"
    "\"a \"\"quoted\"\" word\",,line1 line2,2020/04/01,①と〓,3\r\n";

struct Outcome {
  ExitCode code;
  std::string out;
  std::string err;
};

Outcome RunWith(const std::vector<std::string>& args, bool utf8 = true) {
  std::ostringstream out;
  std::ostringstream err;
  const ExitCode code = Run(args, Console{{out, utf8}, {err, utf8}});
  return {code, out.str(), err.str()};
}

TEST(RunTest, WritesTheTableAndWarnsAboutUnmappableCharacters) {
  const testing_support::TempFolder dir;
  for (const std::string switch_word : {"/s", "/S", ""}) {
    SCOPED_TRACE(switch_word);
    std::vector<std::string> args = {kSample, dir.File("out.csv")};
    if (!switch_word.empty()) args.insert(args.begin(), switch_word);
    const Outcome outcome = RunWith(args);
    EXPECT_EQ(outcome.code, ExitCode::kWritten);
    EXPECT_EQ(dir.Read("out.csv"), Sjis(kSampleCsv));
    EXPECT_EQ(outcome.err, "tabdump: 警告: Shift-JISにない文字1個を「〓」にしました\n");
  }
}

// With "u" the table is UTF-8 and keeps what Shift-JIS would have lost.
TEST(RunTest, WritesUtf8WhenAsked) {
  const testing_support::TempFolder dir;
  for (const std::string switch_word : {"/u", "/su", "/US"}) {
    SCOPED_TRACE(switch_word);
    const Outcome outcome = RunWith({switch_word, kSample, dir.File("out.csv")});
    EXPECT_EQ(outcome.code, ExitCode::kWritten);
    EXPECT_EQ(outcome.err, "");
    const std::string csv = dir.Read("out.csv");
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(platform::Utf8ToSjis(csv.substr(3), Sjis("〓")), Sjis(kSampleCsv));
    EXPECT_EQ(csv.find("〓"), std::string::npos) << csv;
  }
}

TEST(RunTest, RejectsWrongArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"only.xlsx"},
      {"/x", "a.xlsx", "b.csv"},
      {"/sx", "a.xlsx", "b.csv"},
      {"/", "a.xlsx", "b.csv"},
      {"/s", "a.xlsx", "b.csv", "c.csv"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.size());
    const Outcome outcome = RunWith(args);
    EXPECT_EQ(outcome.code, ExitCode::kUsage);
    EXPECT_EQ(
        outcome.err,
        "tabdump: 使い方: tabdump [/su] \"変換元ブック\" \"変換先CSV\"（説明は tabdump /?）\n");
  }
}

TEST(RunTest, HelpExplainsLineBreaks) {
  const Outcome outcome = RunWith({"/?"});
  EXPECT_EQ(outcome.code, ExitCode::kWritten);
  EXPECT_NE(outcome.out.find("セルの中の改行は空白1つになります"), std::string::npos);
  EXPECT_EQ(outcome.err, "");
}

TEST(RunTest, ReportsEachFailureWithItsOwnCode) {
  const testing_support::TempFolder dir;
  const std::string existing = dir.Write("existing.csv", "old contents");
  const std::string text = dir.Write("notes.xlsx", "*,ebook,Smith\r\n");
  std::filesystem::create_directory(dir.File("folder"));
  const std::string damaged = std::string(TABDUMP_TEST_DATA_DIR) + "/damaged.xls";
  const std::string no_cells = dir.File("no_cells.xlsx");
  ASSERT_TRUE(tabdump_testing::WriteZip(no_cells, tabdump_testing::MinimalXlsx("<worksheet/>")));
  const std::string far_cell = dir.File("far_cell.xlsx");
  ASSERT_TRUE(tabdump_testing::WriteZip(
      far_cell, tabdump_testing::MinimalXlsx("<worksheet><sheetData><row><c r=\"XFE1\"><v>1</v>"
                                             "</c></row></sheetData></worksheet>")));
  const std::string no_strings = dir.File("no_strings.xlsx");
  tabdump_testing::ZipEntries entries =
      tabdump_testing::MinimalXlsx("<worksheet><sheetData/></worksheet>", "<sst/>");
  entries.pop_back();  // the shared strings
  ASSERT_TRUE(tabdump_testing::WriteZip(no_strings, entries));
  struct Case {
    const char* name;
    std::string source;
    std::string destination;
    ExitCode code;
    std::string message;
  };
  const Case cases[] = {
      {"missing source", dir.File("none.xls"), existing, ExitCode::kSourceMissing,
       "変換元ファイルが見つかりません: " + dir.File("none.xls")},
      {"not a workbook", text, existing, ExitCode::kUnreadable,
       "Excelブック（.xls/.xlsx）として読めません: " + text},
      {"damaged .xls", damaged, existing, ExitCode::kUnreadable,
       "Excelブック（.xls/.xlsx）として読めません: " + damaged},
      {"worksheet without cells", no_cells, existing, ExitCode::kUnreadable,
       "ブックが壊れています（最初のワークシートにセルのデータがありません）: " + no_cells},
      {"cell past the last column", far_cell, existing, ExitCode::kUnreadable,
       "ブックが壊れています（1,048,576行目かXFD列より先にセルがあります）: " + far_cell},
      {"part missing", no_strings, existing, ExitCode::kUnreadable,
       "ブックが壊れています（ブックの指す部品がファイルの中にありません）: " + no_strings},
      {"missing folder", kSample, dir.File("no/out.csv"), ExitCode::kCannotWrite,
       "変換先ファイルに書き込めません: " + dir.File("no/out.csv")},
      {"destination is a folder", kSample, dir.File("folder"), ExitCode::kCannotWrite,
       "変換先ファイルに書き込めません: " + dir.File("folder")},
      // Writing the table over its own workbook would destroy the workbook.
      {"destination is the source", existing, existing, ExitCode::kCannotWrite,
       "変換先が変換元と同じファイルです: " + existing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = RunWith({"/s", c.source, c.destination});
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.err, "tabdump: " + c.message + "\n");
    EXPECT_EQ(dir.Read("existing.csv"), "old contents");
    EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
  }
}

// A file-size limit makes the write fail even for root, who may write anywhere.
TEST(RunTest, FailedWriteLeavesTheOldDestinationWhole) {
  const testing_support::TempFolder dir;
  const std::string destination = dir.Write("out.csv", "old");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 16;
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Outcome outcome = RunWith({"/s", kSample, destination});
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);

  EXPECT_EQ(outcome.code, ExitCode::kCannotWrite);
  EXPECT_EQ(dir.Read("out.csv"), "old");
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u) << "a temporary file was left behind";
}

TEST(RunTest, WritesMessagesInShiftJisOffATerminal) {
  const testing_support::TempFolder dir;
  const Outcome outcome = RunWith({dir.File("none.xls"), dir.File("out.csv")}, false);
  EXPECT_EQ(outcome.code, ExitCode::kSourceMissing);
  EXPECT_EQ(outcome.err,
            Sjis("tabdump: 変換元ファイルが見つかりません: ") + dir.File("none.xls") + "\n");
}

}  // namespace
}  // namespace tabdump
