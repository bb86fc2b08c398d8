#include "refmill/format/sort_key.h"

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/style_fixture.h"

namespace {

using namespace refmill::format;  // NOLINT: the operations under test
using testing_support::Fields;
using testing_support::MakeStyle;
using testing_support::RecordingSink;
using testing_support::Sjis;

struct KeyCase {
  const char* name;
  std::string line;  // $AT=2, $YR=3, $RB=4
  std::string sort_field;
  std::string id;
  size_t warnings;
};

TEST(SortKeyTest, BuildsSortFieldsAndIds) {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4"});
  s.romaji = refmill::text::TKana2Romaji::FromText(Sjis("や=ya\r\nま=ma\r\nだ=da\r\n"));
  // A trailing ",x" keeps an empty ID base column in the list as "|".
  const KeyCase cases[] = {
      {"ID base given", "*,ebook,A,2004,tanaka", "tanaka", "tanaka2004", 0},
      {"Western surname", "*,ebook,John Smith|Paul Jones,1999,,x", "Smith", "smith1999", 0},
      {"Japanese kana romanised for the ID", "*,jbook,やまだ#たろう,2001,,x", "やまだ",
       "yamada2001", 0},
      {"kanji gives a generated ID", "*,jbook,山田#太郎,2001,,x", "山田", "ID7", 1},
      {"base in capitals", "*,ebook,A,1999,SMITH", "SMITH", "smith1999", 0},
      {"nothing at all", "*,ebook,,,,x", "■", "ID7", 2},
      {"family name after a bar", "*,jbook,山田|鈴木#花子,2001,,x", "山田鈴木", "ID7", 1},
      {"no family mark takes the first name", "*,jbook,山田|鈴木,2001,,x", "山田", "ID7", 1},
      {"single-word Western name", "*,ebook,Plato,1999,,x", "Plato", "plato1999", 0},
      {"name ending in a blank", "*,ebook,John ,1999,,x", "John ", "john 1999", 0},
      {"quotes stay", "*,ebook,A,1999,\"O'Neil\"", "\"O'Neil\"", "\"o'neil\"1999", 0},
      // Without the trailing field the ID base column is padding, not "|".
      {"padding is a given empty base", "*,ebook,John Smith,1999,", "", "1999", 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingSink sink;
    const EntryContext ctx{s, 7, sink};
    const FieldList fields = Fields(c.line);
    EXPECT_EQ(platform::SjisToUtf8(std::get<std::string>(MakeSortKey(fields, ctx))), c.sort_field);
    const EntryKind kind = KindOf(fields[1]);
    EXPECT_EQ(std::get<std::string>(MakeEntryId(EntryFields(fields), kind, ctx)), c.id);
    EXPECT_EQ(sink.warnings.size(), c.warnings);
  }
}

TEST(SortKeyTest, RomanisesTheSortFieldInSortModeTwo) {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4"});
  s.romaji = refmill::text::TKana2Romaji::FromText(Sjis("や=ya\r\nま=ma\r\nだ=da\r\n"));
  s.sort = 2;
  RecordingSink sink;
  const EntryContext ctx{s, 1, sink};
  EXPECT_EQ(std::get<std::string>(MakeSortKey(Fields("*,jbook,やまだ#太郎,2001,,x"), ctx)),
            "yamada");
}

TEST(SortKeyTest, IdCarriesTheYearLetter) {
  const StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=4"});
  RecordingSink sink;
  const EntryContext ctx{s, 1, sink};
  const FieldList fields = Fields("*,ebook,John Smith|Paul Jones,1999,,x");
  EXPECT_EQ(
      std::get<std::string>(MakeEntryId(EntryFields(fields, 3, "b"), EntryKind::kWestern, ctx)),
      "smith1999b");
}

TEST(SortKeyTest, MissingIdBaseColumnReadsAsEmpty) {
  const StyleSettings s = MakeStyle({"$AT=2", "$YR=3", "$RB=70"});
  RecordingSink sink;
  const EntryContext ctx{s, 1, sink};
  EXPECT_EQ(std::get<std::string>(MakeSortKey(Fields("*,ebook,John Smith,1999"), ctx)), "");
  // Only an empty ID base sends the reading on to the author column.
  const StyleSettings broken = MakeStyle({"$AT=70", "$YR=3", "$RB=4"});
  const EntryContext ctx2{broken, 1, sink};
  EXPECT_TRUE(std::holds_alternative<StyleFault>(MakeSortKey(Fields("*,ebook,A,1,,x"), ctx2)));
  EXPECT_EQ(std::get<std::string>(MakeSortKey(Fields("*,ebook,A,1,base"), ctx2)), "base");
}

}  // namespace
