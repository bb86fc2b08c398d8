#include "refmill/driver/run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>

#include "refmill/driver/input_file.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/temp_folder.h"

namespace {

using refmill::driver::Console;
using refmill::driver::ExitCode;
using testing_support::Sjis;
using testing_support::TempFolder;

// A program folder with a style, a file type, a table and abbrev.dat, made
// the working folder for the length of a test.
class RefmillRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
    dir_.Write("abbrev.dat", "Journal=J.\r\n");
    dir_.Write("s.ini",
               "[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=4\r\n"
               "[OutputFormat]\r\nebook=$AT ($YR)\r\n");
    dir_.Write("t.trl", "[General]\r\nheader=<ul>\r\nfooter=</ul>\r\nstart=<li>\r\n");
    dir_.Write("a.csv", "*,ebook,John Smith,1999,smith\r\n*,ebook,,2000,x\r\n");
  }
  void TearDown() override {
    ASSERT_EQ(::chdir(old_), 0);
    free(old_);
  }

  struct Result {
    ExitCode code;
    std::string out;
  };
  Result Call(const std::vector<std::string>& args, const std::string& input = "",
              const std::string& program_folder = "") {
    std::istringstream in(input);
    std::ostringstream out;
    const ExitCode code = refmill::driver::Run(args, Console{in, out, false, program_folder});
    // The clock is not part of what is checked.
    return {code, std::regex_replace(out.str(), std::regex("[0-9]+:[0-9]{2}:[0-9]{2}"), "T")};
  }

  TempFolder dir_;
  char* old_ = nullptr;
};

const std::string kBegin = Sjis("デバッグ　開始：T\r\n");
const std::string kEnd = Sjis("デバッグ　終了：T\r\n");

TEST_F(RefmillRunTest, ChecksArgumentsAndFilesInOrder) {
  const std::string usage = Sjis(
      "\r\nREFMILL v1.0\r\n\r\nｶﾝﾏ区切りﾌｧｲﾙ(csv)をBIB形式(iniで指定)に変換します\r\n\r\n"
      "使い方: refmill [/se] ﾌｧｲﾙﾀｲﾌﾟ(.trl) ｽﾀｲﾙ(.ini) 変換元(.csv) 出力先\r\n"
      "/s: 確認せずに上書き  /e: エラーをerror.logに出力\r\n");
  const std::string cwd = dir_.path();
  struct Case {
    const char* name;
    std::vector<std::string> args;
    ExitCode code;
    std::string out;
  };
  const Case cases[] = {
      {"no arguments", {}, ExitCode::kArgumentCount, usage},
      {"silenced usage", {"/s", "t", "s", "a.csv"}, ExitCode::kArgumentCount, ""},
      {"source missing",
       {"t", "s", "b.csv", "o"},
       ExitCode::kSourceMissing,
       Sjis("\r\nREFMILL v1.0\r\n変換元ﾌｧｲﾙ(" + cwd + "/b.csv)が見つかりません\r\n")},
      {"style missing",
       {"t", "x", "a.csv", "o"},
       ExitCode::kStyleMissing,
       Sjis("\r\nREFMILL v1.0\r\nBIB設定ﾌｧｲﾙ(" + cwd + "/x.ini)が見つかりません\r\n")},
      {"both missing: source first",
       {"t", "x", "b.csv", "o"},
       ExitCode::kSourceMissing,
       Sjis("\r\nREFMILL v1.0\r\n変換元ﾌｧｲﾙ(" + cwd + "/b.csv)が見つかりません\r\n")},
      {"silenced file error", {"/s", "t", "x", "a.csv", "o"}, ExitCode::kStyleMissing, ""},
      {"style extension forced",
       {"t", "s.txt", "a.csv", "o"},
       ExitCode::kWritten,
       kBegin + Sjis("警告(2行)：$AT = 3フィールドが欠落しています\r\n") + kEnd},
      {"silent run still stamps the time",
       {"/s", "t", "s", "a.csv", "o2"},
       ExitCode::kWritten,
       kBegin + kEnd},
      {"UTF-8 path shown in Shift-JIS",
       {"t", "s", "日本語/無い.csv", "o"},
       ExitCode::kSourceMissing,
       Sjis("\r\nREFMILL v1.0\r\n変換元ﾌｧｲﾙ(" + cwd + "/日本語/無い.csv)が見つかりません\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Call(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.out, c.out);
  }
  EXPECT_EQ(dir_.Read("o"),
            "<ul>\r\n<li>Smith, John (1999)\r\n<li>" + Sjis("■") + " (2000)\r\n</ul>\r\n");
}

TEST_F(RefmillRunTest, AsksBeforeOverwriting) {
  dir_.Write("o", "keep");
  const std::string question = dir_.File("o") + Sjis("は存在します。上書きしますか？ [Y/N] ");
  struct Case {
    const char* name;
    std::string input;
    ExitCode code;
    int questions;
  };
  const Case cases[] = {
      {"no", "n\n", ExitCode::kOverwriteDeclined, 1},
      {"asks again until y or n", "\nyes\n y\nx\nN\n", ExitCode::kOverwriteDeclined, 5},
      {"CR LF answer", "n\r\n", ExitCode::kOverwriteDeclined, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = Call({"t", "s", "a.csv", "o"}, c.input);
    EXPECT_EQ(r.code, c.code);
    std::string expected;
    for (int i = 0; i < c.questions; ++i) expected += question;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(dir_.Read("o"), "keep");
  }
  const Result eof = Call({"t", "s", "a.csv", "o"}, "maybe\n");
  EXPECT_EQ(eof.code, ExitCode::kOverwriteDeclined);
  EXPECT_EQ(eof.out,
            question + question + "\r\n" + Sjis("入力がありません。上書きせずに終了します\r\n"));
  EXPECT_EQ(dir_.Read("o"), "keep");

  const Result yes = Call({"/e", "t", "s", "a.csv", "o"}, "Y\n");
  EXPECT_EQ(yes.code, ExitCode::kWritten);
  EXPECT_EQ(yes.out, "") << "with the log flag the question goes to error.log";
  EXPECT_EQ(dir_.Read("error.log").substr(0, question.size()), question);
  EXPECT_NE(dir_.Read("o"), "keep");
}

TEST_F(RefmillRunTest, RefusesAnOutputThatIsAnInput) {
  dir_.Write("roman.dat", "ka=ka\r\n");
  ASSERT_EQ(::symlink("a.csv", "soft.csv"), 0);
  ASSERT_EQ(::link("s.ini", "hard.ini"), 0);
  const std::string cwd = dir_.path();
  struct Case {
    const char* output;
    const char* input;
    std::string role;
  };
  const Case cases[] = {
      {"a.csv", "a.csv", Sjis("変換元ﾌｧｲﾙ")},     {"soft.csv", "a.csv", Sjis("変換元ﾌｧｲﾙ")},
      {"hard.ini", "s.ini", Sjis("BIB設定ﾌｧｲﾙ")}, {"t.trl", "t.trl", Sjis("ﾌｧｲﾙﾀｲﾌﾟ")},
      {"abbrev.dat", "abbrev.dat", "abbrev.dat"}, {"roman.dat", "roman.dat", "roman.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    const std::string before = dir_.Read(c.input);
    // Refused before the question, so "y" is never read.
    Result r = Call({"t", "s", "a.csv", c.output}, "y\n");
    EXPECT_EQ(r.code, ExitCode::kOutputNotCreated);
    EXPECT_EQ(r.out, Sjis("\r\nREFMILL v1.0\r\n出力先(" + cwd + "/" + c.output + ")は") + c.role +
                         "(" + cwd + "/" + c.input +
                         Sjis(")と同じファイルです。上書きしません\r\n"));
    r = Call({"/s", "t", "s", "a.csv", c.output});
    EXPECT_EQ(r.code, ExitCode::kOutputNotCreated);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir_.Read(c.input), before);
  }
}

TEST_F(RefmillRunTest, LostTimeStampsDoNotCostTheList) {
  // Standard output closed: every write to it fails.
  std::istringstream in;
  std::ostream closed(nullptr);
  EXPECT_EQ(refmill::driver::Run({"/s", "t", "s", "a.csv", "o"}, Console{in, closed, false}),
            ExitCode::kWritten);
  EXPECT_EQ(dir_.Read("o"),
            "<ul>\r\n<li>Smith, John (1999)\r\n<li>" + Sjis("■") + " (2000)\r\n</ul>\r\n");
  // A lost warning still ends the run with code 1 and no list.
  EXPECT_EQ(refmill::driver::Run({"t", "s", "a.csv", "o2"}, Console{in, closed, false}),
            ExitCode::kUnexpected);
  EXPECT_EQ(dir_.Read("o2"), "");
}

TEST_F(RefmillRunTest, LogFlagSendsEverythingToErrorLog) {
  const Result r = Call({"/se", "t", "s", "a.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(r.out, "");
  const std::string log =
      std::regex_replace(dir_.Read("error.log"), std::regex("[0-9]+:[0-9]{2}:[0-9]{2}"), "T");
  EXPECT_EQ(log, kBegin + Sjis("警告(2行)：$AT = 3フィールドが欠落しています\r\n") + kEnd);

  // A run without notices or messages in the log leaves no log behind.
  ::unlink("error.log");
  EXPECT_EQ(Call({"/se", "t"}).code, ExitCode::kArgumentCount);
  EXPECT_EQ(
      dir_.Read("error.log"),
      Sjis("\r\nREFMILL v1.0\r\n\r\nｶﾝﾏ区切りﾌｧｲﾙ(csv)をBIB形式(iniで指定)に変換します\r\n\r\n"
           "使い方: refmill [/se] ﾌｧｲﾙﾀｲﾌﾟ(.trl) ｽﾀｲﾙ(.ini) 変換元(.csv) 出力先\r\n"
           "/s: 確認せずに上書き  /e: エラーをerror.logに出力\r\n"));
}

TEST_F(RefmillRunTest, FailuresAfterTheStart) {
  // The output's folder does not exist: code 7, and the run still ends normally.
  Result r = Call({"/se", "t", "s", "a.csv", "no/such/o"});
  EXPECT_EQ(r.code, ExitCode::kOutputNotCreated);
  const std::string log =
      std::regex_replace(dir_.Read("error.log"), std::regex("[0-9]+:[0-9]{2}:[0-9]{2}"), "T");
  EXPECT_NE(
      log.find(Sjis("\r\nREFMILL v1.0\r\n\r\n" + dir_.path() + "/no/such/oを作成できません\r\n") +
               kEnd),
      std::string::npos);

  // A style that reads beyond the entry: code 1, a report on the console, no output.
  dir_.Write("bad.ini", "[InputFormat]\r\n$AT=60\r\n[OutputFormat]\r\nebook=$AT\r\n");
  r = Call({"/se", "t", "bad", "a.csv", "o3"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, Sjis("REFMILL v1.0 エラー：スタイルの列番号が不正です：$AT=60（1行）\r\n"));
  EXPECT_EQ(dir_.Read("o3"), "");

  // A column number past 32 bits is the same broken style, not column 0.
  dir_.Write("wide.ini", "[InputFormat]\r\n$AT=99999999999\r\n[OutputFormat]\r\nebook=$AT\r\n");
  r = Call({"/s", "t", "wide", "a.csv", "o10"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(
      r.out,
      kBegin + Sjis("REFMILL v1.0 エラー：スタイルの列番号が不正です：$AT=2147483647（1行）\r\n"));

  // Overlapping placeholders in a template of ordinary length are filled
  // one token at a time, well within the work allowed.
  std::string tangled = "[OutputFormat]\r\nebook=";
  for (int i = 0; tangled.size() < 1500; ++i)
    tangled += "$" + std::string(1, static_cast<char>('A' + i % 26));
  dir_.Write("tangled.ini", tangled + "\r\n");
  r = Call({"/s", "t", "tangled", "a.csv", "o7"});
  EXPECT_EQ(r.code, ExitCode::kWritten);

  // Replacements that multiply a template (2,000 bytes, then 4 million, then
  // 80 million) would take memory without end: code 1 and a report instead.
  dir_.Write("big.ini", "[InputFormat]\r\n$AT=2\r\n[OutputFormat]\r\nebook=" +
                            std::string(2000, 'X') + "\r\n");
  dir_.Write("big.trl",
             "[Replace]\r\nX=" + std::string(2000, 'Q') + "\r\nQ=" + std::string(20, 'K') + "\r\n");
  r = Call({"/s", "big", "big", "a.csv", "o5"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out,
            kBegin + Sjis("REFMILL v1.0 エラー：置換後のテンプレートが大きすぎます：ebook\r\n"));
  EXPECT_TRUE(dir_.Read("o5").empty());

  // Twenty categories of 4 MB each pass the cap one by one but not together.
  std::string many = "[InputFormat]\r\n$AT=2\r\n[OutputFormat]\r\n";
  for (int i = 1; i <= 20; ++i)
    many += "ebook" + std::to_string(i) + "=" + std::string(2000, 'X') + "\r\n";
  dir_.Write("many.ini", many);
  dir_.Write("many.trl", "[Replace]\r\nX=" + std::string(2000, 'Q') + "\r\n");
  r = Call({"/s", "many", "many", "a.csv", "o8"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out,
            kBegin + Sjis("REFMILL v1.0 エラー：置換後のテンプレートが大きすぎます：ebook17\r\n"));

  // 68,200 "$TL" filled with a cell of 1,100 bytes would make 75 MB of one entry.
  dir_.Write("rep.ini", "[InputFormat]\r\n$AT=2\r\n$TL=3\r\n[OutputFormat]\r\nebook=" +
                            std::string(100, 'Q') + "\r\n");
  std::string tokens;
  for (int i = 0; i < 682; ++i) tokens += "$TL";
  dir_.Write("rep.trl", "[Replace]\r\nQ=" + tokens + "\r\n");
  dir_.Write("rep.csv", "\r\n*,ebook,A," + std::string(1100, 'T') + "\r\n");
  r = Call({"/s", "rep", "rep", "rep.csv", "o9"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, kBegin + Sjis("REFMILL v1.0 エラー：テンプレートが同じ値を繰り返し入れるため、"
                                 "出力が大きすぎます：$TL（2行）\r\n"));
  EXPECT_EQ(dir_.Read("o9"), "");

  // error.log cannot be written (here a folder holds its name): code 1, and
  // an existing output is left as it was.
  ::unlink("error.log");
  ASSERT_EQ(::mkdir("error.log", 0755), 0);
  dir_.Write("o6", "old list\r\n");
  r = Call({"/se", "t", "s", "a.csv", "o6"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, Sjis("REFMILL v1.0 エラー：メッセージを書き込めません：" + dir_.path() +
                        "/error.log\r\n"));
  EXPECT_EQ(dir_.Read("o6"), "old list\r\n");
  ::rmdir("error.log");

  // error.log is a link: it is not followed, and the file it names is kept.
  dir_.Write("victim", "precious");
  ASSERT_EQ(::symlink("victim", "error.log"), 0);
  r = Call({"/se", "t", "s", "a.csv", "o6"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, Sjis("REFMILL v1.0 エラー：メッセージを書き込めません：" + dir_.path() +
                        "/error.log\r\n"));
  EXPECT_EQ(dir_.Read("victim"), "precious");
  EXPECT_EQ(dir_.Read("o6"), "old list\r\n");
  ::unlink("error.log");

  // abbrev.dat is required.
  ::unlink("abbrev.dat");
  r = Call({"/s", "t", "s", "a.csv", "o4"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, kBegin + Sjis("REFMILL v1.0 エラー：abbrev.dat が見つかりません（探した場所：" +
                                 dir_.path() + "）\r\n"));
}

// Run from another folder, refmill finds its data files beside itself, and
// names every folder it looked in when neither has them.
TEST_F(RefmillRunTest, FindsDataFilesInTheProgramFolder) {
  TempFolder program;
  program.Write("abbrev.dat", "Journal=J.\r\n");
  ::unlink("abbrev.dat");
  Result r = Call({"t", "s", "a.csv", "o1"}, "", program.path());
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(dir_.Read("o1"),
            "<ul>\r\n<li>Smith, John (1999)\r\n<li>" + Sjis("■") + " (2000)\r\n</ul>\r\n");
  ::unlink(program.File("abbrev.dat").c_str());
  r = Call({"t", "s", "a.csv", "o2"}, "", program.path());
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, kBegin + Sjis("REFMILL v1.0 エラー：abbrev.dat が見つかりません（探した場所：" +
                                 dir_.path() + "、" + program.path() + "）\r\n"));
}

// A missing file type is allowed, but said when notices are on.
TEST_F(RefmillRunTest, SaysWhenTheFileTypeIsMissing) {
  Result r = Call({"txt", "s", "a.csv", "o1"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  const std::string notice =
      kBegin + Sjis("ファイルタイプ(" + dir_.path() +
                    "/txt.trl)が見つかりません。見出しと置換なしで出力します\r\n");
  EXPECT_EQ(r.out.substr(0, notice.size()), notice);
  r = Call({"/s", "txt", "s", "a.csv", "o2"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(r.out, kBegin + kEnd);
}

TEST_F(RefmillRunTest, ReadsFilesSavedAsUtf8) {
  dir_.Write("u.csv", "\xEF\xBB\xBF*,ebook,山田 太郎\xF0\x9F\x93\x9A,1999,x\r\n");
  dir_.Write("u.ini",
             "[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=4\r\n"
             "[OutputFormat]\r\nebook=$AT（$YR）\r\n");
  const Result r = Call({"/se", "t", "u", "u.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  const std::string log =
      std::regex_replace(dir_.Read("error.log"), std::regex("[0-9]+:[0-9]{2}:[0-9]{2}"), "T");
  EXPECT_EQ(log, kBegin +
                     Sjis("UTF-8 のファイルを Shift-JIS に変換して読みました：" + dir_.path() +
                          "/u.ini\r\n"
                          "UTF-8 のファイルを Shift-JIS に変換して読みました：" +
                          dir_.path() +
                          "/u.csv\r\n"
                          "警告(1行)：Shift-JIS にない文字 U+1F4DA を〓にしました\r\n") +
                     kEnd);
  EXPECT_EQ(dir_.Read("o"), Sjis("<ul>\r\n<li>太郎〓, 山田（1999）\r\n</ul>\r\n"));
}

// A Shift-JIS file's own user-defined character (F040, U+E000 in a UTF-8
// list) keeps its code when a UTF-8 file brings a character Shift-JIS
// lacks, which then takes the next code; with no UTF-8 file in the run, the
// file's character alone reaches the list.
TEST_F(RefmillRunTest, UserDefinedCodesOfShiftJisFilesAreKeptFromUtf8Files) {
  dir_.Write("u8.trl", "[General]\r\nencoding=UTF-8\r\n");
  const std::string own_table = "*,ebook,\xF0\x40 Smith,1999,x\r\n";
  struct Case {
    const char* name;
    std::string style;
    std::string table;
    std::string list;
  };
  const Case cases[] = {
      {"style in UTF-8",
       "\xEF\xBB\xBF[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=4\r\n"
       "[OutputFormat]\r\nebook=$AT ($YR) \xC3\xA9\r\n",
       own_table, "\r\nSmith, \xEE\x80\x80 (1999) \xC3\xA9\r\n\r\n"},
      {"style in Shift-JIS",
       "[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=4\r\n"
       "[OutputFormat]\r\nebook=$AT ($YR) e\r\n",
       own_table, "\r\nSmith, \xEE\x80\x80 (1999) e\r\n\r\n"},
      // The other way round: the style's own character, the table's new one.
      {"table in UTF-8",
       "[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=4\r\n"
       "[OutputFormat]\r\nebook=$AT ($YR) \xF0\x40\r\n",
       "\xEF\xBB\xBF*,ebook,Claude L\xC3\xA9vi,1999,x\r\n",
       "\r\nL\xC3\xA9vi, Claude (1999) \xEE\x80\x80\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir_.Write("p.ini", c.style);
    dir_.Write("p.csv", c.table);
    ::unlink("o");
    EXPECT_EQ(Call({"/s", "u8", "p", "p.csv", "o"}).code, ExitCode::kWritten);
    EXPECT_EQ(dir_.Read("o"), c.list);
  }
}

TEST_F(RefmillRunTest, ANulByteEndsTheTableWithAWarning) {
  // Nothing after the zero byte is read, so the entries that follow it are
  // lost; the user is told where the table stopped.
  const char table[] =
      "*,ebook,John Smith,1999,s\r\n\r\n*,ebook,Ann Lee,2000\0,x\r\n"
      "*,ebook,Lost Entry,2001,y\r\n";
  dir_.Write("z.csv", std::string(table, sizeof table - 1));
  Result r = Call({"t", "s", "z.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(r.out, kBegin + Sjis("警告(3行)：NUL 文字から後は読み込みませんでした\r\n") + kEnd);
  EXPECT_EQ(dir_.Read("o"), "<ul>\r\n<li>Lee, Ann (2000)\r\n<li>Smith, John (1999)\r\n</ul>\r\n");
}

// A table of a megabyte and more is read in place: its list, its notices
// and its zero byte come out as from a table read whole.
TEST_F(RefmillRunTest, LargeTablesReadInPlaceGiveTheSameList) {
  std::string lines;
  std::string list = "<ul>\r\n";
  for (int i = 0; i < 50000; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%05d", i);
    lines += "*,ebook," + std::string(name) + ",1999,x\r\n";
    list += "<li>" + std::string(name) + " (1999)\r\n";
  }
  ASSERT_GE(lines.size(), refmill::driver::kMapTableFrom);
  struct Case {
    const char* name;
    std::string table;
    std::string out;
    std::string list;
  };
  const Case cases[] = {
      {"Shift-JIS", lines, kBegin + kEnd, list + "</ul>\r\n"},
      {"UTF-8", "\xEF\xBB\xBF" + lines + "*,ebook,\xE5\xB1\xB1\xE7\x94\xB0,2001,y\r\n",
       kBegin +
           Sjis("UTF-8 のファイルを Shift-JIS に変換して読みました：" + dir_.path() +
                "/b.csv\r\n") +
           kEnd,
       list + Sjis("<li>山田 (2001)\r\n</ul>\r\n")},
      {"a zero byte at the end", lines + std::string(1, '\0') + "*,ebook,Lost,2001,y\r\n",
       kBegin + Sjis("警告(50001行)：NUL 文字から後は読み込みませんでした\r\n") + kEnd,
       list + "</ul>\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir_.Write("b.csv", c.table);
    ::unlink("o");
    const Result r = Call({"t", "s", "b.csv", "o"});
    EXPECT_EQ(r.code, ExitCode::kWritten);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(dir_.Read("o"), c.list);
  }
}

TEST_F(RefmillRunTest, MissingFileTypeGivesEmptyFrame) {
  EXPECT_EQ(Call({"/s", "none", "s", "a.csv", "o"}).code, ExitCode::kWritten);
  EXPECT_EQ(dir_.Read("o"), "\r\nSmith, John (1999)\r\n" + Sjis("■") + " (2000)\r\n\r\n");
}

TEST_F(RefmillRunTest, InputsWithoutEndAreRefused) {
  ASSERT_EQ(::symlink("/dev/zero", dir_.File("zero.ini").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir_.File("zero.trl").c_str()), 0);
  const std::string too_large = Sjis("が大きすぎます（上限 16 MB）\r\n");
  const std::string error = Sjis("REFMILL v1.0 エラー：");
  Result r = Call({"t", "zero", "a.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, kBegin + error + dir_.File("zero.ini") + too_large);
  r = Call({"zero", "s", "a.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kUnexpected);
  EXPECT_EQ(r.out, kBegin + error + dir_.File("zero.trl") + too_large);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("o")));

  // Only zero bytes: the table ends at once, as at any zero byte.
  r = Call({"t", "s", "/dev/zero", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(r.out, kBegin + Sjis("警告(1行)：NUL 文字から後は読み込みませんでした\r\n") + kEnd);

  // Answers without end, on one endless line or on endless short lines.
  dir_.Write("o", "keep");
  const std::string question = dir_.File("o") + Sjis("は存在します。上書きしますか？ [Y/N] ");
  const std::string gave_up = "\r\n" + Sjis("答えが長すぎます。上書きせずに終了します\r\n");
  for (const std::string& input : {std::string(100000, 'x'), std::string(100000, '\n')}) {
    r = Call({"t", "s", "a.csv", "o"}, input);
    EXPECT_EQ(r.code, ExitCode::kOverwriteDeclined);
    EXPECT_EQ(r.out.substr(r.out.size() - gave_up.size()), gave_up);
    EXPECT_EQ(r.out.substr(0, question.size()), question);
  }
  EXPECT_EQ(dir_.Read("o"), "keep");
}

TEST_F(RefmillRunTest, ReadsUtf16Tables) {
  // What Excel saves as "Unicode text": UTF-16 with a byte-order mark.
  dir_.Write("u.csv", std::string("\xFF\xFE*\0,\0e\0b\0o\0o\0k\0,\0\x71\x5C\x30\x75,\0"
                                  "1\0009\0009\0009\0"
                                  ",\0x\0\r\0\n\0",
                                  38));
  const Result r = Call({"t", "s", "u.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(r.out, kBegin +
                       Sjis("UTF-16 のファイルを Shift-JIS に変換して読みました：" + dir_.path() +
                            "/u.csv\r\n") +
                       kEnd);
  EXPECT_EQ(dir_.Read("o"), Sjis("<ul>\r\n<li>山田 (1999)\r\n</ul>\r\n"));
}

// A UTF-8 table through a UTF-8 file type keeps every character; through a
// Shift-JIS one, what it cannot hold becomes "〓" with a warning naming the
// line and the characters.
TEST_F(RefmillRunTest, KeepsEveryCharacterOfAUtf8Table) {
  dir_.Write("w.ini",
             "[InputFormat]\r\n$AT=2\r\n$YR=3\r\n$RB=5\r\n$TL=4\r\n$ID=-4\r\n"
             "[OutputFormat]\r\nebook=$AT ($YR) $TL [$ID]\r\n[Special]\r\ninitial=1\r\n");
  dir_.Write("u8.trl", "[General]\r\nencoding=UTF-8\r\nheader=文献 – list\r\n");
  dir_.Write("w.csv",
             "*,ebook,Claude Lévi-Strauss,1966,La pensée sauvage,,x\r\n"
             "*,ebook,Pál Erdős,1950,Gráfok – 45–47,,x\r\n"
             "*,ebook,Émile Jackson,1990,T,,x\r\n"
             "*,ebook,Ann McCauley,1980,U,,x\r\n"
             "*,ebook,김 철수,2001,한국어,,x\r\n");
  Result r = Call({"u8", "w", "w.csv", "o"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  EXPECT_EQ(dir_.Read("o"),
            "文献 – list\r\n"
            "Erdős, P. (1950) Gráfok – 45–47 [erdos1950]\r\n"
            "Jackson, É. (1990) T [jackson1990]\r\n"
            "Lévi-Strauss, C. (1966) La pensée sauvage [levi-strauss1966]\r\n"
            "McCauley, A. (1980) U [mccauley1980]\r\n"
            "철수, 김. (2001) 한국어 [ID5]\r\n"
            "\r\n");

  r = Call({"t", "w", "w.csv", "o2"});
  EXPECT_EQ(r.code, ExitCode::kWritten);
  const std::string converted =
      Sjis("UTF-8 のファイルを Shift-JIS に変換して読みました：" + dir_.path() + "/w.csv\r\n");
  EXPECT_NE(
      r.out.find(converted +
                 Sjis("警告(1行)：Shift-JIS にない文字 U+00E9 を〓にしました\r\n"
                      "警告(2行)：Shift-JIS にない文字 U+0151 U+00E1 U+2013 を〓にしました\r\n")),
      std::string::npos)
      << r.out;
  EXPECT_NE(dir_.Read("o2").find(
                Sjis("<li>L〓vi-Strauss, C. (1966) La pens〓e sauvage [levi-strauss1966]\r\n")),
            std::string::npos);
}

}  // namespace
