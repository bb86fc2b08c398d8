// A whole refimport run: arguments, exit codes, messages and the file.
#include "refimport/run.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"

namespace refimport {
namespace {

using testing_support::Sjis;

constexpr std::string_view kHeading =
    "区分,種別,著者,年,表題,誌名・書名,巻|号,ページ,出版社,出版地,編者,訳者,訳書名,訳書年,"
    "訳書出版社,"
    "読み,番号,版,DOI\r\n";
const std::string kBib =
    "@article{k, author = {Kir{\\'a}ly, Ildik{\\'o} and 山田, 太郎}, title = {A, \"b\"}, year = "
    "2001}\n";
const std::string kRow =
    "*,jarticle,Ildikó Király|山田#太郎,2001,\"A, \"\"b\"\"\",,,,,,,,,,,,1,,\r\n";

struct Outcome {
  ExitCode code;
  std::string out;
  std::string err;
};

Outcome RunWith(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const ExitCode code = refimport::Run(args, tabdump::Console{{out, true}, {err, true}});
  return {code, out.str(), err.str()};
}

TEST(RunTest, WritesShiftJisAndCountsWhatItCannotHold) {
  const testing_support::TempFolder dir;
  const std::string source = dir.Write("refs.txt", kBib);  // the extension says nothing
  const Outcome outcome = RunWith({source, dir.File("out.csv")});
  EXPECT_EQ(outcome.code, ExitCode::kWritten);
  std::string row = kRow;
  for (const std::string accented : {"ó", "á"})
    row.replace(row.find(accented), accented.size(), "〓");
  EXPECT_EQ(dir.Read("out.csv"), Sjis(std::string(kHeading) + row));
  EXPECT_EQ(outcome.err, "refimport: 警告: Shift-JISにない文字2個を「〓」にしました\n");
}

TEST(RunTest, KeepsEveryCharacterInUtf8) {
  const testing_support::TempFolder dir;
  for (const std::string& word : std::vector<std::string>{"/u", "/U"}) {
    // A Shift-JIS source and a UTF-16 one read alike.
    for (const std::string& source : std::vector<std::string>{
             dir.Write("refs.bib", kBib),
             dir.Write("sjis.bib", Sjis("@book{k, author = {山田 太郎}, title={本}}"))}) {
      const Outcome outcome = RunWith({word, source, dir.File("out.csv")});
      EXPECT_EQ(outcome.code, ExitCode::kWritten);
      EXPECT_EQ(outcome.err, "");
      const std::string table = dir.Read("out.csv");
      EXPECT_EQ(table.substr(0, 3), "\xEF\xBB\xBF");
      EXPECT_EQ(table.substr(3, kHeading.size()), kHeading);
    }
  }
  EXPECT_EQ(dir.Read("out.csv").substr(3 + kHeading.size()),
            "*,jbook,山田#太郎,,本,,,,,,,,,,,,1,,\r\n");
}

// Past some thousands of rows the table is made while btparse reads and
// encoded by both cores in parts: the parts must join into the table one
// pass over the references gives, rows in order, every 〓 counted once.
TEST(RunTest, ALargeSourceGivesTheTableOnePassGives) {
  const testing_support::TempFolder dir;
  std::string bib;
  for (int i = 0; i < 12001; ++i) bib += kBib;
  const std::string source = dir.Write("refs.bib", bib);
  const Outcome outcome = RunWith({source, dir.File("out.csv")});
  ASSERT_EQ(outcome.code, ExitCode::kWritten);
  std::string row = kRow;
  for (const std::string accented : {"ó", "á"})
    row.replace(row.find(accented), accented.size(), "〓");
  std::string expected(kHeading);
  const std::string before_number = row.substr(0, row.rfind(",1,") + 1);
  for (int i = 1; i <= 12001; ++i) expected += before_number + std::to_string(i) + ",,\r\n";
  EXPECT_TRUE(dir.Read("out.csv") == Sjis(expected));
  EXPECT_EQ(outcome.err, "refimport: 警告: Shift-JISにない文字24002個を「〓」にしました\n");
}

TEST(RunTest, FailuresGiveTheirCodeAndLeaveTheDestination) {
  const testing_support::TempFolder dir;
  const std::string good = dir.Write("good.bib", kBib);
  const std::string csv = dir.Write("table.csv", "区分,種別\r\n*,jbook,x\r\n");
  const std::string empty_json = dir.Write("empty.json", "[]");
  const std::string broken = dir.Write("broken.bib", "@book{k, title = {x");
  const std::string out = dir.Write("out.csv", "old");
  const struct {
    std::vector<std::string> args;
    ExitCode code;
    std::string message;
  } cases[] = {
      {{}, ExitCode::kUsage, "使い方: refimport"},
      {{"/x", good, out}, ExitCode::kUsage, "使い方: refimport"},
      {{good}, ExitCode::kUsage, "使い方: refimport"},
      {{dir.File("none.bib"), out}, ExitCode::kSourceMissing, "変換元ファイルが見つかりません: "},
      {{csv, out}, ExitCode::kUnreadable, "BibTeX・RIS・CSL-JSONのどれとしても読めません: "},
      {{empty_json, out}, ExitCode::kUnreadable, "文献を1件も読めませんでした: "},
      {{dir.path(), out}, ExitCode::kSourceMissing, "変換元ファイルが見つかりません: "},
      {{good, good}, ExitCode::kCannotWrite, "変換先が変換元と同じファイルです: "},
      {{good, dir.File("no/such/folder.csv")},
       ExitCode::kCannotWrite,
       "変換先ファイルに書き込めません: "},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunWith(c.args);
    EXPECT_EQ(outcome.code, c.code) << outcome.err;
    EXPECT_EQ(outcome.err.find("refimport: " + c.message), 0u) << outcome.err;
    EXPECT_EQ(dir.Read("out.csv"), "old");
    EXPECT_EQ(dir.Read("good.bib"), kBib);
  }
  // Every entry unreadable: warnings, then the failure.
  const Outcome outcome = RunWith({broken, out});
  EXPECT_EQ(outcome.code, ExitCode::kUnreadable);
  EXPECT_NE(outcome.err.find("読めないので飛ばしました"), std::string::npos) << outcome.err;
  EXPECT_EQ(dir.Read("out.csv"), "old");
}

TEST(RunTest, ShowsTheHelp) {
  const Outcome outcome = RunWith({"/?"});
  EXPECT_EQ(outcome.code, ExitCode::kWritten);
  EXPECT_NE(outcome.out.find("使い方: refimport [/u]"), std::string::npos);
}

}  // namespace
}  // namespace refimport
