#include "refmill/format/entry_formatter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/encoding.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/style_fixture.h"

namespace {

using namespace refmill::format;  // NOLINT: the operations under test
using testing_support::Fields;
using testing_support::MakeStyle;
using testing_support::RecordedWarning;
using testing_support::RecordingSink;
using testing_support::Sjis;

const std::vector<std::string> kColumns = {"$AT=2",  "$YR=3",  "$TL=4",  "$BT=5",  "$VL=6",
                                           "$PG=7",  "$NO=-2", "$ED=8",  "$RB=9",  "$SA=-1",
                                           "$ID=-4", "$FA=-5", "$JT=10", "$JB=11", "$TR=12",
                                           "$JE=13", "$JV=14", "$JN=-3", "$EN=15", "$DO=16"};

// The formatted entry as UTF-8, or "FAULT" when the style is broken.
std::string Format(const StyleSettings& s, std::string_view line, bool repeat = false,
                   std::string_view letter = {}, RecordingSink* sink = nullptr) {
  RecordingSink local;
  const EntryContext ctx{s, 5, sink != nullptr ? *sink : local};
  TextOrFault out = FormatEntry(Fields(line), repeat, letter, ctx);
  if (std::holds_alternative<StyleFault>(out)) return "FAULT";
  return platform::SjisToUtf8(std::get<std::string>(out));
}

TEST(FormatEntryTest, FillsTemplatesByTheColumnRules) {
  struct Case {
    const char* name;
    std::string tmpl;  // the template of category "e"/"j" as written in the style
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {"worked example", "earticle=$AT ($YR) $TL. $BT $VL$NO, $PG.",
       "*,earticle,John Smith|Paul Jones,1999,Title|Sub,Journal,12|3,123-129",
       "Smith, John & Paul Jones (1999) Title: Sub. Journal 12(3), 123-129."},
      {"no tokens", "ebook=Plain text.", "*,ebook", "Plain text."},
      {"same token twice", "ebook=$YR/$YR", "*,ebook,A,2001", "2001/2001"},
      {"unknown token reads column 0", "ebook=$ZZ|$", "*,ebook", "*|*"},
      {"quotes removed", "ebook=$TL", "*,ebook,A,1,\"Hello, World\"", "Hello, World"},
      {"issue text of empty column", "ebook=$NO", "*,ebook,A,1,T,B,,", "()"},
      {"issue text without number", "ebook=[$NO]", "*,ebook,A,1,T,B,12", "[]"},
      {"volume cut at its issue", "ebook=$VL", "*,ebook,A,1,T,B,12|3", "12"},
      {"short authors", "ebook=$SA", "*,ebook,A Smith|B Jones|C Brown", "Smith et al."},
      {"Western editors", "ebook=$ED", "*,ebook,A,1,T,B,V,P,Smith|Jones", "Smith & Jones ed."},
      {"Western subtitle", "ebook=$BT", "*,ebook,A,1,T,Journal|Examples", "Journal: Examples"},
      {"Japanese entry", "jbook=$AT『$TL』$ED",
       "*,jbook,山田#太郎|鈴木#花子,2001,心理学|入門,B,V,P,佐藤",
       "山田太郎・鈴木花子『心理学――入門』佐藤編"},
      {"Japanese title placeholders in a Western entry", "ebook=$JT $JB",
       "*,ebook,A,1,T,B,V,P,E,R,和書|副題,雑誌|特集", "和書――副題 雑誌――特集"},
      {"translators and Japanese editors", "tbook=$TR/$JE",
       "*,tbook,A,1,T,B,V,P,E,R,J,K,山田#太郎|鈴木,佐藤", "山田太郎・鈴木訳/佐藤編"},
      {"Japanese issue", "jbook=$JV$JN", "*,jbook,A,1,T,B,V,P,E,R,J,K,L,M,5|2", "5(2)"},
      {"translated entry uses Western rules", "tbook=$AT", "*,tbook,John Smith", "Smith, John"},
      {"a dollar in the data is printed as it stands", "ebook=$TL $YR",
       "*,ebook,A,2001,Cost in $YR", "Cost in $YR 2001"},
      // "$x" + the first byte of the author list forms a token of its own,
      // which reads column 0.
      {"overlapping tokens filled one token at a time", "ebook=$AT $x$AT", "*,ebook,John Smith",
       "Smith, John *mith, John"},
      {"token of two dollars", "ebook=$$AT", "*,ebook,X", "*T"},
      {"token cut by the template's end", "ebook=ab$A", "*,ebook,X", "ab*"},
      {"prefix and suffix placeholders", "ebook=<$YR>", "*,ebook,A,1999", "<1999>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StyleSettings s = MakeStyle(kColumns, {c.tmpl});
    EXPECT_EQ(Format(s, c.line), c.expected);
  }
}

TEST(FormatEntryTest, WarnsOnceAndMarksWhatIsMissing) {
  const StyleSettings s = MakeStyle(kColumns, {"ebook=$AT ($YR) $TL, $TL.", "jbook=x"});
  struct Case {
    const char* name;
    std::string line;
    std::string expected;
    std::vector<RecordedWarning> warnings;
  };
  const Case cases[] = {
      {"missing fields",
       "*,ebook,,,",
       "■ (■) ■, ■.",
       {{5, Warning::kFieldMissing, "$AT = 3"},
        {5, Warning::kFieldMissing, "$YR = 4"},
        {5, Warning::kFieldMissing, "$TL = 5"}}},
      {"no template", "*,earticle,A", "■", {{5, Warning::kInvalidCategory, ""}}},
      // The template is found without regard to case, the kind is not.
      {"category of no kind", "*,Jbook,A", "■", {{5, Warning::kInvalidCategory, ""}}},
      {"no names", "*,ebook,\"\",1,T", "■ (1) T, T.", {{5, Warning::kInvalidAuthor, ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSink sink;
    EXPECT_EQ(Format(s, c.line, false, {}, &sink), c.expected);
    EXPECT_EQ(sink.warnings, c.warnings);
  }
}

TEST(FormatEntryTest, RepeatFlagAndYearLetter) {
  StyleSettings s = MakeStyle(kColumns, {"ebook=$AT|$SA|$FA ($YR) $ID"});
  s.samename = "---";
  // Only the "|" of values are deleted, not those of the template.
  const std::string line = "*,ebook,John Smith,1999,T,B,V,P,E,,x";
  EXPECT_EQ(Format(s, line, true, "b"), "---|Smith|Smith, John (1999b) smith1999b");
  EXPECT_EQ(Format(s, line, false, "ab"), "Smith, John|Smith|Smith, John (1999ab) smith1999ab");
  EXPECT_EQ(Format(s, line, false), "Smith, John|Smith|Smith, John (1999) smith1999");
  EXPECT_EQ(Format(s, "*,ebook,John Smith,,T,B,V,P,E,,x", false, "a"),
            "Smith, John|Smith|Smith, John (a) smitha");
}

// A marked entry made from the text of the unmarked one must be exactly
// what formatting the marked entry gives, and is made wherever the changed
// values can only stand in one place.
TEST(FormatMarkedEntryTest, GivesWhatFormattingTheMarkedEntryGives) {
  struct Case {
    const char* name;
    std::string tmpl;
    std::string line;
    // Made or left to FormatEntry ('y' or 'n'): repeated author, year
    // letter, both.
    std::string made;
    bool author_is_year = false;  // the style gives both the same column
    // Whatever the values, every mark sends the entry to FormatEntry
    // (MarksFormatEntriesWhole, with both kinds of marks on).
    bool all_whole = false;
    // Which marks the entry's template alone sends to FormatEntry
    // (FormatsMarkedEntryWhole), as `made`.
    std::string template_whole = "nnn";
  };
  const Case cases[] = {
      {"author and year", "ebook=$AT ($YR). $TL.", "*,ebook,John Smith,1999,T", "yyy"},
      {"an ID made from the year", "ebook=<$ID>$AT ($YR). $TL.",
       "*,ebook,John Smith,1999,T,B,V,P,E,,x", "yyy"},
      {"an ID that is the year", "ebook=<$ID>$AT ($YR). $TL.", "*,ebook,John Smith,1999,T", "ynn"},
      {"the year in the title too", "ebook=$AT ($YR). $TL.", "*,ebook,John Smith,1999,In 1999",
       "ynn"},
      {"the author in the title too", "ebook=$AT ($YR). $TL.",
       "*,ebook,John Smith,1999,\"Smith, John.\"", "nyn"},
      {"the year named twice", "ebook=$AT ($YR) $YR", "*,ebook,John Smith,1999", "ynn", false,
       false, "nyy"},
      {"a second name for the year column", "ebook=$AT ($YR) $Y2", "*,ebook,John Smith,1999", "ynn",
       false, false, "nyy"},
      {"the year in an optional part", "ebook=$AT, {?$YR?}", "*,ebook,John Smith,1999", "ynn",
       false, false, "nyy"},
      {"an optional part after a stop that may go", "ebook=$AT{?, $YR?}", "*,ebook,John Smith,1999",
       "nnn", false, false, "nyy"},
      {"the author in an optional part, the year twice", "ebook={?$AT?} ($YR) $YR",
       "*,ebook,John Smith,1999", "nnn", false, true, "yyy"},
      {"a stop the author list takes from the template", "ebook=$AT. ($YR)",
       "*,ebook,John Smith,1999", "nyn"},
      {"a stop the template keeps either way", "ebook=$AT ($YR)", "*,ebook,John Smith,1999", "yyy"},
      {"escaped values", "ebook=$AT ($YR) $TL", "*,ebook,A&B <Smith>,1999,T", "yyy"},
      {"an empty year", "ebook=$AT ($YR) $TL", "*,ebook,John Smith,,T", "yyy"},
      {"a year inside the author list", "ebook=$AT ($YR)", "*,ebook,1999 Group,1999", "yny"},
      {"a Japanese entry", "jbook=$AT（$YR）『$TL』", "*,jbook,山田#太郎,1999,心理学", "yyy"},
      {"no template for the category", "ebook=$AT", "*,nobook,John Smith,1999", "nnn", false, false,
       "yyy"},
      {"author lists made from the year's column", "ebook=$SA ($YR)", "*,ebook,John Smith", "yyy",
       true},
  };
  const std::pair<bool, std::string> marks[] = {{true, ""}, {false, "a"}, {true, "b"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle([&c] {
      std::vector<std::string> columns = kColumns;
      columns.push_back("$Y2=3");
      if (c.author_is_year)
        std::replace(columns.begin(), columns.end(), std::string("$YR=3"), std::string("$YR=2"));
      return columns;
    }());
    s.optional = true;
    s.templates = TemplateTable({MarkOptionalParts(Sjis(c.tmpl))}, s.columns, true);
    s.samename = "---";
    s.nodouble = true;
    s.e_at_stop = true;
    s.escapes = EscapeRules({"&=&amp;", "<=&lt;", ">=&gt;"});
    s.sameyear = true;
    EXPECT_EQ(MarksFormatEntriesWhole(s), c.all_whole);
    RecordingSink sink;
    const EntryContext ctx{s, 5, sink};
    const FieldList fields = Fields(c.line);
    const std::string_view category = *fields.At(1);
    // The style's one template, whatever the entry's category.
    EXPECT_EQ(SomeMarksFormatEntriesWhole(s),
              s.templates.Find(category) && c.template_whole != "nnn");
    bool literally = false;
    const TextOrFault unmarked = FormatEntry(fields, false, {}, ctx, nullptr, &literally);
    ASSERT_TRUE(std::holds_alternative<std::string>(unmarked));
    ASSERT_FALSE(literally);
    for (size_t m = 0; m < std::size(marks); ++m) {
      const auto& [repeat, letter] = marks[m];
      SCOPED_TRACE(m);
      const std::optional<std::string> made =
          FormatMarkedEntry(fields, std::get<std::string>(unmarked), repeat, letter, ctx);
      EXPECT_EQ(made.has_value(), c.made[m] == 'y');
      EXPECT_EQ(FormatsMarkedEntryWhole(category, repeat, !letter.empty(), s),
                c.template_whole[m] == 'y');
      if (made) {
        EXPECT_EQ(TextOrFault(*made), FormatEntry(fields, repeat, letter, ctx));
      }
    }
  }
}

// Values kept from one marked entry for the next are used only where they
// are made from the same: a run of one author, then other authors, kinds and
// IDs made from line numbers.
TEST(FormatMarkedEntryTest, KeepsValuesOnlyForEntriesThatShareThem) {
  StyleSettings s = MakeStyle(kColumns, {"ebook=<$ID>$AT ($YR) $TL", "jbook=<$ID>$AT（$YR）$TL",
                                         "tbook=<$ID>$AT ($YR) $TL"});
  s.samename = "---";
  struct Step {
    int line;
    std::string fields;
    bool repeat;
    std::string letter;
  };
  const Step steps[] = {
      {10, "*,ebook,John Smith,1999,A,B,V,P,E,,x", false, "a"},
      {11, "*,ebook,John Smith,1999,B,B,V,P,E,,x", true, "b"},
      {12, "*,ebook,John Smith,1999,C,B,V,P,E,,x", true, "c"},
      {13, "*,tbook,John Smith,1999,D,B,V,P,E,,x", true, "d"},
      {14, "*,ebook,Jane Smith,1999,E,B,V,P,E,,x", false, "a"},
      {15, "*,ebook,Jane Smith,2000,F,B,V,P,E,,x", true, ""},
      {16, "*,jbook,山田#太郎,2001,心理学,B,V,P,E,,x", false, "a"},
      {17, "*,jbook,山田#太郎,2001,教育,B,V,P,E,,x", true, "b"},
      {18, "*,jbook,山田#太郎,2001,発達,B,V,P,E,,東京", true, "c"},
  };
  UnmarkedValues known;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    RecordingSink sink;
    const EntryContext ctx{s, step.line, sink};
    const FieldList fields = Fields(step.fields);
    const TextOrFault unmarked = FormatEntry(fields, false, {}, ctx);
    ASSERT_TRUE(std::holds_alternative<std::string>(unmarked));
    const std::optional<std::string> made = FormatMarkedEntry(
        fields, std::get<std::string>(unmarked), step.repeat, step.letter, ctx, &known);
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(TextOrFault(*made), FormatEntry(fields, step.repeat, step.letter, ctx));
  }
}

TEST(YearLetterTest, CountsOnPastZWithoutWrapping) {
  struct Case {
    size_t position;
    const char* letter;
  };
  const Case cases[] = {{0, "a"},     {1, "b"},       {25, "z"},      {26, "aa"},
                        {27, "ab"},   {51, "az"},     {52, "ba"},     {701, "zz"},
                        {702, "aaa"}, {18277, "zzz"}, {18278, "aaaa"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    EXPECT_EQ(YearLetter(c.position), c.letter);
  }
}

TEST(FormatEntryTest, AppliesSwitches) {
  StyleSettings s = MakeStyle(kColumns, {"ebook=$AT/$FA/$PG/$BT/$ED"});
  s.etal_a = true;
  s.page = 2;
  s.abbrev = true;
  s.e_ed2 = "eds.";
  s.abbreviations = AbbreviationTable({"Journal of Examples=J. Ex.", "Journal: Examples=J. E."});
  struct Case {
    const char* name;
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {"et al. only for the -5 token", "*,ebook,A B|C D|E F,1,T,X,V,123-129,G|H",
       "B, A, C D & E F/B, A et al./123-9/X/G & H eds."},
      {"pages of different length", "*,ebook,A,1,T,journal of examples,V,99-101,G",
       "A/A/99-101/J. Ex./G ed."},
      {"one page given as a range", "*,ebook,A,1,T,Journal|Examples,V,123-123,G",
       "A/A/123/J. E./G ed."},
      {"only the first dash splits", "*,ebook,A,1,T,X,V,12-12-5,G", "A/A/12-12-5/X/G ed."},
      {"empty second number", "*,ebook,A,1,T,X,V,45-,G", "A/A/45-/X/G ed."},
      {"missing pages stay marked", "*,ebook,A,1,T,Unknown,V,,G", "A/A/■/Unknown/G ed."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Format(s, c.line), c.expected);
  }
  // Other page styles print every range as written.
  for (const int page : {0, 1}) {
    SCOPED_TRACE(page);
    s.page = page;
    EXPECT_EQ(Format(s, "*,ebook,A,1,T,X,V,45-45,G"), "A/A/45-45/X/G ed.");
  }
}

TEST(FormatEntryTest, ABrokenStyleIsAFault) {
  const StyleSettings beyond = MakeStyle({"$AT=60"}, {"ebook=$AT"});
  EXPECT_EQ(Format(beyond, "*,ebook,A"), "FAULT");
  const StyleSettings unknown_code = MakeStyle({"$XX=-7"}, {"ebook=$XX"});
  EXPECT_EQ(Format(unknown_code, "*,ebook,A"), "FAULT");
  // A wide line has the column, so the same style works there.
  std::string wide = "*,ebook";
  for (int i = 2; i <= 60; ++i) wide += "," + std::to_string(i);
  EXPECT_EQ(Format(beyond, wide), "60");
}

// A value made from a column the entry lacks (a short author list, an
// issue, an ID) is the style's fault, named by the column it reads.
TEST(FormatEntryTest, ValuesMadeFromAColumnBeyondTheEntryAreAFault) {
  struct Case {
    std::vector<std::string> columns;
    std::string tmpl;
    std::string token;
    int64_t column;
  };
  const Case cases[] = {
      {{"$AT=60", "$SA=-1"}, "ebook=$SA", "$AT", 60},
      {{"$VL=60", "$NO=-2"}, "ebook=$NO", "$VL", 60},
      {{"$JV=60", "$JN=-3"}, "ebook=$JN", "$JV", 60},
      {{"$RB=2", "$AT=60", "$YR=3", "$ID=-4"}, "ebook=$ID", "$AT", 60},
      {{"$RB=2", "$AT=3", "$YR=60", "$ID=-4"}, "ebook=$ID", "$YR", 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tmpl + " " + c.columns[0]);
    const StyleSettings s = MakeStyle(c.columns, {c.tmpl});
    RecordingSink sink;
    const EntryContext ctx{s, 5, sink};
    const TextOrFault out = FormatEntry(Fields("*,ebook,,1999"), false, {}, ctx);
    ASSERT_TRUE(std::holds_alternative<StyleFault>(out));
    EXPECT_EQ(std::get<StyleFault>(out),
              (StyleFault{StyleFault::Kind::kMissingColumn, c.token, c.column, 5}));
  }
}

TEST(FormatEntryTest, RefusesTemplatesTooTangledToFill) {
  // Every token overlaps the next, and there are over a hundred different
  // ones: filling them one by one would walk the template for each.
  std::string tangled = "ebook=";
  std::string marks;
  for (int c = 0x21; c <= 0x7E; ++c) {
    if (c != '$') marks.push_back(static_cast<char>(c));
  }
  for (int c = 0xA1; c <= 0xDF; ++c) marks.push_back(static_cast<char>(c));
  for (size_t i = 0; tangled.size() < (size_t{1} << 20); ++i) {
    tangled += '$';
    tangled += marks[i % marks.size()];
  }
  StyleSettings s = MakeStyle({});
  s.templates = TemplateTable({tangled}, s.columns);
  EXPECT_EQ(Format(s, "*,ebook,A"), "FAULT");
}

TEST(FormatEntryTest, RefusesValuesRepeatedPastTheCap) {
  // Repeats of a value may add 64 MiB (67,108,864 bytes) to an entry; a
  // column's value used once is not counted, however long.
  struct Case {
    const char* name;
    std::string tokens;  // the template is "$TL" and 6,500 of these
    size_t cell;         // length of the title cell
    bool refused;
  };
  const Case cases[] = {
      {"6,500 repeats of 10,500 bytes", "$TL", 10500, true},
      {"6,500 repeats of 10,000 bytes", "$TL", 10000, false},
      {"the long cell used once", "$YR", 10500, false},
      // "$XT" reads the title's column under a name of its own.
      {"repeats under other names", "$XT", 10500, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string tmpl = "ebook=$TL";
    for (int i = 0; i < 6500; ++i) tmpl += c.tokens;
    std::vector<std::string> columns = kColumns;
    columns.push_back("$XT=4");
    StyleSettings s = MakeStyle(columns);
    s.templates = TemplateTable({tmpl}, s.columns);
    RecordingSink sink;
    const EntryContext ctx{s, 5, sink};
    const TextOrFault out =
        FormatEntry(Fields("*,ebook,A,1999," + std::string(c.cell, 'T')), false, {}, ctx);
    if (c.refused) {
      EXPECT_EQ(std::get<StyleFault>(out),
                (StyleFault{StyleFault::Kind::kOversizedEntry, c.tokens, 0, 5}));
    } else {
      ASSERT_TRUE(std::holds_alternative<std::string>(out));
    }
  }
}

TEST(FormatEntryTest, EscapesValuesButNotTheTemplate) {
  struct Case {
    const char* name;
    std::string tmpl;
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {"title and author list", "ebook=<i>$TL</i> & $AT", "*,ebook,A B|C D,1,x<y> & z",
       "<i>x&lt;y&gt; &amp; z</i> & B, A &amp; C D"},
      {"computed values", "ebook=<$SA>", "*,ebook,A<1>", "<A&lt;1&gt;>"},
      // The ID is the key a citation names, written as it is.
      {"entry ID", "ebook=$ID $AT", "*,ebook,A van_B&C,1,T,B,V,P,E,van_B&C",
       "van_b&c1 van B&amp;C, A"},
      // The token-by-token filling (tokens overlap here) escapes the same way;
      // the "$" the first round leaves reads "a&" into its token "$a&".
      {"literal filling", "ebook=$TL$$TL", "*,ebook,A,1,a&b", "a&amp;b*amp;b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle(kColumns, {c.tmpl});
    s.escapes = EscapeRules({"&=&amp;", "<=&lt;", ">=&gt;"});
    RecordingSink sink;
    const EntryContext ctx{s, 5, sink};
    TextOrFault out = FormatEntry(Fields(c.line), false, {}, ctx);
    ASSERT_TRUE(std::holds_alternative<std::string>(out));
    EXPECT_EQ(std::get<std::string>(out), c.expected);
  }
}

TEST(FormatEntryTest, FillsTheOrderTemplateWithoutEscapesOrWarningsTwice) {
  StyleSettings s = MakeStyle(kColumns, {"ebook=<i>$TL</i> $BT"});
  s.escapes = EscapeRules({"&=&amp;"});
  s.order = TemplateTable({"order=$TL|$YR"}, s.columns);
  RecordingSink sink;
  const EntryContext ctx{s, 5, sink};
  std::string order;
  TextOrFault out = FormatEntry(Fields("*,ebook,A,1999,Q & A,,"), false, "b", ctx, &order);
  ASSERT_TRUE(std::holds_alternative<std::string>(out));
  EXPECT_EQ(std::get<std::string>(out), Sjis("<i>Q &amp; A</i> ■"));
  EXPECT_EQ(order, "Q & A|1999b");
  EXPECT_EQ(sink.warnings.size(), 1u);  // the missing $BT, named by the list's template only
  // Without the out-parameter nothing else is filled.
  EXPECT_EQ(std::get<std::string>(FormatEntry(Fields("*,ebook,A,1999,T,B"), false, {}, ctx)),
            "<i>T</i> B");
}

TEST(FormatEntryTest, LeavesOutStopsThatWouldDouble) {
  struct Case {
    const char* name;
    std::string tmpl;
    std::string title;
    std::string expected;
  };
  const Case cases[] = {
      {"question mark", "ebook=$TL. $BT", "Why?", "Why? B"},
      {"exclamation mark and comma", "ebook=$TL, $BT", "Go!", "Go! B"},
      {"full stop", "ebook=$TL. $BT", "Vol.", "Vol. B"},
      {"behind closing markup", "ebook=<i>$TL</i>. $BT", "Why?", "<i>Why?</i> B"},
      {"behind braces", "ebook={\\i $TL}. $BT", "Why?", "{\\i Why?} B"},
      {"other marks stay", "ebook=$TL: $BT", "Why?", "Why?: B"},
      {"other values keep the stop", "ebook=$TL. $BT", "Title", "Title. B"},
      {"only the first stop goes", "ebook=$TL.. $BT", "Why?", "Why?. B"},
      {"an abbreviation keeps its comma", "ebook=($TL, $BT)", "4th ed.", "(4th ed., B)"},
      {"and loses a second full stop", "ebook=<i>$TL</i>. $BT", "J. Exp.", "<i>J. Exp.</i> B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle(kColumns, {c.tmpl});
    s.nodouble = true;
    EXPECT_EQ(Format(s, "*,ebook,A,1," + c.title + ",B"), c.expected);
  }
}

TEST(FormatEntryTest, EditorsHaveTheirOwnNameOrder) {
  StyleSettings s = MakeStyle(kColumns, {"echapter=$AT. In $ED"});
  s.e_at = 2;
  s.initial = true;
  s.e_ed2 = "(Eds.)";
  const std::string line = "*,echapter,Ann Lee|Bo Kim,1,T,B,V,P,Endel Tulving|Wayne Donaldson";
  EXPECT_EQ(Format(s, line), "Lee, A. & Kim, B.. In Tulving, E. & Donaldson, W. (Eds.)");
  s.e_at_ed = 0;
  EXPECT_EQ(Format(s, line), "Lee, A. & Kim, B.. In E. Tulving & W. Donaldson (Eds.)");
  // Joined by semicolons, several editors still take the plural word; one
  // editor, and several shortened to et al., keep theirs.
  s.ename_join = "; ";
  s.e_at_ed = 2;
  EXPECT_EQ(Format(s, line), "Lee, A.; Kim, B.. In Tulving, E.; Donaldson, W. (Eds.)");
  EXPECT_EQ(Format(s, "*,echapter,Ann Lee,1,T,B,V,P,Endel Tulving"), "Lee, A.. In Tulving, E. ed.");
  s.etal = true;
  EXPECT_EQ(Format(s, "*,echapter,Ann Lee,1,T,B,V,P,A B|C D|E F"),
            "Lee, A.. In B, A. et al. (Eds.)");
}

TEST(FormatEntryTest, WesternAuthorListsEndInAFullStop) {
  StyleSettings s = MakeStyle(kColumns, {"ebook=$AT ($YR)/$ED", "jbook=$AT ($YR)"});
  s.e_at = 2;
  s.initial = true;
  s.e_at_stop = true;
  s.etal = true;
  struct Case {
    const char* name;
    std::string line;
    std::string expected;
  };
  const Case cases[] = {
      {"group author", "*,ebook,American_Psychological_Association,2020,T,B,V,P,Ann Lee",
       "American Psychological Association. (2020)/Lee, A. ed."},
      {"initials give it already", "*,ebook,Ann Lee|Bo Kim,2020,T,B,V,P,Ed_Group",
       "Lee, A. & Kim, B. (2020)/Ed Group ed."},
      {"et al. gives it already", "*,ebook,A B|C D|E F,2020,T,B,V,P,Plato",
       "B, A. et al. (2020)/Plato ed."},
      {"Japanese lists keep theirs", "*,jbook,山田#太郎,2020", "山田太郎 (2020)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Format(s, c.line), c.expected);
  }
}

TEST(FormatEntryTest, OptionalPartsVanishWhenAValueIsEmpty) {
  struct Case {
    const char* name;
    std::string tmpl;
    std::string line;
    std::string expected;
  };
  const std::string full = "*,earticle,A B,2001,Why?,J,12|3,1-9,E,R,JT,JB,TR,JE,JV,2nd ed.,10.1/x";
  const Case cases[] = {
      {"kept when filled", "earticle=$TL{? ($EN)?}. $BT", full, "Why? (2nd ed.). J"},
      {"edition empty", "earticle=$TL{? ($EN)?}. $BT", "*,earticle,A B,2001,T,J", "T. J"},
      {"a stop doubled across the vanished part", "earticle=$TL{? ($EN)?}. $BT",
       "*,earticle,A B,2001,Why?,J", "Why? J"},
      {"issue of a volume without one", "earticle=$VL{?($NO)?}, $PG", "*,earticle,A,1,T,J,12,5",
       "12, 5"},
      {"empty marker column", "earticle=$YR{? [$TR]?}.", "*,earticle,A,1,T,J,,,,,,,,", "1."},
      {"one empty value takes the whole part", "earticle={?$EN $DO?}!",
       "*,earticle,A,1,T,J,V,P,E,R,JT,JB,TR,JE,JV,3rd", "!"},
      {"nested parts", "earticle={?<$EN{? $DO?}>?}",
       "*,earticle,A,1,T,J,V,P,E,R,JT,JB,TR,JE,JV,3rd", "<3rd>"},
      {"left open: to the end", "earticle=$YR{? $EN", "*,earticle,A,1", "1"},
      {"stray close dropped", "earticle=$YR?} x", "*,earticle,A,1", "1 x"},
      {"overlapping tokens: parts always kept", "earticle=$$YR{? $EN?}", "*,earticle,A,1", "*R ■"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle(kColumns);
    s.nodouble = true;
    s.templates = TemplateTable({MarkOptionalParts(Sjis(c.tmpl))}, s.columns, true);
    RecordingSink sink;
    const std::string out = Format(s, c.line, false, {}, &sink);
    EXPECT_EQ(out, c.expected);
    // A vanished part is no fault of the table: no warning.
    if (out.find("■") == std::string::npos) {
      EXPECT_TRUE(sink.warnings.empty());
    }
  }
  // Off, the marks are text and an empty column is missing.
  const StyleSettings off = MakeStyle(kColumns, {"earticle=$YR{? $EN?}"});
  EXPECT_EQ(Format(off, "*,earticle,A,1"), "1{? ■?}");
}

TEST(FormatEntryTest, DoiEditionPagesAndLinksByFileType) {
  struct Case {
    const char* name;
    std::string doi;  // column 16
    std::string expected;
  };
  const std::string tmpl = "earticle=$PG. $DO";
  const Case cases[] = {
      {"bare DOI", "10.1037/rev0000126",
       "1&ndash;9. <a "
       "href=\"https://doi.org/10.1037/rev0000126\">https://doi.org/10.1037/rev0000126</a>"},
      {"doi: prefix", "doi:10.1/a<b",
       "1&ndash;9. <a href=\"https://doi.org/10.1/a&lt;b\">https://doi.org/10.1/a&lt;b</a>"},
      {"address kept", "HTTPS://dx.doi.org/10.1/x",
       "1&ndash;9. <a href=\"HTTPS://dx.doi.org/10.1/x\">HTTPS://dx.doi.org/10.1/x</a>"},
  };
  // With an order text that reads the same values, and without one.
  for (const Case& c : cases) {
    for (const bool with_order : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (with_order ? ", order" : ""));
      StyleSettings s = MakeStyle(kColumns, {tmpl});
      s.doi = "https://doi.org/";
      s.en_dash = true;
      s.page_dash = "&ndash;";
      s.link = "<a href=\"$\">$</a>";
      s.escapes = EscapeRules({"&=&amp;", "<=&lt;"});
      if (with_order) s.order = TemplateTable({"order=$PG $DO"}, s.columns);
      RecordingSink sink;
      const EntryContext ctx{s, 5, sink};
      std::string order;
      const std::string line = "*,earticle,A,1,T,J,V,1-9,E,R,JT,JB,TR,JE,JV,ed," + c.doi;
      TextOrFault out = FormatEntry(Fields(line), false, {}, ctx, &order);
      ASSERT_TRUE(std::holds_alternative<std::string>(out));
      EXPECT_EQ(std::get<std::string>(out), c.expected);
      // The order text is the same in every file type.
      if (with_order) {
        EXPECT_EQ(order.substr(0, 4), "1-9 ");
      }
    }
  }
  // Without the style's en_dash, or without the file type's, the hyphen stays.
  StyleSettings s = MakeStyle(kColumns, {"earticle=$PG $DO"});
  s.page_dash = "--";
  EXPECT_EQ(Format(s, "*,earticle,A,1,T,J,V,1-9,E,R,JT,JB,TR,JE,JV,ed,10.1/x"), "1-9 10.1/x");
  s.en_dash = true;
  s.page_dash.clear();
  EXPECT_EQ(Format(s, "*,earticle,A,1,T,J,V,1-9,E,R,JT,JB,TR,JE,JV,ed,10.1/x"), "1-9 10.1/x");
}

TEST(FormatEntryTest, ClosesJapaneseSubtitles) {
  StyleSettings s = MakeStyle(kColumns, {"jarticle=$TL　$BT", "earticle=$TL. $JT"});
  s.j_sub_end = Sjis("――");
  EXPECT_EQ(Format(s, "*,jarticle,A,1,題目|副題,誌名"), "題目――副題――　誌名");
  EXPECT_EQ(Format(s, "*,jarticle,A,1,題目,誌名"), "題目　誌名");
  EXPECT_EQ(Format(s, "*,earticle,A,1,Title|Sub,B,V,P,E,R,書名|副題"), "Title: Sub. 書名――副題――");
}

TEST(IssueTextTest, SetsTheNumberIntoThePattern) {
  StyleSettings s = MakeStyle({});
  EXPECT_EQ(IssueText("12|3", s), "(3)");
  EXPECT_EQ(IssueText("12", s), "");
  s.no = "No.";
  EXPECT_EQ(IssueText("12|3", s), "3No.");
  s.no = "-$-$";
  EXPECT_EQ(IssueText("1|2|3", s), "-2|3-$");
}

}  // namespace
