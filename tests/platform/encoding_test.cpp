#include "platform/encoding.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/private_codes.h"
#include "platform/utf8_scan.h"

namespace {

TEST(EncodingTest, ConvertsTheWindowsCodePage) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string sjis;
  };
  const Case cases[] = {
      {"ascii", "abc", "abc"},
      {"kana", "ポ", "\x83\x7C"},
      {"middle dot", "・", "\x81\x45"},
      {"horizontal bar of the subtitle dashes", "――", "\x81\x5C\x81\x5C"},
      {"black square", "■", "\x81\xA1"},
      {"half-width katakana", "ｶﾝﾏ", "\xB6\xDD\xCF"},
      {"full-width colon and space", "　：", "\x81\x40\x81\x46"},
      {"NEC special", "①", "\x87\x40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::Utf8ToSjis(c.utf8), c.sjis);
    EXPECT_EQ(platform::SjisToUtf8(c.sjis), c.utf8);
  }
}

// ICU's own table rotates 1A, 1C and 7F; text keeps its bytes below 80
// whichever way it is converted.
TEST(EncodingTest, KeepsControlCharactersAsTheyAre) {
  const std::string text(
      "a\x1A"
      "b\x1C"
      "c\x7F"
      "d\0e\xE5\xB1\xB1",
      13);
  platform::PrivateCodes codes;
  for (platform::PrivateCodes* with : {static_cast<platform::PrivateCodes*>(nullptr), &codes}) {
    const std::string sjis = platform::Utf8ToSjis(text, "?", nullptr, with);
    EXPECT_EQ(sjis, std::string("a\x1A"
                                "b\x1C"
                                "c\x7F"
                                "d\0e\x8E\x52",
                                12));
    EXPECT_EQ(platform::SjisToUtf8(sjis), text);
  }
}

// Every character of the Basic Multilingual Plane, one by one and all in
// one text, converts as ICU's converter for code page 932 writes it (asked
// to stop rather than fall back), or to the substitute where it has none.
TEST(EncodingTest, EveryCharacterAsTheCodePageWritesIt) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* cp932 = ucnv_open("windows-31j", &status);
  ucnv_setFromUCallBack(cp932, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  ASSERT_TRUE(U_SUCCESS(status));
  std::string all_utf8;
  std::string all_sjis;
  for (UChar32 c = 0x80; c < 0x10000; ++c) {
    if (U_IS_SURROGATE(c)) continue;
    char utf8[4];
    int32_t n8 = 0;
    U8_APPEND_UNSAFE(utf8, n8, c);
    const UChar unit = static_cast<UChar>(c);
    char buf[8];
    status = U_ZERO_ERROR;
    ucnv_reset(cp932);
    const int32_t n = ucnv_fromUChars(cp932, buf, sizeof buf, &unit, 1, &status);
    const std::string expected = U_SUCCESS(status) && n > 0 ? std::string(buf, size_t(n)) : "?";
    ASSERT_EQ(platform::Utf8ToSjis(std::string(utf8, size_t(n8))), expected) << std::hex << c;
    all_utf8.append(utf8, size_t(n8)).push_back('a');
    all_sjis.append(expected).push_back('a');
  }
  ucnv_close(cp932);
  EXPECT_EQ(platform::Utf8ToSjis(all_utf8), all_sjis);
}

// Every Shift-JIS character reads back as ICU's converter for code page
// 932 reads it: one by one, in one long text of characters only, and with
// ASCII between them.
TEST(EncodingTest, EveryShiftJisCharacterAsTheCodePageReadsIt) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* cp932 = ucnv_open("windows-31j", &status);
  ASSERT_TRUE(U_SUCCESS(status));
  auto icu = [cp932](const std::string& sjis) {
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(cp932);
    std::u16string utf16(sjis.size() + 1, u'\0');
    const int32_t n16 = ucnv_toUChars(cp932, utf16.data(), static_cast<int32_t>(utf16.size()),
                                      sjis.data(), static_cast<int32_t>(sjis.size()), &error);
    std::string utf8(static_cast<size_t>(n16) * 3, '\0');
    int32_t n8 = 0;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &n8, utf16.data(), n16, &error);
    utf8.resize(static_cast<size_t>(n8));
    return utf8;
  };
  std::string characters;
  std::string with_ascii;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    const bool pair = (lead <= 0x9F || lead >= 0xE0);
    for (int trail = pair ? 0x40 : 0; trail <= (pair ? 0xFC : 0); ++trail) {
      if (pair && trail == 0x7F) continue;
      std::string c(1, static_cast<char>(lead));
      if (pair) c.push_back(static_cast<char>(trail));
      const std::string expected = icu(c);
      if (expected.find("\xEF\xBF\xBD") != std::string::npos ||
          expected.find('\x1A') != std::string::npos) {
        continue;  // no character: ICU's own substitute
      }
      ASSERT_EQ(platform::SjisToUtf8(c), expected) << std::hex << lead << ' ' << trail;
      characters += c;
      with_ascii += c + "a";
    }
  }
  EXPECT_EQ(platform::SjisToUtf8(characters), icu(characters));
  EXPECT_EQ(platform::SjisToUtf8(with_ascii), icu(with_ascii));
  ucnv_close(cp932);
}

// A large table is read in parts: wherever the middle falls (inside a
// character of two, three or four bytes) and wherever a fault stands, the
// guess is the one the whole text gives.
TEST(EncodingTest, GuessesLargeTablesAsWhole) {
  using platform::TextEncoding;
  const std::string characters[] = {"\xE5\xB1\xB1", "L\xC3\xA9vi", "\xF0\x9F\x98\x80", "ab"};
  for (const std::string& c : characters) {
    SCOPED_TRACE(c);
    std::string text;
    while (text.size() < 2000000) text += "*,jbook," + c + ",1999\r\n";
    for (size_t shift = 0; shift < 21; ++shift) {  // a line and more: the middle falls everywhere
      const std::string t = std::string(shift, 'x') + text;
      EXPECT_EQ(platform::GuessTextEncoding(t),
                c == "ab" ? TextEncoding::kShiftJis : TextEncoding::kUtf8);
      for (const size_t fault :
           {size_t{10}, size_t{65535}, size_t{65536}, t.size() / 2, t.size() - 3}) {
        std::string broken = t;
        broken[fault] = '\xFF';
        EXPECT_EQ(platform::GuessTextEncoding(broken), TextEncoding::kShiftJis) << fault;
      }
    }
  }
  // The first lines are read apart from the rest: a text whose only
  // character beyond ASCII comes after them is still UTF-8.
  std::string late(200000, 'a');
  for (const size_t at : {size_t{70000}, late.size() - 10}) {
    std::string t = late;
    t.replace(at, 6, "L\xC3\xA9vi ");
    EXPECT_EQ(platform::GuessTextEncoding(t), TextEncoding::kUtf8) << at;
  }
}

// Bytes that are no well-formed UTF-8 never make a character: a surrogate,
// an overlong form, a character cut short or broken off by another byte
// each give the substitute, once per piece that cannot be read, and what
// follows them is read as ever.
TEST(EncodingTest, MalformedBytesGiveTheSubstitute) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string sjis;
    size_t lost;
  };
  const Case cases[] = {
      {"encoded surrogate", "\xED\xA0\x80\xE5\xB1\xB1", "???\x8E\x52", 3},
      {"overlong",
       "\xE0\x80\xAF"
       "a",
       "???a", 3},
      {"cut short at the end", "a\xE5\xB1", "a?", 1},
      {"cut short before ASCII",
       "\xE5\xB1"
       "ab",
       "?ab", 1},
      {"broken off after its lead",
       "\xE5"
       "AB\xE5\xB1\xB1",
       "?AB\x8E\x52", 1},
      {"a second byte alone", "\xB1\xE5\xB1\xB1", "?\x8E\x52", 1},
      {"the last of three bytes missing", "\xE5\xB1\xE5\xB1\xB1", "?\x8E\x52", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t lost = 0;
    EXPECT_EQ(platform::Utf8ToSjis(c.utf8, "?", &lost), c.sjis);
    EXPECT_EQ(lost, c.lost);
  }
}

TEST(EncodingTest, CountsWhatShiftJisCannotHold) {
  size_t lost = 0;
  EXPECT_EQ(platform::Utf8ToSjis("a\xF0\x9F\x98\x80"
                                 "b\xC3\xA9",
                                 "\x81\xAC", &lost),
            "a\x81\xAC"
            "b\x81\xAC");
  EXPECT_EQ(lost, 2u);
}

// The guess, the conversion and the sort all skip ASCII with it: a run that
// ends one byte early or late splits or swallows a character.
TEST(EncodingTest, AsciiRunsEndAtTheFirstHighByteFromAnyStart) {
  const auto one_by_one = [](std::string_view text, size_t from) {
    while (from < text.size() && static_cast<unsigned char>(text[from]) < 0x80) ++from;
    return from;
  };
  for (size_t length = 0; length <= 20; ++length) {
    // No high byte, then one at every place, then two (the first decides).
    std::vector<std::string> texts{std::string(length, 'a')};
    for (size_t at = 0; at < length; ++at) {
      std::string text(length, 'a');
      text[at] = '\x80';
      texts.push_back(text);
      if (at + 3 < length) {
        text[at + 3] = '\xE3';
        texts.push_back(text);
      }
    }
    for (const std::string& text : texts) {
      for (size_t from = 0; from <= text.size(); ++from) {
        EXPECT_EQ(platform::AsciiRunEnd(text, from), one_by_one(text, from))
            << "length " << length << " from " << from;
      }
    }
  }
}

TEST(EncodingTest, GuessesHowAFileWasSaved) {
  using platform::TextEncoding;
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  };
  const Case cases[] = {
      {"ascii", "*,ebook,Smith", TextEncoding::kShiftJis},
      {"Shift-JIS kanji", "*,jbook,\x8E\x52\x93\x63", TextEncoding::kShiftJis},
      {"UTF-8 kanji", "*,jbook,\xE5\xB1\xB1\xE7\x94\xB0", TextEncoding::kUtf8},
      {"UTF-8 mark",
       "\xEF\xBB\xBF"
       "abc",
       TextEncoding::kUtf8},
      {"accent inside a name", "L\xC3\xA9vi-Strauss, K\xC3\xB6hler", TextEncoding::kUtf8},
      {"accent opening a name", "\xC3\x89mile", TextEncoding::kUtf8},
      {"accent Shift-JIS cannot have", "Erd\xC5\x91s", TextEncoding::kUtf8},
      {"en dash",
       "45\xE2\x80\x93"
       "47",
       TextEncoding::kUtf8},
      // The same bytes are half-width katakana in Shift-JIS: between blanks
      // and punctuation they are katakana, not a Cyrillic and a Hebrew letter.
      {"half-width katakana valid as UTF-8", "Title \xD0\xB7\xD7\xB2,Pub", TextEncoding::kShiftJis},
      {"katakana pair that reads as a lone accent", "Title \xC3\xA8,", TextEncoding::kShiftJis},
      {"half-width katakana invalid as UTF-8", "\xB6\xDD\xCF", TextEncoding::kShiftJis},
      {"UTF-16 little-endian mark", std::string("\xFF\xFE*\0,\0", 6),
       TextEncoding::kUtf16LittleEndian},
      {"UTF-16 big-endian mark", std::string("\xFE\xFF\0*\0,", 6), TextEncoding::kUtf16BigEndian},
      {"UTF-16 without a mark", std::string("*\0,\0e\0b\0\x71\x5C", 10),
       TextEncoding::kUtf16LittleEndian},
      {"zero bytes alone", std::string(64, '\0'), TextEncoding::kShiftJis},
      {"a stray zero byte", std::string("*,a\0b,c", 7), TextEncoding::kShiftJis},
      // Bytes only a strict reading turns down: not UTF-8.
      {"overlong three bytes", "\xE5\xB1\xB1\xE0\x80\xAF", TextEncoding::kShiftJis},
      {"encoded surrogate", "\xE5\xB1\xB1\xED\xA0\x80", TextEncoding::kShiftJis},
      {"three bytes cut short at the end", "\xE5\xB1\xB1\xE7\x94", TextEncoding::kShiftJis},
      {"a lead byte before ASCII", "\xE5\xB1\xB1\xE7,\x94\xB0", TextEncoding::kShiftJis},
      {"two bytes cut short", "L\xC3", TextEncoding::kShiftJis},
      {"overlong two bytes", "L\xC1\xA9vi", TextEncoding::kShiftJis},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::GuessTextEncoding(c.bytes), c.encoding);
  }
}

TEST(EncodingTest, DecodesUtf16) {
  struct Case {
    const char* name;
    std::string bytes;
    bool big_endian;
    std::string utf8;
  };
  const Case cases[] = {
      {"ascii and kanji", std::string("a\0\x71\x5C", 4), false, "a\xE5\xB1\xB1"},
      {"big-endian", std::string("\0a\x5C\x71", 4), true, "a\xE5\xB1\xB1"},
      {"surrogate pair", "\x3D\xD8\x1A\xDE", false, "\xF0\x9F\x98\x9A"},
      {"unpaired surrogate",
       std::string("\x3D\xD8"
                   "a\0",
                   4),
       false,
       "\xEF\xBF\xBD"
       "a"},
      {"odd last byte", "a", false, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::Utf16ToUtf8(c.bytes, c.big_endian), c.utf8);
  }
}

}  // namespace
