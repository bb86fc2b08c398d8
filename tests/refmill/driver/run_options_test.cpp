#include "refmill/driver/run_options.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/support/sjis_literal.h"

namespace {

using refmill::driver::ParseCommandLine;
using refmill::driver::ReplaceExtension;
using refmill::driver::RunOptions;
using testing_support::Sjis;

TEST(ParseCommandLineTest, ReadsSwitchWordsAndCounts) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool count_ok, overwrite, log;
  };
  const Case cases[] = {
      {"four paths", {"t", "s", "a.csv", "o"}, true, false, false},
      {"switch and four paths", {"/se", "t", "s", "a.csv", "o"}, true, true, true},
      {"letters in any order and company", {"/xes", "t", "s", "a.csv", "o"}, true, true, true},
      {"upper case sets nothing", {"/S", "t", "s", "a.csv", "o"}, true, false, false},
      {"bare slash", {"/", "t", "s", "a.csv", "o"}, true, false, false},
      {"switch with three paths", {"/s", "t", "s", "a.csv"}, false, true, false},
      {"no arguments", {}, false, false, false},
      {"five without switch", {"t", "s", "a", "o", "x"}, false, false, false},
      // テ is 83 65 and ピ 83 73 in Shift-JIS: their second bytes are no letters.
      {"Shift-JIS テ", {"/" + Sjis("テ"), "t", "s", "a.csv", "o"}, true, false, false},
      {"Shift-JIS ピ", {"/" + Sjis("ピ"), "t", "s", "a.csv", "o"}, true, false, false},
      {"Shift-JIS letters after kana",
       {"/" + Sjis("テピ") + "se", "t", "s", "a.csv", "o"},
       true,
       true,
       true},
      // In UTF-8 テ is E3 83 86 and ピ E3 83 94: walked as Shift-JIS their
      // last bytes would swallow the letter after them.
      {"UTF-8 テs", {"/\xE3\x83\x86s", "t", "s", "a.csv", "o"}, true, true, false},
      {"UTF-8 ピe",
       {"/\xE3\x83\x94"
        "e",
        "t", "s", "a.csv", "o"},
       true,
       false,
       true},
      {"UTF-8 テ alone", {"/\xE3\x83\x86", "t", "s", "a.csv", "o"}, true, false, false},
      // An absolute path is not a switch word on this platform.
      {"absolute paths",
       {"/home/u/a.trl", "/home/u/b.ini", "/home/u/c.csv", "/home/u/out.txt"},
       true,
       false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunOptions o = ParseCommandLine(c.args);
    EXPECT_EQ(o.count_ok, c.count_ok);
    EXPECT_EQ(o.overwrite, c.overwrite);
    EXPECT_EQ(o.log, c.log);
  }
}

TEST(ParseCommandLineTest, MakesFullPathsAndForcesExtensions) {
  const std::string cwd = platform::CurrentFolder();
  const RunOptions o = ParseCommandLine({"types", "a.b.c", "in.CSV", "sub/out"});
  EXPECT_EQ(o.file_type_path, cwd + "/types.trl");
  EXPECT_EQ(o.style_path, cwd + "/a.b.ini");
  EXPECT_EQ(o.source_path, cwd + "/in.CSV");
  EXPECT_EQ(o.output_path, cwd + "/sub/out");
  const RunOptions abs = ParseCommandLine({"/home/u/a.trl", "/home/u/b.ini", "/c.csv", "/o"});
  EXPECT_EQ(abs.file_type_path, "/home/u/a.trl");
  EXPECT_EQ(abs.style_path, "/home/u/b.ini");
}

TEST(ReplaceExtensionTest, LooksOnlyAtTheFileName) {
  EXPECT_EQ(ReplaceExtension("/x/mystyle", ".ini"), "/x/mystyle.ini");
  EXPECT_EQ(ReplaceExtension("/x/mystyle.txt", ".ini"), "/x/mystyle.ini");
  EXPECT_EQ(ReplaceExtension("/x.y/mystyle", ".ini"), "/x.y/mystyle.ini");
  EXPECT_EQ(ReplaceExtension("/x/.hidden", ".ini"), "/x/.ini");
}

}  // namespace
