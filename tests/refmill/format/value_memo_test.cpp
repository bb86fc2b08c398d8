#include "refmill/format/value_memo.h"

#include <gtest/gtest.h>

#include "refmill/format/entry_formatter.h"
#include "refmill/format/sort_key.h"
#include "tests/support/sjis_literal.h"
#include "tests/support/style_fixture.h"

namespace {

using namespace refmill::format;  // NOLINT: the operations under test
using testing_support::Fields;
using testing_support::MakeStyle;
using testing_support::RecordedWarning;
using testing_support::RecordingSink;
using testing_support::Sjis;

// Everything one entry gives: the entry, its order text, sort field and ID,
// and the warnings on the way.
struct Made {
  TextOrFault entry;
  std::string order;
  TextOrFault sort_field;
  TextOrFault id;
  std::vector<RecordedWarning> warnings;
  bool operator==(const Made&) const = default;
};

void PrintTo(const Made& made, std::ostream* out) {
  auto text = [](const TextOrFault& t) {
    return std::holds_alternative<std::string>(t) ? std::get<std::string>(t) : "FAULT";
  };
  *out << text(made.entry) << " / " << made.order << " / " << text(made.sort_field) << " / "
       << text(made.id) << " / " << made.warnings.size() << " warnings";
}

Made MakeAll(const StyleSettings& s, int line, std::string_view utf8_line, ValueMemo* memo) {
  RecordingSink sink;
  const EntryContext ctx{s, line, sink, memo};
  const FieldList fields = Fields(utf8_line);
  Made made;
  made.entry = FormatEntry(fields, false, {}, ctx, &made.order);
  made.sort_field = MakeSortKey(fields, ctx);
  made.id = MakeEntryId(EntryFields(fields), KindOf(fields[1]), ctx);
  made.warnings = sink.warnings;
  return made;
}

// A memo must never change what an entry gives: the same text in another
// column, another kind of entry or another rule is made afresh, and a value
// that warned warns again for every entry that has it.
TEST(ValueMemoTest, EntriesComeOutAsWithoutIt) {
  StyleSettings s = MakeStyle(
      {"$AT=2", "$YR=3", "$TL=4", "$ED=5", "$TR=6", "$RB=7", "$FA=-5", "$ID=-4", "$SA=-1"},
      {"ebook=<$ID>$AT|$FA|$SA ($YR) $TL. $ED; $TR", "jbook=<$ID>$AT|$FA|$SA（$YR）$TL。$ED；$TR",
       "tbook=<$ID>$AT|$FA ($YR) $TL. $ED; $TR"});
  // A reading that ends in a doubling marker, and a rule that reaches into
  // a year: an ID is still romanised as a whole there.
  s.romaji =
      refmill::text::TKana2Romaji::FromText(Sjis("や=ya\r\nま=ma\r\nだ=da\r\nっ=#\r\nx=ks\r\n"));
  s.sort = 2;
  s.etal = true;
  s.initial = true;
  s.e_at = 2;
  s.order = TemplateTable({"order=$AT $YR $FA"}, s.columns);
  const std::vector<std::string> lines = {
      "*,ebook,John Smith|Paul Jones|Ann Lee,1999,T,John Smith|Paul Jones|Ann Lee,,x",
      "*,ebook,John Smith|Paul Jones|Ann Lee,2000,T,,John Smith|Paul Jones|Ann Lee,x",
      "*,jbook,John Smith|Paul Jones|Ann Lee,2001,T,,,x",
      "*,tbook,John Smith|Paul Jones|Ann Lee,2001,T,,,x",
      "*,ebook,||,1999,T,||,,x",
      "*,ebook,||,2000,T,||,,x",
      "*,jbook,やまだ#たろう,2001,T,やまだ#たろう,やまだ#たろう,やまだ",
      "*,jbook,やまだ#たろう,2001,T,,,やまだ",
      "*,ebook,やまだ#たろう,2001,T,,,やまだ",
      "*,jbook,やまっ,2001,T,,,やまっ",
      "*,jbook,やまっ,2002,T,,,やまっ",
      "*,jbook,やま,200x,T,,,やま",
      "*,jbook,やま,2001,T,,,やま",
      "*,ebook,\"Smith, John\",2002,T,,,x",
      "*,ebook,Smith|John,2002,T,,,x",
  };
  ValueMemo memo;
  for (int round = 0; round < 2; ++round) {
    for (size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE(lines[i]);
      const int line = static_cast<int>(10 * round + i);
      EXPECT_EQ(MakeAll(s, line, lines[i], &memo), MakeAll(s, line, lines[i], nullptr));
    }
  }
}

// More distinct names than the memo has room for push each other out; what
// comes back afterwards is still right, whichever place it had.
TEST(ValueMemoTest, NamesPushedOutComeBackRight) {
  StyleSettings s = MakeStyle({"$AT=2", "$YR=3"}, {"ebook=$AT ($YR)"});
  s.initial = true;
  ValueMemo memo;
  auto line = [](int i) {
    return "*,ebook,Name" + std::to_string(i) + " Smith" + std::to_string(i % 7) + ",1999";
  };
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < 5000; i += pass == 0 ? 1 : 37) {
      RecordingSink sink;
      const EntryContext with{s, i, sink, &memo};
      const EntryContext without{s, i, sink};
      const FieldList fields = Fields(line(i));
      ASSERT_EQ(FormatEntry(fields, false, {}, with), FormatEntry(fields, false, {}, without)) << i;
    }
  }
}

}  // namespace
