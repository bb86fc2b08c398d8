// The shipped romanisation tables, run through the converter's own
// TKana2Romaji: real names and words must come out in modified Hepburn, and
// no character of a table's script may leave a non-ASCII byte or one of the
// tables' internal marks behind (an ID with such a byte is thrown away).
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/files.h"
#include "refmill/text/kana2romaji.h"
#include "refmill/text/lines.h"
#include "refmill/text/sjis.h"
#include "tests/support/sjis_literal.h"

namespace {

using refmill::text::TKana2Romaji;
using testing_support::Sjis;

std::string ReadTable(const std::string& name) {
  std::string contents;
  EXPECT_TRUE(platform::ReadWholeFile(std::string(SHIPPED_DATA_DIR) + "/" + name, contents))
      << name;
  return contents;
}

TKana2Romaji LoadTable(const std::string& name) { return TKana2Romaji::FromText(ReadTable(name)); }

struct Case {
  const char* text;  // UTF-8
  const char* expected;
};

void ExpectRomanised(const std::string& table_name, const std::vector<Case>& cases) {
  const TKana2Romaji table = LoadTable(table_name);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(table.Convert(Sjis(c.text)), c.expected);
  }
}

TEST(ShippedRomanTableTest, FitsTheConverter) {
  // Rules past the capacity are dropped without a word, so a table that grew
  // too long would silently lose its last rules (the folds).
  for (const char* name : {"roman.dat", "roman-katakana.dat", "roman-hankaku.dat"}) {
    SCOPED_TRACE(name);
    const std::string contents = ReadTable(name);
    EXPECT_LE(refmill::text::SplitLines(contents).size(),
              static_cast<size_t>(TKana2Romaji::kCapacity));
    EXPECT_EQ(contents.find('\0'), std::string::npos);
  }
}

// The tables keep one case a line, with its remarks beside it.
// clang-format off
TEST(ShippedRomanTableTest, HiraganaNamesAndWords) {
  ExpectRomanised("roman.dat", {
      {"やまだ", "yamada"},
      {"さとう", "satou"},
      {"すずき", "suzuki"},
      {"たかはし", "takahashi"},
      {"わたなべ", "watanabe"},
      {"こばやし", "kobayashi"},
      {"よしだ", "yoshida"},
      {"やまぐち", "yamaguchi"},
      {"まつもと", "matsumoto"},
      {"いのうえ", "inoue"},
      {"しみず", "shimizu"},
      {"さいとう", "saitou"},
      {"ごとう", "gotou"},
      {"ふじい", "fujii"},
      {"おおの", "oono"},
      {"つづき", "tsuzuki"},     // づ is zu
      {"ちぢわ", "chijiwa"},     // ぢ is ji
      {"ひゃくた", "hyakuta"},
      {"りょう", "ryou"},
      {"しょうじ", "shouji"},
      {"ちゅうじょう", "chuujou"},
      {"みょうじん", "myoujin"},
      {"じゃく", "jaku"},
      {"はっとり", "hattori"},
      {"きっかわ", "kikkawa"},
      {"いっしき", "isshiki"},
      {"がっこう", "gakkou"},
      // Small っ before ち: tch, not cch.
      {"まっちゃ", "matcha"},
      {"ぼっちゃん", "botchan"},
      // ん before a vowel or y takes an apostrophe; before anything else not,
      // and it stays n before b, m, p.
      {"しんいち", "shin'ichi"},
      {"じゅんいちろう", "jun'ichirou"},
      {"けんや", "ken'ya"},
      {"きんようび", "kin'youbi"},
      {"ほんま", "honma"},
      {"しんぶん", "shinbun"},
      {"らーめん", "raamen"},
      {"やまだ　たろう", "yamada tarou"},
      // What an ID looks like before the converter checks it.
      {"やまだ2001a", "yamada2001a"},
      {"やまだ２００１", "yamada2001"},
  });
}

TEST(ShippedRomanTableTest, KatakanaNamesAndForeignNames) {
  ExpectRomanised("roman-katakana.dat", {
      {"ヤマダ", "yamada"},
      {"サトウ", "satou"},
      {"シンイチ", "shin'ichi"},
      {"マッチ", "matchi"},
      {"ジョン・スミス", "jon sumisu"},
      {"ファインマン", "fainman"},
      {"ティモシー", "timoshii"},
      {"ディズニー", "dizunii"},
      {"ヴィゴツキー", "vigotsukii"},
      {"ウィリアム", "wiriamu"},
      {"ウェーバー", "weebaa"},
      {"ウォーカー", "wookaa"},
      {"ジェームズ", "jeemuzu"},
      {"チェーホフ", "cheehofu"},
      {"シェイクスピア", "sheikusupia"},
      {"ピアジェ", "piaje"},
      {"ブルーナー", "buruunaa"},
      {"バンデューラ", "bandyuura"},
      {"フュージョン", "fyuujon"},
      {"トゥルーマン", "turuuman"},
      {"クァルテット", "kwarutetto"},
      {"イェーツ", "yeetsu"},
      {"ツァラトゥストラ", "tsaratusutora"},
      {"レヴィ＝ストロース", "revi-sutoroosu"},
      {"カァ", "kaa"},  // a small vowel after a vowel of its own is that vowel
  });
}

TEST(ShippedRomanTableTest, HalfWidthKatakana) {
  ExpectRomanised("roman-hankaku.dat", {
      {"ﾔﾏﾀﾞ", "yamada"},
      {"ｶﾞｯｺｳ", "gakkou"},
      {"ﾊﾟﾌﾞﾛﾌ", "paburofu"},
      {"ｼﾝｲﾁ", "shin'ichi"},
      {"ｳﾞｨｺﾞﾂｷｰ", "vigotsukii"},
      {"ﾁｮｳｼﾞｬ", "chouja"},
      {"ﾏｯﾁｬ", "matcha"},
      {"ﾌｧｲﾝﾏﾝ", "fainman"},
      {"ﾃｨﾓｼｰ", "timoshii"},
      {"ﾔﾏﾀﾞ１９９８", "yamada1998"},
  });
}
// clang-format on

TEST(ShippedRomanTableTest, LeavesOtherTextAlone) {
  // Latin names in any case, IDs, digits and kanji pass through unchanged;
  // the tables' marks are control bytes, so no ASCII text can trigger a fold.
  const struct {
    const char* table;
    const char* text;
  } cases[] = {
      {"roman.dat", "Smith"},
      {"roman.dat", "O'Brien"},
      {"roman.dat", "van_dijk2001b"},
      {"roman.dat", "iya ua oy"},
      {"roman.dat", "山田"},
      {"roman-katakana.dat", "KUA ei ou"},
      {"roman-katakana.dat", "佐藤"},
      {"roman-hankaku.dat", "tsu-ya"},
      // 漢 is 8A BF, and BF alone is the half-width ｿ: a rule must not start
      // on a second byte.
      {"roman-hankaku.dat", "漢"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + " " + c.text);
    EXPECT_EQ(LoadTable(c.table).Convert(Sjis(c.text)), Sjis(c.text));
  }
}

// True when every byte is printable ASCII.
bool IsPlainAscii(std::string_view text) {
  for (const char ch : text) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x20 || b > 0x7E) return false;
  }
  return true;
}

TEST(ShippedRomanTableTest, EveryCharacterOfTheScriptBecomesAscii) {
  const struct {
    const char* table;
    const char* characters;  // every character the table claims to cover
    const char* followers;   // what may come after one of them
  } scripts[] = {
      {"roman.dat",
       "ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなにぬね"
       "のはばぱ"
       "ひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをん",
       "ぁぃぅぇぉゃゅょっんーあ"},
      {"roman-katakana.dat",
       "ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニヌネ"
       "ノハバパ"
       "ヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴヵヶ",
       "ァィゥェォャュョッンーア"},
      {"roman-hankaku.dat", "ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ",
       "ｧｨｩｪｫｬｭｮｯﾝｰｱﾞﾟ"},
  };
  for (const auto& s : scripts) {
    const TKana2Romaji table = LoadTable(s.table);
    const std::string characters = Sjis(s.characters);
    const std::string followers = Sjis(s.followers);
    for (size_t i = 0; i < characters.size();) {
      const size_t len = refmill::text::CharLength(characters, i);
      const std::string kana = characters.substr(i, len);
      i += len;
      // The kana at the start, in the middle, and before each follower, with
      // a letter after it so that a doubling mark has something to double.
      std::vector<std::string> texts = {kana + "ka", "ka" + kana + "ta"};
      for (size_t j = 0; j < followers.size();) {
        const size_t flen = refmill::text::CharLength(followers, j);
        texts.push_back(kana + followers.substr(j, flen) + "ka");
        j += flen;
      }
      for (const std::string& text : texts) {
        const std::string out = table.Convert(text);
        EXPECT_TRUE(IsPlainAscii(out)) << s.table << ": " << platform::SjisToUtf8(text) << " gave "
                                       << platform::SjisToUtf8(out);
      }
    }
  }
}

}  // namespace
