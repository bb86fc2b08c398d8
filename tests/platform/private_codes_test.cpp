#include "platform/private_codes.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "platform/encoding.h"
#include "platform/shift_jis.h"

namespace {

using platform::PrivateCodes;

TEST(PrivateCodesTest, HandsOutEachCharacterOneCodeAndSkipsCodesInUse) {
  PrivateCodes codes;
  // A Shift-JIS file of the run uses F040 itself; F041 only as the second
  // half of nothing (after a lead byte it is not a character of its own).
  codes.ReserveUsedIn(
      "a\xF0\x40"
      "b\x81\xF0\x41");
  const auto e_acute = codes.CodeFor(U'é');
  ASSERT_TRUE(e_acute);
  EXPECT_EQ(*e_acute, 0xF041) << "F040 is the file's own";
  EXPECT_EQ(codes.CodeFor(U'é'), e_acute) << "one code per character";
  EXPECT_EQ(codes.CharacterOf(0xF041), U'é');
  EXPECT_FALSE(codes.CharacterOf(0xF040));
  // The trail bytes skip 7F, as Shift-JIS does.
  for (char32_t c = 0x100; c < 0x100 + 61; ++c) codes.CodeFor(c);  // up to F07E
  EXPECT_EQ(codes.CodeFor(U'ő'), 0xF080);
}

// The search for codes in use skips most of the text; it must find exactly
// the codes a walk through every character finds, trail bytes in the
// lead-byte range included.
TEST(PrivateCodesTest, FindsExactlyTheCodesAFileUses) {
  std::mt19937 random(1);
  const unsigned char bytes[] = {',',  'a',  0x81, 0x9F, 0xE0, 0xF0,
                                 0xF1, 0xF9, 0x40, 0x41, 0x7F, 0xFC};
  for (int round = 0; round < 603; ++round) {
    // Short texts, and long ones with stretches the search passes by; the
    // last few so long that both cores read them, each its half.
    std::string text;
    const int length = round >= 600 ? (5 << 20) + round : round % 2 == 0 ? 40 : 400;
    for (int i = 0; i < length; ++i) {
      text.push_back(random() % 4 == 0 && round % 2 == 1
                         ? 'x'
                         : static_cast<char>(bytes[random() % sizeof bytes]));
    }
    if (round >= 600) {
      // The middle of the text inside a character, or just after one, whose
      // second byte could open a user-defined code found nowhere else.
      const size_t half = text.size() / 2;
      text.replace(half - 2 - static_cast<size_t>(round % 2), 4, "x\x81\xF0\x50");
    }
    std::set<uint16_t> used;
    for (size_t i = 0; i + 1 < text.size(); i += platform::CharLength(text, i)) {
      if (const auto code = PrivateCodes::AsCode(static_cast<unsigned char>(text[i]),
                                                 static_cast<unsigned char>(text[i + 1]))) {
        used.insert(*code);
      }
    }
    PrivateCodes codes;
    codes.ReserveUsedIn(text);
    std::set<uint16_t> handed_out;
    for (char32_t c = 0x4E00; const auto code = codes.CodeFor(c); ++c) handed_out.insert(*code);
    ASSERT_EQ(handed_out.size() + used.size(), PrivateCodes::kCapacity) << text.substr(0, 400);
    for (const uint16_t code : used) ASSERT_FALSE(handed_out.count(code)) << text.substr(0, 400);
  }
}

// The skipping search must stop short of a lead byte that ends the text.
TEST(PrivateCodesTest, ALeadByteAtTheEndIsNoCode) {
  // Exactly the text's bytes on the heap, so that a read past them is caught.
  const std::string_view text = "abcdefghijklmnop\xF0";
  const std::vector<char> bytes(text.begin(), text.end());
  PrivateCodes codes;
  codes.ReserveUsedIn(std::string_view(bytes.data(), bytes.size()));
  EXPECT_EQ(codes.CodeFor(U'é'), 0xF040);
}

TEST(PrivateCodesTest, PastTheAreaCharactersAreCountedNotCoded) {
  PrivateCodes codes;
  for (char32_t c = 0; c < PrivateCodes::kCapacity; ++c) ASSERT_TRUE(codes.CodeFor(0x4E00 + c));
  EXPECT_EQ(codes.CharacterOf(0xF9FC), 0x4E00 + PrivateCodes::kCapacity - 1);
  EXPECT_FALSE(codes.CodeFor(U'é'));
  EXPECT_FALSE(codes.CodeFor(U'é'));
  EXPECT_EQ(codes.overflow(), 1u);
  size_t lost = 0;
  EXPECT_EQ(platform::Utf8ToSjis("\xC3\xA9", "?", &lost, &codes), "?");
  EXPECT_EQ(lost, 1u);
}

TEST(PrivateCodesTest, WritesBackWhatItHandedOut) {
  PrivateCodes codes;
  size_t lost = 0;
  // é, the en dash, a Korean syllable, a character outside the BMP, and a
  // private-use character of the UTF-8 file itself.
  const std::string utf8 =
      "L\xC3\xA9vi \xE2\x80\x93 \xEA\xB9\x80 \xF0\x9F\x93\x9A \xEE\x80\x80 \xE5\xB1\xB1";
  const std::string sjis = platform::Utf8ToSjis(utf8, "?", &lost, &codes);
  EXPECT_EQ(lost, 0u);
  EXPECT_EQ(platform::SjisToUtf8(sjis, codes), utf8);
  EXPECT_EQ(platform::WithoutPrivateCodes(sjis, codes, "\x81\xAC"),
            "L\x81\xACvi \x81\xAC \x81\xAC \x81\xAC \x81\xAC \x8E\x52");
}

TEST(PrivateCodesTest, FoldsAccentedLettersToLatin) {
  const std::pair<char32_t, std::string_view> cases[] = {
      {U'é', "e"}, {U'É', "e"},  {U'ő', "o"}, {U'ß', "ss"}, {U'Ø', "o"}, {U'Å', "a"},
      {U'ł', "l"}, {U'Æ', "ae"}, {U'ș', "s"}, {U'×', ""},   {U'–', ""},  {U'김', ""},
  };
  for (const auto& [c, folded] : cases) {
    SCOPED_TRACE(static_cast<unsigned>(c));
    EXPECT_EQ(platform::FoldToAscii(c), folded);
  }
}

}  // namespace
