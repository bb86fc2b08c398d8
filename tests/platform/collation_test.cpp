#include "platform/collation.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "platform/private_codes.h"
#include "platform/sort_table.h"
#include "tests/support/sjis_literal.h"

namespace {

using testing_support::Sjis;

std::vector<std::string> Sorted(const std::vector<std::string>& texts, unsigned threads = 1) {
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  std::vector<std::string> out;
  for (uint32_t i : platform::JapaneseSortOrder(views, threads)) out.push_back(texts[i]);
  return out;
}

TEST(JapaneseSortOrderTest, OrdersAsAJapaneseReaderExpects) {
  struct Case {
    const char* name;
    std::vector<std::string> input;
    std::vector<std::string> expected;
  };
  const std::string far(45, 'x');
  const Case cases[] = {
      {"letter case ignored", {"b", "a", "A", "C"}, {"A", "a", "b", "C"}},
      {"full-width letters ignore case", {Sjis("ｂ"), Sjis("Ａ")}, {Sjis("Ａ"), Sjis("ｂ")}},
      {"kana in gojuon order",
       {Sjis("さとう"), Sjis("あべ"), Sjis("かとう")},
       {Sjis("あべ"), Sjis("かとう"), Sjis("さとう")}},
      {"Latin before kana before kanji",
       {Sjis("山田"), Sjis("やまだ"), "Yamada"},
       {"Yamada", Sjis("やまだ"), Sjis("山田")}},
      {"prefix first", {"Smithson", "Smith"}, {"Smith", "Smithson"}},
      // Equal under collation, so their bytes decide: "A" (41) before "a" (61).
      {"ties by bytes", {"smith |x", "Smith |x"}, {"Smith |x", "smith |x"}},
      {"index compared as text", {"a |e|3", "a |e|12"}, {"a |e|12", "a |e|3"}},
      {"apostrophe kept", {"Obrien", "O'Brien", "OBrien"}, {"O'Brien", "OBrien", "Obrien"}},
      // ICU reads back to the kana before the mark, which must be there even
      // where the line is decoded only partly.
      {"prolonged sound mark weighs as the vowel before it",
       {Sjis("カーb"), Sjis("カイa"), Sjis("カアa"), Sjis("カアc")},
       {Sjis("カアa"), Sjis("カーb"), Sjis("カアc"), Sjis("カイa")}},
      {"the same far into a line",
       {far + Sjis("カーb"), far + Sjis("カイa"), far + Sjis("カアa"), far + Sjis("カアc")},
       {far + Sjis("カアa"), far + Sjis("カーb"), far + Sjis("カアc"), far + Sjis("カイa")}},
      {"a lead byte ends the line", {"ab\x82", "ab", "ab\x82\xA0"}, {"ab", "ab\x82\xA0", "ab\x82"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Sorted(c.input), c.expected);
  }
}

TEST(JapaneseSortOrderTest, LongSharedPrefixesAreToldApart) {
  // Lines that agree far beyond the first key chunk must still be ordered
  // by what follows, and the order must not depend on the thread count.
  const std::string common = Sjis("やまだ |山田太郎（1999）心理学研究における長い長い表題の例");
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) texts.push_back(common + std::to_string((i * 7919) % 20000));
  std::vector<std::string> expected = texts;
  std::sort(expected.begin(), expected.end(), [](const std::string& a, const std::string& b) {
    // Digits only differ here, and digits collate like their bytes.
    return a < b;
  });
  EXPECT_EQ(Sorted(texts, 1), expected);
  EXPECT_EQ(Sorted(texts, 2), expected);
}

TEST(JapaneseSortOrderTest, BrokenBytesDoNotCrashAndStayDistinct) {
  const std::vector<std::string> texts = {"a\x83", "a\x84", "a", std::string("\xFF\xFE", 2)};
  const std::vector<std::string> sorted = Sorted(texts);
  EXPECT_EQ(sorted.size(), texts.size());
  EXPECT_EQ(sorted.front(), "a");
}

// A character of the generated texts: its Shift-JIS bytes and the
// case-folded UTF-16 the collation reads.
struct Piece {
  std::string sjis;
  std::u16string folded;
};

std::u16string Folded(std::string_view utf8) {
  // Every UTF-8 character takes at most as many UTF-16 units as bytes.
  std::vector<UChar> buffer(utf8.size() + 1);
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8(buffer.data(), static_cast<int32_t>(buffer.size()), &length, utf8.data(),
                static_cast<int32_t>(utf8.size()), &status);
  std::u16string out;
  for (int32_t i = 0; i < length; ++i) out.push_back(static_cast<char16_t>(u_tolower(buffer[i])));
  return out;
}

// A character Shift-JIS lacks, as a table in UTF-8 brings it: the code the
// run hands out for it, and its folded form.
std::pair<std::string, std::u16string> HandedOut(char32_t c, platform::PrivateCodes& codes) {
  const uint16_t code = *codes.CodeFor(c);
  return {{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)},
          std::u16string(1, static_cast<char16_t>(u_tolower(static_cast<UChar32>(c))))};
}

// The order the sort promises, from ICU's whole keys: texts collate as
// their folded Unicode forms, ties go by bytes.
std::vector<std::string> ByWholeKeys(std::vector<std::pair<std::string, std::u16string>> texts) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("ja", &status);
  std::vector<std::pair<std::string, std::string>> keyed;
  for (const auto& [sjis, folded] : texts) {
    const auto* units = reinterpret_cast<const UChar*>(folded.data());
    const auto length = static_cast<int32_t>(folded.size());
    std::string key(static_cast<size_t>(ucol_getSortKey(collator, units, length, nullptr, 0)),
                    '\0');
    ucol_getSortKey(collator, units, length, reinterpret_cast<uint8_t*>(key.data()),
                    static_cast<int32_t>(key.size()));
    keyed.emplace_back(key, sjis);
  }
  ucol_close(collator);
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::string> out;
  for (const auto& k : keyed) out.push_back(k.second);
  return out;
}

// The first place two orders differ, for a readable failure.
std::string FirstDifference(const std::vector<std::string>& got,
                            const std::vector<std::string>& expected) {
  for (size_t i = 0; i < std::min(got.size(), expected.size()); ++i) {
    if (got[i] != expected[i]) {
      return "at " + std::to_string(i) + ": " + testing::PrintToString(got[i]) + " instead of " +
             testing::PrintToString(expected[i]);
    }
  }
  return got.size() == expected.size() ? "" : "lengths differ";
}

std::vector<std::string> SortedBy(const std::vector<std::pair<std::string, std::u16string>>& texts,
                                  unsigned threads, const platform::PrivateCodes* codes) {
  std::vector<std::string_view> views;
  for (const auto& t : texts) views.push_back(t.first);
  std::vector<std::string> sorted;
  for (uint32_t i : platform::JapaneseSortOrder(views, threads, codes)) {
    sorted.push_back(texts[i].first);
  }
  return sorted;
}

// Every character whose weight depends on the one before it or after it,
// where both are Shift-JIS characters, as ICU lists them: each such pair
// must sort as ICU's whole keys sort it, beside the characters alone.
TEST(JapaneseSortOrderTest, CharactersThatWeighByTheirNeighboursAgree) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("ja", &status);
  USet* contractions = uset_openEmpty();
  ucol_getContractionsAndExpansions(collator, contractions, nullptr, true, &status);
  UConverter* cp932 = ucnv_open("windows-31j", &status);
  ucnv_setFromUCallBack(cp932, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  std::vector<std::pair<std::string, std::u16string>> texts;
  for (int32_t i = 0; i < uset_getItemCount(contractions); ++i) {
    UChar32 start = 0;
    UChar32 end = 0;
    UChar units[32];
    UErrorCode item_status = U_ZERO_ERROR;
    const int32_t length = uset_getItem(contractions, i, &start, &end, units, 32, &item_status);
    if (length < 2) continue;
    char sjis[64];
    UErrorCode convert_status = U_ZERO_ERROR;
    ucnv_reset(cp932);
    const int32_t bytes = ucnv_fromUChars(cp932, sjis, 64, units, length, &convert_status);
    char first[8];
    const int32_t first_bytes = ucnv_fromUChars(cp932, first, 8, units, 1, &convert_status);
    if (U_FAILURE(convert_status)) continue;  // not all Shift-JIS
    const std::u16string folded(reinterpret_cast<const char16_t*>(units), size_t(length));
    for (const char* before : {"", "a", "x"}) {
      texts.push_back({before + std::string(sjis, size_t(bytes)), Folded(before) + folded});
      texts.push_back(
          {before + std::string(first, size_t(first_bytes)), Folded(before) + folded.substr(0, 1)});
    }
  }
  ucnv_close(cp932);
  uset_close(contractions);
  ucol_close(collator);
  ASSERT_GT(texts.size(), 100u);  // the prolonged sound mark after each kana at least
  EXPECT_EQ(FirstDifference(SortedBy(texts, 2, nullptr), ByWholeKeys(texts)), "");
}

// Lines that agree up to a mark weighing as the vowel before it must be
// told apart with that vowel in view, however much they share before it.
TEST(JapaneseSortOrderTest, MarksAfterASharedBeginningWeighByWhatIsBeforeThem) {
  // A Latin letter weighs one byte: 100 of them fill the first chunk.
  for (const std::string& shared : {std::string(), std::string("x"), std::string(100, 'x')}) {
    for (const char* kana : {"キ", "カ", "ケ", "き"}) {
      SCOPED_TRACE(shared.size());
      std::vector<std::pair<std::string, std::u16string>> texts;
      for (const char* rest : {"ーa", "アb", "イc", "エd", "ゝe", "キf", "ヽg", "カh"}) {
        const std::string utf8 = shared + kana + rest;
        texts.push_back({Sjis(utf8), Folded(utf8)});
      }
      EXPECT_EQ(FirstDifference(SortedBy(texts, 1, nullptr), ByWholeKeys(texts)), "");
    }
  }
}

// Texts of Latin, kana (with the marks that weigh by the kana before them),
// kanji, Greek, Cyrillic, symbols that expand to several weights, and
// user-defined characters, many sharing long beginnings.
TEST(JapaneseSortOrderTest, AgreesWithWholeIcuKeys) {
  const char* const kCharacters[] = {"a",  "B",  "z",  "e",  " ",  "|",  ",",  ".",  "-",  "'",
                                     "(",  "0",  "9",  "Ａ", "ｂ", "あ", "か", "が", "ぱ", "ア",
                                     "カ", "ヴ", "ー", "ゝ", "ゞ", "ヽ", "ヾ", "ｶ",  "ｰ",  "ﾞ",
                                     "ﾟ",  "山", "田", "阿", "亜", "α",  "Ω",  "Б",  "я",  "㈱",
                                     "Ⅱ",  "№",  "①",  "・", "　", "〓", "々"};
  // Without them, lines tied over a long beginning are read the quick way.
  const std::vector<std::string> kWeighingByNeighbours = {"ー", "ゝ", "ゞ", "ヽ", "ヾ",
                                                          "ｰ",  "ﾞ",  "ﾟ",  "々"};
  struct Case {
    const char* name;
    std::vector<char32_t> user_defined;  // characters Shift-JIS lacks
    bool marks = true;                   // characters weighing by their neighbours
    bool latin_runs = false;             // runs of ASCII letters between the characters
    bool only_late = false;              // the user-defined ones past the lines' long beginnings
  };
  const Case cases[] = {
      {"Shift-JIS characters only", {}},
      {"Shift-JIS characters, none weighing by its neighbour", {}, false},
      {"accented and other Latin letters", {U'é', U'ł', U'ő', U'ø'}},
      // Letters of a script the table never met make the sort use ICU's keys.
      {"a script Shift-JIS lacks", {U'é', U'ب', U'ह'}},
      // Runs of ASCII are passed over many bytes at a time when codes are
      // looked for: a code right after one, at any offset, must be seen.
      {"accented letters after runs of Latin letters", {U'é', U'ő'}, true, true},
      // Past the first chunk they are not looked at until lines tie there:
      // those lines, and only those, go by ICU's keys.
      {"a script Shift-JIS lacks, past the first chunk", {U'ب', U'ह', U'é'}, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::PrivateCodes codes;
    std::vector<Piece> pieces;
    for (const char* utf8 : kCharacters) {
      const bool mark = std::find(kWeighingByNeighbours.begin(), kWeighingByNeighbours.end(),
                                  utf8) != kWeighingByNeighbours.end();
      if (c.marks || !mark) pieces.push_back({Sjis(utf8), Folded(utf8)});
    }
    // A lead byte whose pair is no character weighs as a character of its
    // own, and the byte after it as itself.
    pieces.push_back({"\x85\x40", u"\uF785@"});
    const size_t known_pieces = pieces.size();
    for (const char32_t cp : c.user_defined) {
      const auto [sjis, folded] = HandedOut(cp, codes);
      pieces.push_back({sjis, folded});
    }
    std::mt19937 random(20261207);
    auto text = [&](size_t length, size_t from_pieces) {
      std::pair<std::string, std::u16string> t;
      for (size_t i = 0; i < length; ++i) {
        for (size_t run = c.latin_runs ? random() % 18 : 0; run > 0; --run) {
          const char letter = static_cast<char>('a' + random() % 26);
          t.first += letter;
          t.second += static_cast<char16_t>(letter);
        }
        const Piece& p = pieces[random() % from_pieces];
        t.first += p.sjis;
        t.second += p.folded;
      }
      return t;
    };
    std::vector<std::pair<std::string, std::u16string>> starts;
    for (size_t length : {0, 3, 30, 70}) {
      if (!c.only_late || length >= 30) {
        starts.push_back(text(length, c.only_late ? known_pieces : pieces.size()));
      }
    }
    std::vector<std::pair<std::string, std::u16string>> texts;
    for (int i = 0; i < 3000; ++i) {
      auto t = text(random() % 12, pieces.size());
      const auto& start = starts[random() % starts.size()];
      texts.push_back({start.first + t.first, start.second + t.second});
      if (i % 50 == 0) texts.push_back(texts.back());
    }
    const std::vector<std::string> expected = ByWholeKeys(texts);
    for (unsigned threads : {1u, 2u}) {
      EXPECT_EQ(FirstDifference(SortedBy(texts, threads, &codes), expected), "")
          << threads << " threads";
    }
  }
}

// Lines tied over their first chunk are told apart chunk by chunk from the
// bytes they share, however far they agree and whether in bytes or only in
// weights.
TEST(JapaneseSortOrderTest, TiedLinesAgreeWithWholeKeysHoweverFarTheyAgree) {
  const std::string shared =
      "Adams, John (1960). Perception language memory attention, a long title ";
  const std::string run = "memory attention emotion development social motivation behaviour ";
  std::string shouted = run;
  for (char& c : shouted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // each taken with numbers after it
    // Characters Shift-JIS lacks, one after each line in turn: letters of
    // a script the sort's table never met make the tied lines go by ICU's
    // keys, found only when all the lines' codes are read.
    std::vector<char32_t> strangers = {};
  };
  const Case cases[] = {
      {"parting a few characters after a long shared beginning",
       {shared + "a", shared + "b", shared + "B", shared}},
      {"alike in weights but not in bytes over more than a chunk",
       {shared + run + "x", shared + shouted + "x", shared + run + "X", shared + shouted}},
      {"sharing more bytes at every round",
       {shared + "b", shared + run + "b", shared + run + run + "b", shared + run + run + run + "b",
        shared + run + run + run + run + "b", shared + run + run + run + run + run}},
      {"marks that weigh by the kana before them after the shared bytes",
       {shared + "カー", shared + "カア", shared + "カ", shared + "ガー", shared + "々"}},
      {"alike in weights over more than a chunk, then a script Shift-JIS lacks",
       {shared + run, shared + shouted},
       {U'ب', U'ह', U'é'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 random(20261208);
    platform::PrivateCodes codes;
    std::vector<std::pair<std::string, std::u16string>> texts;
    for (int i = 0; i < 1500; ++i) {
      const std::string utf8 = c.lines[random() % c.lines.size()];
      std::pair<std::string, std::u16string> text{Sjis(utf8), Folded(utf8)};
      if (!c.strangers.empty()) {
        const auto [sjis, folded] = HandedOut(c.strangers[random() % c.strangers.size()], codes);
        text.first += sjis;
        text.second += folded;
      }
      const std::string number = std::to_string(random() % 700);
      texts.push_back({text.first + number, text.second + Folded(number)});
    }
    const std::vector<std::string> expected = ByWholeKeys(texts);
    for (unsigned threads : {1u, 2u}) {
      EXPECT_EQ(FirstDifference(SortedBy(texts, threads, &codes), expected), "")
          << threads << " threads";
    }
  }
}

// Large tables are cut into shares for the cores at a pivot from a sample:
// however the lines repeat, every share must hold what it should, and a
// table of equal lines must still be cut.
TEST(JapaneseSortOrderTest, LargeTablesInSharesKeepTheOrder) {
  const std::vector<std::string> words = {"a", "b", "Smith", "山田", "やまだ", "ヤマダ", "1999"};
  struct Case {
    const char* name;
    size_t distinct;  // how many different lines, or 0 for all different
  };
  const Case cases[] = {{"every line the same", 1},
                        {"three lines over and over", 3},
                        {"a few hundred lines", 300},
                        {"all different", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 random(20261208);
    std::vector<std::pair<std::string, std::u16string>> texts;
    for (size_t i = 0; i < 40000; ++i) {
      const size_t seed = c.distinct == 0 ? i : random() % c.distinct;
      std::string utf8 = words[seed % words.size()] + words[seed / 7 % words.size()];
      if (c.distinct == 0 || c.distinct > 3) utf8 += std::to_string(seed);
      texts.push_back({Sjis(utf8), Folded(utf8)});
    }
    const std::vector<std::string> expected = ByWholeKeys(texts);
    for (unsigned threads : {2u, 3u}) {
      EXPECT_EQ(FirstDifference(SortedBy(texts, threads, nullptr), expected), "")
          << threads << " threads";
    }
  }
}

TEST(JapaneseCompareTest, AgreesWithTheSortOrder) {
  EXPECT_LT(platform::JapaneseCompare("apple", "Banana"), 0);
  EXPECT_GT(platform::JapaneseCompare(Sjis("山田"), Sjis("やまだ")), 0);
  EXPECT_EQ(platform::JapaneseCompare("x", "x"), 0);
}

}  // namespace

namespace {

// The table built into the program is the one this ICU gives, and a table
// from another ICU, or one cut short, is never taken for it.
TEST(SortTableTest, BuiltInTableIsTheOneIcuGivesNow) {
  const std::string now = platform::SortTableFromIcu();
  ASSERT_FALSE(now.empty());
  EXPECT_TRUE(platform::BuiltInSortTable() == now);
  EXPECT_TRUE(platform::SortTableFits(now));
}

TEST(SortTableTest, TablesFromElsewhereAreRefused) {
  const std::string table = platform::SortTableFromIcu();
  ASSERT_GT(table.size(), 40u);
  struct Case {
    const char* name;
    std::string bytes;
  };
  auto changed = [&table](size_t at) {
    std::string bytes = table;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
    return bytes;
  };
  const Case cases[] = {
      {"empty", ""},
      {"another kind of table", changed(0)},
      {"another ICU library", changed(4)},
      {"another ICU data", changed(8)},
      {"another collation", changed(12)},
      {"another byte order", changed(16)},
      {"another pool size", changed(20)},
      {"cut short", table.substr(0, table.size() - 1)},
      {"too long", table + "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(platform::SortTableFits(c.bytes));
  }
}

}  // namespace
