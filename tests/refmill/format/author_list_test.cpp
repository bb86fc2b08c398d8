#include "refmill/format/author_list.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/sjis_literal.h"
#include "tests/support/style_fixture.h"

namespace {

using namespace refmill::format;  // NOLINT: the operations under test
using testing_support::MakeStyle;
using testing_support::RecordingSink;
using testing_support::Sjis;

struct ListCase {
  const char* name;
  std::string column;  // UTF-8
  bool etal;
  std::string expected;  // UTF-8
};

TEST(FullAuthorListTest, WesternRules) {
  StyleSettings s = MakeStyle({});
  const ListCase defaults[] = {
      {"one name surname first", "John Smith", false, "Smith, John"},
      {"two names", "John Smith|Paul Jones", false, "Smith, John & Paul Jones"},
      {"three names", "John Smith|Paul Jones|Mary Brown", false,
       "Smith, John, Paul Jones & Mary Brown"},
      {"names without blanks", "Smith|Jones|Brown", false, "Smith, Jones & Brown"},
      {"underscore inside surname", "Anna van_Dijk", false, "van Dijk, Anna"},
      {"et al. for three", "John Smith|Paul Jones|Mary Brown", true, "Smith, John et al."},
      {"two never shortened", "John Smith|Paul Jones", true, "Smith, John & Paul Jones"},
      {"empty pieces dropped", "|John Smith||", false, "Smith, John"},
      {"quoted bar does not split", "\"A|B\" C|D", false, "C, \"A|B\" & D"},
      {"marks deleted when joining many", "A#x|B|C", false, "Ax, B & C"},
      {"missing mark passes", "■", false, "■"},
  };
  RecordingSink sink;
  const EntryContext ctx{s, 3, sink};
  for (const ListCase& c : defaults) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FullAuthorListWestern(Sjis(c.column), c.etal, ctx, s.e_at), Sjis(c.expected));
  }
  EXPECT_TRUE(sink.warnings.empty());

  s.initial = true;
  EXPECT_EQ(FullAuthorListWestern("John Ronald Miller", false, ctx, s.e_at), "Miller, J. R.");
  EXPECT_EQ(FullAuthorListWestern("Plato", false, ctx, s.e_at), "Plato");
  EXPECT_EQ(FullAuthorListWestern("John  Ronald Miller", false, ctx, s.e_at), "Miller, J. R.");
  // A double-byte given name keeps its whole first character.
  EXPECT_EQ(FullAuthorListWestern(Sjis("ジョン Smith"), false, ctx, s.e_at), Sjis("Smith, ジ."));
  s.initial = false;

  s.e_at = 0;
  EXPECT_EQ(FullAuthorListWestern("John Smith|Paul Jones", false, ctx, s.e_at),
            "John Smith & Paul Jones");
  s.e_at = 2;
  EXPECT_EQ(FullAuthorListWestern("John Smith|Paul Jones", false, ctx, s.e_at),
            "Smith, John & Jones, Paul");
}

TEST(FullAuthorListTest, SerialCommaAndHyphenatedInitials) {
  StyleSettings s = MakeStyle({});
  s.serial_comma = true;
  s.initial = true;
  s.initial_hyphen = true;
  struct Case {
    const char* name;
    int e_at;
    std::string column;
    std::string expected;
  };
  const Case cases[] = {
      {"three names", 2, "A B|C D|E F", "B, A., D, C., & F, E."},
      {"two names, first inverted", 1, "John Ronald Miller|Anne Marie Clark",
       "Miller, J. R., & A. M. Clark"},
      {"two names, initials first", 0, "Endel Tulving|Wayne Donaldson",
       "E. Tulving & W. Donaldson"},
      {"two one-word names", 2, "Plato|Aristotle", "Plato & Aristotle"},
      {"three names initials first", 0, "A B|C D|E F", "A. B, C. D, & E. F"},
      {"hyphenated given name", 2, "Jean-Paul Sartre", "Sartre, J.-P."},
      {"hyphen with a second given name", 2, "Hans-Georg Otto Gadamer", "Gadamer, H.-G. O."},
      {"hyphen at an end", 2, "Jean- Sartre", "Sartre, J."},
  };
  RecordingSink sink;
  const EntryContext ctx{s, 3, sink};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FullAuthorListWestern(c.column, false, ctx, c.e_at), c.expected);
  }
  s.initial_hyphen = false;
  EXPECT_EQ(FullAuthorListWestern("Jean-Paul Sartre", false, ctx, 2), "Sartre, J.");

  // Closed-up initials touch only the blanks between initials.
  s.initial_hyphen = true;
  s.initial_nogap = true;
  const Case closed[] = {
      {"surname first", 2, "George Armitage Miller", "Miller, G.A."},
      {"initials first", 0, "Endel Tulving|Wayne Donaldson", "E. Tulving & W. Donaldson"},
      {"two initials first", 0, "George Armitage Miller", "G.A. Miller"},
      {"hyphen and a second name", 2, "Hans-Georg Otto Gadamer", "Gadamer, H.-G.O."},
      {"one-word name", 2, "Plato", "Plato"},
      {"given name already an initial", 2, "N. John Castellan", "Castellan, N.J."},
  };
  for (const Case& c : closed) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FullAuthorListWestern(c.column, false, ctx, c.e_at), c.expected);
  }
}

TEST(FullAuthorListTest, AuthorCountRules) {
  struct Case {
    const char* name;
    int etal_names, names_max;
    const char* join;
    bool etal;
    int count;  // names "A1 S1" … "An Sn"
    std::string expected;
  };
  const Case cases[] = {
      {"twenty stay whole", 1, 20, "", false, 20,
       "S1, A1, S2, A2, S3, A3, S4, A4, S5, A5, S6, A6, S7, A7, S8, A8, S9, A9, S10, A10, "
       "S11, A11, S12, A12, S13, A13, S14, A14, S15, A15, S16, A16, S17, A17, S18, A18, "
       "S19, A19, & S20, A20"},
      {"twenty-one: nineteen, the gap, the last", 1, 20, "", false, 21,
       "S1, A1, S2, A2, S3, A3, S4, A4, S5, A5, S6, A6, S7, A7, S8, A8, S9, A9, S10, A10, "
       "S11, A11, S12, A12, S13, A13, S14, A14, S15, A15, S16, A16, S17, A17, S18, A18, "
       "S19, A19, . . . S21, A21"},
      {"small limit", 1, 3, "", false, 5, "S1, A1, S2, A2, . . . S5, A5"},
      {"three kept before et al.", 3, 0, "", true, 4, "S1, A1, S2, A2, S3, A3, et al."},
      {"as many as kept: whole", 3, 0, "", true, 3, "S1, A1, S2, A2, & S3, A3"},
      {"one kept is the old rule", 1, 0, "", true, 3, "S1, A1 et al."},
      {"et al. before the limit", 1, 2, "", true, 5, "S1, A1 et al."},
      {"joined without a word", 1, 0, "; ", false, 3, "S1, A1; S2, A2; S3, A3"},
      {"joined, two names", 1, 0, "; ", false, 2, "S1, A1; S2, A2"},
      {"joined, kept before et al.", 2, 0, "; ", true, 3, "S1, A1; S2, A2; et al."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StyleSettings s = MakeStyle({});
    s.serial_comma = true;
    s.etal_names = c.etal_names;
    s.names_max = c.names_max;
    s.ename_join = c.join;
    std::string column;
    for (int i = 1; i <= c.count; ++i) {
      column += (i > 1 ? "|A" : "A") + std::to_string(i) + " S" + std::to_string(i);
    }
    RecordingSink sink;
    const EntryContext ctx{s, 3, sink};
    EXPECT_EQ(FullAuthorListWestern(column, c.etal, ctx, 2), c.expected);
  }
  StyleSettings s = MakeStyle({});
  s.etal_names = 2;
  EXPECT_EQ(FullAuthorListJapanese(Sjis("山田|鈴木|佐藤"), true, s), Sjis("山田・鈴木ほか"));
  EXPECT_EQ(FullAuthorListJapanese(Sjis("山田|鈴木"), true, s), Sjis("山田・鈴木"));
  s.etal_names = 3;
  EXPECT_EQ(FullAuthorListJapanese(Sjis("山田|鈴木|佐藤"), true, s), Sjis("山田・鈴木・佐藤"));
}

TEST(FullAuthorListTest, WesternWithoutNamesWarns) {
  const StyleSettings s = MakeStyle({});
  RecordingSink sink;
  const EntryContext ctx{s, 9, sink};
  EXPECT_EQ(FullAuthorListWestern("||", false, ctx, s.e_at), Sjis("■"));
  ASSERT_EQ(sink.warnings.size(), 1u);
  EXPECT_EQ(sink.warnings[0].line, 9);
  EXPECT_EQ(sink.warnings[0].warning, Warning::kInvalidAuthor);
}

TEST(FullAuthorListTest, JapaneseRules) {
  const StyleSettings s = MakeStyle({});
  const ListCase cases[] = {
      {"joined by the middle dot", "山田|鈴木", false, "山田・鈴木"},
      {"marks deleted", "山田#太郎|鈴木#花子", false, "山田太郎・鈴木花子"},
      {"katakana name uses the second separator", "ジョン・スミス|山田", false,
       "ジョン・スミス／山田"},
      {"et al. for three", "山田|鈴木|佐藤", true, "山田ほか"},
      {"two never shortened", "山田|鈴木", true, "山田・鈴木"},
      {"trailing word stays", "山田|鈴木編", false, "山田・鈴木編"},
      {"no splitting at blanks", "山田 太郎", false, "山田 太郎"},
      {"underscores stay", "a_b", false, "a_b"},
      // ポ ends in 7C: not a separator.
      {"trail byte", "ポ|ダ", false, "ポ・ダ"},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FullAuthorListJapanese(Sjis(c.column), c.etal, s), Sjis(c.expected));
  }
}

TEST(ShortAuthorListTest, FamilyNamesAndSurnames) {
  const StyleSettings s = MakeStyle({});
  struct Case {
    const char* name;
    std::string column;
    EntryKind kind;
    std::string expected;
  };
  const Case cases[] = {
      {"two Japanese", "山田#太郎|鈴木#花子", EntryKind::kJapanese, "山田・鈴木"},
      {"two Japanese and others", "山田#太郎|鈴木#花子ほか", EntryKind::kJapanese,
       "山田・鈴木ほか"},
      {"editor word", "山田#太郎編", EntryKind::kJapanese, "山田編"},
      {"three Japanese", "山田#太郎|鈴木#花子|佐藤#一郎ほか", EntryKind::kJapanese, "山田ほか"},
      {"no family mark", "山田|鈴木", EntryKind::kJapanese, "山田・鈴木"},
      {"empty column", "|", EntryKind::kJapanese, "■"},
      {"quoted", "\"山田#太郎\"", EntryKind::kJapanese, "山田"},
      {"two Western", "John Smith|Paul Jones", EntryKind::kWestern, "Smith & Jones"},
      {"three Western", "A Smith|B Jones|C Brown", EntryKind::kWestern, "Smith et al."},
      {"translated like Western", "John Smith", EntryKind::kTranslated, "Smith"},
      {"underscore surname", "Anna van_Dijk", EntryKind::kWestern, "van Dijk"},
      {"mark ends the read part", "John Smith#|Paul Jones", EntryKind::kWestern, "Smith"},
      {"empty Western column", "|", EntryKind::kWestern, "■"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShortAuthorList(Sjis(c.column), c.kind, s), Sjis(c.expected));
  }
}

TEST(SplitNamesTest, SplitsAtSeparatorsOnly) {
  struct Case {
    const char* name;
    std::string column;  // UTF-8
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"Latin names", "John Smith|Mary Jones", {"John Smith", "Mary Jones"}},
      {"empty pieces dropped", "|A||B|", {"A", "B"}},
      {"only separators", "||", {}},
      {"quoted separator kept", "\"A|B\"|C", {"\"A|B\"", "C"}},
      {"second byte of a character", "ポ|A", {"ポ", "A"}},
      {"Japanese names", "山田#太郎|佐藤#花子", {"山田#太郎", "佐藤#花子"}},
      {"Latin and Japanese", "Smith|ポール", {"Smith", "ポール"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string column = Sjis(c.column);
    std::vector<std::string> names;
    for (std::string_view name : SplitNames(column)) names.emplace_back(name);
    std::vector<std::string> expected;
    for (const std::string& name : c.expected) expected.push_back(Sjis(name));
    EXPECT_EQ(names, expected);
  }
}

TEST(RemoveQuotesTest, KeepsTheQuotedPart) {
  struct Case {
    const char* name;
    std::string value, expected;
  };
  const Case cases[] = {
      {"plain", "abc", "abc"},
      {"quoted", "\"a, b\"", "a, b"},
      {"doubled quote", "\"say \"\"hi\"\"\"", "say \"hi\""},
      {"text after closing quote dropped", "\"a\"b", "a"},
      {"empty quotes fall back to the rest", "\"\"rest", "rest"},
      {"unclosed", "\"abc", "abc"},
      {"quote inside plain value", "a\"b\"", "a\"b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoveQuotes(c.value), c.expected);
  }
}

}  // namespace
