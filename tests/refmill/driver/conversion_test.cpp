#include "refmill/driver/conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "refmill/driver/message_output.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/style_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using refmill::driver::Conversion;
using refmill::driver::MessageOutput;
using refmill::driver::Messages;
using refmill::format::StyleSettings;
using testing_support::MakeStyle;
using testing_support::Sjis;

struct Converted {
  std::string output;
  std::string messages;
};

Converted Convert(const StyleSettings& s, const std::string& source) {
  const Messages m = Messages::Load();
  std::ostringstream console;
  MessageOutput out(console, false, "", true, m);
  Conversion conversion(source, s, out);
  EXPECT_FALSE(conversion.FirstPass().has_value());
  conversion.Sort();
  EXPECT_FALSE(conversion.NeighbourPass().has_value());
  out.Flush();
  Converted converted{conversion.Render(), console.str()};
  // refmill writes a file while formatting the marked entries again: the
  // list must be the same.
  std::ostringstream quiet;
  MessageOutput none(quiet, false, "", false, m);
  Conversion streamed(source, s, none);
  EXPECT_FALSE(streamed.FirstPass().has_value());
  streamed.Sort();
  EXPECT_FALSE(streamed.MarkNeighbours().has_value());
  std::string written;
  EXPECT_FALSE(
      streamed.RenderFormattingMarked([&](std::string_view piece) { written.append(piece); }));
  EXPECT_EQ(written, converted.output);
  // And so when the table is read in place, its pages handed back as the
  // first pass goes and read again for the entries formatted again.
  if (!source.empty()) {
    const testing_support::TempFolder dir;
    const auto mapped = platform::MappedFile::Map(dir.Write("t.csv", source), 0, SIZE_MAX);
    EXPECT_NE(mapped, nullptr);
    Conversion in_place(mapped->Text(), s, none, mapped.get());
    EXPECT_FALSE(in_place.FirstPass().has_value());
    in_place.Sort();
    EXPECT_FALSE(in_place.MarkNeighbours().has_value());
    written.clear();
    EXPECT_FALSE(
        in_place.RenderFormattingMarked([&](std::string_view piece) { written.append(piece); }));
    EXPECT_EQ(written, converted.output);
    // A device is written only once every entry is formatted again.
    Conversion to_device(mapped->Text(), s, none, mapped.get());
    EXPECT_FALSE(to_device.FirstPass().has_value());
    to_device.Sort();
    EXPECT_FALSE(to_device.NeighbourPass().has_value());
    EXPECT_EQ(to_device.Render(), converted.output);
  }
  return converted;
}

#ifdef __linux__
// The kilobytes of the process's memory that are resident pages of the
// mapping that begins at `start`, or -1 when it is not found.
long ResidentKilobytesOf(const void* start) {
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(smaps, line)) {
    unsigned long long from = 0;
    unsigned long long to = 0;
    if (std::sscanf(line.c_str(), "%llx-%llx ", &from, &to) == 2) {
      inside =
          from <= reinterpret_cast<uintptr_t>(start) && reinterpret_cast<uintptr_t>(start) < to;
    } else if (inside && line.rfind("Rss:", 0) == 0) {
      return std::stol(line.substr(4));
    }
  }
  return -1;
}
#endif

StyleSettings AuthorYearStyle() {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4"}, {"ebook=$AT $YR"});
  s.header = "H";
  s.footer = "F";
  return s;
}

TEST(ConversionTest, MarksRepeatedAuthorsAndSameYearWorks) {
  StyleSettings s = AuthorYearStyle();
  s.samename = "---";
  // Given out of order; sorting brings them into author and year order.
  const std::string source =
      "*,ebook,B,2001,b\r\n"
      "*,ebook,A,2000,a\r\n"
      "*,ebook,B,2000,b\r\n"
      "*,ebook,A,1999,a\r\n"
      "*,ebook,B,2001,b\r\n"
      "*,ebook,A,2000,a\r\n"
      "*,ebook,B,2000,b\r\n";
  EXPECT_EQ(Convert(s, source).output,
            "H\r\nA 1999\r\n--- 2000a\r\n--- 2000b\r\nB 2000a\r\n--- 2000b\r\n--- 2001a\r\n"
            "--- 2001b\r\nF\r\n");
}

TEST(ConversionTest, AnOrderTemplateKeepsOrderAndLettersApartFromMarkup) {
  // Two file types: one keeps the italic marks, one turns them into LaTeX.
  const std::vector<std::string> columns = {"$AT=2", "$YR=3", "$TL=4", "$RB=5"};
  const std::string source =
      "*,ebook,Bandura,1977,Social learning theory,bandura\r\n"
      "*,earticle,Bandura,1977,Self-efficacy,bandura\r\n"
      "*,earticle,Bandura,1977,Zest,bandura\r\n";
  StyleSettings html = MakeStyle(columns, {"earticle=$AT $YR $TL", "ebook=$AT $YR <i>$TL</i>"});
  StyleSettings latex = MakeStyle(columns, {"earticle=$AT $YR $TL", "ebook=$AT $YR \\textit{$TL}"});
  // Without an order template the markup decides: "<" sorts before letters.
  EXPECT_EQ(Convert(html, source).output,
            "\r\nBandura 1977a <i>Social learning theory</i>\r\nBandura 1977b Self-efficacy\r\n"
            "Bandura 1977c Zest\r\n\r\n");
  for (StyleSettings* s : {&html, &latex}) {
    s->order = refmill::format::TemplateTable({"order=$AT $YR $TL"}, s->columns);
  }
  EXPECT_EQ(Convert(html, source).output,
            "\r\nBandura 1977a Self-efficacy\r\nBandura 1977b <i>Social learning theory</i>\r\n"
            "Bandura 1977c Zest\r\n\r\n");
  EXPECT_EQ(Convert(latex, source).output,
            "\r\nBandura 1977a Self-efficacy\r\nBandura 1977b \\textit{Social learning theory}\r\n"
            "Bandura 1977c Zest\r\n\r\n");
}

TEST(ConversionTest, NeighbourRules) {
  struct Case {
    const char* name;
    int sort;
    std::string samename;
    bool sameyear;
    std::string source;
    std::string expected;  // the entry lines, without header and footer
  };
  const Case cases[] = {
      {"no entries", 1, "", true, "title line\r\n\r\n", ""},
      {"input order kept with sort 0", 0, "", true,
       "*,ebook,B,1,b\n*,ebook,A,1,a\n*,ebook,A,1,a\n*,ebook,B,1,b\n",
       "B 1\r\nA 1a\r\nA 1b\r\nB 1\r\n"},
      {"first two of the list", 1, "", true, "*,ebook,A,1,a\n*,ebook,A,1,a\n", "A 1a\r\nA 1b\r\n"},
      {"authors compared without case", 0, "=", false, "*,ebook,smith,1,a\n*,ebook,SMITH,2,a\n",
       "smith 1\r\n= 2\r\n"},
      {"nothing marked when both are off", 1, "", false, "*,ebook,A,1,a\n*,ebook,A,1,a\n",
       "A 1\r\nA 1\r\n"},
      {"skipped lines and a full-width asterisk", 1, "", true,
       "x\n" + Sjis("＊") + ",ebook,A,1,a\n*,ebook,A,1,a\n", "A 1\r\n"},
      {"apostrophes unchanged", 1, "", true, "*,ebook,O'Neil,1,o'neil\n", "O'Neil 1\r\n"},
      {"a repeated author that begins a year group", 0, "=", true,
       "*,ebook,A,1,a\n*,ebook,A,2,a\n*,ebook,A,2,a\n*,ebook,B,2,b\n*,ebook,B,2,b\n",
       "A 1\r\n= 2a\r\n= 2b\r\nB 2a\r\n= 2b\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = AuthorYearStyle();
    s.sort = c.sort;
    s.samename = c.samename;
    s.sameyear = c.sameyear;
    EXPECT_EQ(Convert(s, c.source).output, "H\r\n" + c.expected + "F\r\n");
  }
}

TEST(ConversionTest, AuthorsAreComparedWhereverTheSplitMovedThem) {
  // Empty columns before the author get a "|" each from the split, and so
  // may a quoted author itself; neither may hide a repeated author.
  struct Case {
    const char* name;
    std::string source;
    std::string expected;
  };
  const Case cases[] = {
      {"empty columns before", "*,ebook,,,A,1,a\n*,ebook,x,,A,2,a\n*,ebook,,,A,1,a\n",
       "A 1a\r\n= 1b\r\n= 2\r\n"},
      {"empty columns inside", "*,ebook,,,\"A,,B\",1,a\n*,ebook,,,\"A,,B\",2,a\n",
       "A, & ,B 1\r\n= 2\r\n"},
      {"the same bytes elsewhere in the line", "*,ebook,A,,A,1,a\n*,ebook,,,A,2,a\n",
       "A 1\r\n= 2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle({"$AT=4", "$YR=5", "$RB=6"}, {"ebook=$AT $YR"});
    s.samename = "=";
    EXPECT_EQ(Convert(s, c.source).output, "\r\n" + c.expected + "\r\n");
  }
}

TEST(ConversionTest, LettersGoOnPastZ) {
  // Letters and IDs alike: every entry of a group that runs past "zz" must
  // stay apart from the others, and only plain letters may appear.
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4", "$ID=-4"}, {"ebook=$ID $YR"});
  std::string source;
  constexpr size_t kEntries = 705;
  for (size_t i = 0; i < kEntries; ++i) source += "*,ebook,A,1999,who\n";
  const std::string out = Convert(s, source).output;
  std::vector<std::string> lines;
  for (size_t pos = 0, end; (end = out.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    lines.push_back(out.substr(pos, end - pos));
  }
  ASSERT_EQ(lines.size(), kEntries + 2);
  struct Case {
    size_t entry;  // from 0, in output order
    const char* line;
  };
  const Case cases[] = {
      {0, "who1999a 1999a"},     {25, "who1999z 1999z"},      {26, "who1999aa 1999aa"},
      {27, "who1999ab 1999ab"},  {51, "who1999az 1999az"},    {52, "who1999ba 1999ba"},
      {701, "who1999zz 1999zz"}, {702, "who1999aaa 1999aaa"}, {704, "who1999aac 1999aac"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    EXPECT_EQ(lines[c.entry + 1], c.line);
  }
  const std::set<std::string> distinct(lines.begin() + 1, lines.end() - 1);
  EXPECT_EQ(distinct.size(), kEntries);
}

TEST(ConversionTest, WarningsNameTheSourceLineOnce) {
  StyleSettings s = AuthorYearStyle();
  const Converted c = Convert(s, "heading\r\n\r\n*,ebook,,2000,a\r\n*,ebook,,2000,a\r\n");
  EXPECT_EQ(c.messages, Sjis("警告(3行)：$AT = 3フィールドが欠落しています\r\n"
                             "警告(4行)：$AT = 3フィールドが欠落しています\r\n"));
}

TEST(ConversionTest, StopsOnABrokenStyle) {
  const StyleSettings broken =
      MakeStyle({"$AT=2", "$YR=3", "$RB=4", "$QQ=99"}, {"ebook=$ZZ $QQ", "eart=x"});
  const Messages m = Messages::Load();
  std::ostringstream console;
  MessageOutput out(console, false, "", true, m);
  Conversion conversion("*,ebook,A,1,a\n", broken, out);
  EXPECT_TRUE(conversion.FirstPass().has_value());

  // The template never reads the year, but the neighbour pass compares it.
  const StyleSettings no_year = MakeStyle({"$AT=2", "$YR=60", "$RB=4"}, {"ebook=$AT"});
  Conversion neighbours("x\n*,ebook,A,1,a\n", no_year, out);
  EXPECT_FALSE(neighbours.FirstPass().has_value());
  const auto fault = neighbours.NeighbourPass();
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(*fault, (refmill::format::StyleFault{refmill::format::StyleFault::Kind::kMissingColumn,
                                                 "$YR", 60, 2}));
}

// A fault of the style in the middle of a table of many parts: the warnings
// of the lines before it go out, in order, with its own line's, and none of
// the lines after it, which the cores may have formatted already.
TEST(ConversionTest, AFaultEndsTheWarningsAtItsLine) {
  const StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4", "$QQ=60"}, {"ebook=$AT $YR $QQ"});
  std::string wide;  // columns up to 61, so that $QQ is there
  for (int column = 4; column <= 61; ++column) wide += ",x";
  constexpr int kLines = 20000;
  constexpr int kFaultLine = 10001;
  std::string source;
  std::string warnings;
  for (int line = 1; line <= kLines; ++line) {
    // Every entry lacks its author, which warns before the fault is met.
    source += "*,ebook,,2000" + (line == kFaultLine ? std::string() : wide) + "\r\n";
    if (line <= kFaultLine) {
      warnings +=
          Sjis("警告(" + std::to_string(line) + "行)：$AT = 3フィールドが欠落しています\r\n");
    }
  }
  const Messages m = Messages::Load();
  std::ostringstream console;
  MessageOutput out(console, false, "", true, m);
  Conversion conversion(source, s, out);
  const auto fault = conversion.FirstPass();
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->line, kFaultLine);
  out.Flush();
  EXPECT_EQ(console.str(), warnings);
}

// A fault that only formatting an entry again meets (the repeated-author
// mark used five times makes the entry too large) stops the writing part
// way; the caller discards what was written.
TEST(ConversionTest, AFaultWhileWritingStopsTheList) {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4"}, {"ebook=$AT $AT $AT $AT $AT $YR"});
  s.samename = std::string(size_t{17} << 20, '-');
  const Messages m = Messages::Load();
  std::ostringstream console;
  MessageOutput out(console, false, "", false, m);
  Conversion conversion("*,ebook,A,1,a\n*,ebook,A,2,a\n*,ebook,B,3,b\n", s, out);
  ASSERT_FALSE(conversion.FirstPass().has_value());
  conversion.Sort();
  ASSERT_FALSE(conversion.MarkNeighbours().has_value());
  std::string written;
  const auto fault =
      conversion.RenderFormattingMarked([&](std::string_view piece) { written.append(piece); });
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(fault->kind, refmill::format::StyleFault::Kind::kOversizedEntry);
  EXPECT_EQ(fault->line, 2);
  EXPECT_EQ(written.find("B 3"), std::string::npos);
}

// Large enough for both cores: each part's entries and warnings must land in
// source order, whatever mix of entry lines and other lines the parts get.
TEST(ConversionTest, LargeTablesKeepSourceOrderAcrossParts) {
  StyleSettings s = AuthorYearStyle();
  s.sort = 0;
  std::string source;
  std::string expected = "H\r\n";
  constexpr int kLines = 60000;
  for (int i = 0; i < kLines; ++i) {
    const std::string n = std::to_string(i);
    if (i % 3 == 0) {
      source += "note " + n + "\r\n";  // not an entry
    } else if (i % 3 == 1) {
      source += "*,ebook,A" + n + "," + n + ",x\n";
      expected += "A" + n + " " + n + "\r\n";
    } else {
      source += "*\r";  // no category: a warning, and the entry becomes the mark
      expected += Sjis("■") + "\r\n";
    }
  }
  expected += "F\r\n";
  const Converted c = Convert(s, source);
  EXPECT_EQ(c.output, expected);
  std::string shifted;  // line numbers count from 1
  for (int i = 2; i < kLines; i += 3) {
    shifted += Sjis("警告(" + std::to_string(i + 1) + "行)：カテゴリー名が不正です\r\n");
  }
  EXPECT_EQ(c.messages, shifted);
}

// Enough repeated authors that the sort and the second formatting pass both
// share their work: every entry must still get its own mark and letter.
TEST(ConversionTest, LargeSortedTablesGetEveryRepeatAndLetter) {
  StyleSettings s = AuthorYearStyle();
  s.samename = "---";
  constexpr int kAuthors = 7500;
  std::string source;
  std::string expected = "H\r\n";
  for (int i = kAuthors - 1; i >= 0; --i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%05d", i);
    source += "*,ebook," + std::string(name) + ",2000,x\r\n";
    source += "*,ebook," + std::string(name) + ",2000,x\r\n";
  }
  for (int i = 0; i < kAuthors; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%05d", i);
    expected += std::string(name) + " 2000a\r\n--- 2000b\r\n";
  }
  expected += "F\r\n";
  EXPECT_EQ(Convert(s, source).output, expected);
}

// Long entries: the list is made in many blocks cut by their bytes, more
// than may wait for the writer at once, and each must come whole and in
// its place.
TEST(ConversionTest, LongEntriesComeWholeAndInOrder) {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$TL=4", "$RB=5"}, {"ebook=$AT $YR $TL"});
  s.header = "H";
  s.footer = "F";
  s.samename = "---";
  constexpr int kEntries = 12000;
  std::string source;
  for (int i = kEntries - 1; i >= 0; --i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%05d", i / 3);
    source += "*,ebook," + std::string(name) + ",2000," +
              std::string(600, static_cast<char>('a' + i % 26)) + "\r\n";
  }
  // Convert compares the list made in blocks with the one made whole.
  const Converted c = Convert(s, source);
  size_t lines = 0;
  for (size_t at = c.output.find("\r\n"); at != std::string::npos;
       at = c.output.find("\r\n", at + 2)) {
    ++lines;
  }
  EXPECT_EQ(lines, size_t{kEntries} + 2);
  EXPECT_EQ(c.output.substr(0, 14), "H\r\nA00000 2000");
  EXPECT_EQ(c.output.substr(c.output.size() - 3), "F\r\n");
}

// A table of megabytes read in place: each core hands back the pages it
// has read every few megabytes, and the list must not notice, with the
// entry in the sort line or apart from it (an order template).
TEST(ConversionTest, ATableReadInPlaceGivesTheSameList) {
  constexpr int kEntries = 40000;
  std::string source;
  for (int i = kEntries - 1; i >= 0; --i) {
    char name[8];
    std::snprintf(name, sizeof name, "A%05d", i / 4);
    source += "*,ebook," + std::string(name) + "," + std::to_string(2000 + i % 2) + "," +
              std::string(250, static_cast<char>('a' + i % 26)) + "\r\n";
  }
  for (const bool order : {false, true}) {
    SCOPED_TRACE(order ? "order template" : "entry in the line");
    StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$TL=4", "$RB=5"}, {"ebook=$AT $YR $TL"});
    if (order) s.order = refmill::format::TemplateTable({"order=$TL $AT $YR"}, s.columns);
    s.samename = "---";
    s.sameyear = true;
    const std::string list = Convert(s, source).output;
    EXPECT_EQ(list.substr(0, 12), "\r\nA00000 200");
  }
}

#ifdef __linux__
// Entries marked all over a table read in place are formatted again from
// lines copied in one walk through it: reading them where they lie, in list
// order, would bring its pages back for the rest of the run, and a table of
// a million references would be held whole a second time. Where most are
// marked, only the columns the marks read are copied, and the entries that
// are formatted whole again read their lines from the file.
TEST(ConversionTest, ATableReadInPlaceIsNotHeldAgainForItsMarkedEntries) {
  constexpr int kEntries = 40000;
  const struct {
    const char* what;
    int (*author)(int line);
    size_t repeats;
    bool year_in_some_names;  // their year letters are placed by formatting them whole
    // Every other entry of a category whose template names the author
    // twice, which sends its repeats to the whole formatting.
    bool some_whole_by_template = false;
  } cases[] = {
      // One entry in four repeats the author of another, far from it.
      {"a quarter", [](int i) { return i % 4 == 0 ? (i + 20001) % kEntries : i; }, kEntries / 4,
       false},
      // Four entries an author, each a quarter of the table from the next.
      {"three quarters", [](int i) { return i % (kEntries / 4); }, kEntries / 4 * 3, false},
      {"three quarters, some whole again", [](int i) { return i % (kEntries / 4); },
       kEntries / 4 * 3, true},
      {"three quarters, half by their template whole again",
       [](int i) { return i % (kEntries / 4); }, kEntries / 4 * 3, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string source;
    for (int i = kEntries - 1; i >= 0; --i) {
      // Letters, not digits: a name holding the year would have the year
      // letter's place in the entry be told by formatting it whole again.
      char name[8];
      std::snprintf(name, sizeof name, "A%05d", c.author(i));
      for (char* d = name + 1; *d != '\0'; ++d) *d = static_cast<char>('K' + (*d - '0'));
      // The first authors in the list: their entries, formatted whole
      // again, come one after the other, as one reference many times over.
      const bool year_in_name = c.year_in_some_names && c.author(i) < 160;
      const bool twice = c.some_whole_by_template && i % 2 == 1;
      source += std::string(twice ? "*,echapter," : "*,ebook,") + name +
                (year_in_name ? "2000" : "") + ",2000," + std::string(250, 'a') + "\r\n";
    }
    StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$TL=4", "$RB=5"},
                                {"ebook=$AT $YR $TL", "echapter=$AT $AT $YR $TL"});
    s.samename = "---";
    const testing_support::TempFolder dir;
    const auto mapped = platform::MappedFile::Map(dir.Write("t.csv", source), 0, SIZE_MAX);
    ASSERT_NE(mapped, nullptr);
    std::ostringstream quiet;
    MessageOutput none(quiet, false, "", false, Messages::Load());
    Conversion conversion(mapped->Text(), s, none, mapped.get());
    ASSERT_FALSE(conversion.FirstPass().has_value());
    conversion.Sort();
    ASSERT_FALSE(conversion.MarkNeighbours().has_value());
    size_t lines = 0;
    ASSERT_FALSE(conversion.RenderFormattingMarked([&](std::string_view piece) {
      for (size_t at = piece.find("---"); at != std::string_view::npos;
           at = piece.find("---", piece.find('\n', at))) {
        ++lines;
      }
    }));
    EXPECT_EQ(lines, c.repeats);
    // The table is about 10 MB; what stays are at most the pages of the last
    // steps of the walk, and those around them.
    const long resident = ResidentKilobytesOf(mapped->Text().data());
    EXPECT_GE(resident, 0);
    EXPECT_LT(resident, 2048);
  }
}
#endif

}  // namespace
