#include "platform/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::ParseProfileNumber;
using platform::ProfileFile;

TEST(ParseProfileNumberTest, ReadsDecimalAndHexadecimalForms) {
  struct Case {
    const char* name;
    const char* text;
    std::optional<int32_t> expected;
  };
  const Case cases[] = {
      {"decimal", "12", 12},
      {"plus sign", "+7", 7},
      {"minus sign", "-1", -1},
      {"leading blanks", "  3", 3},
      {"dollar hex", "$1F", 31},
      {"x hex", "x10", 16},
      {"X hex", "X10", 16},
      {"0x hex", "0x2", 2},
      {"0X hex", "0X2", 2},
      {"signed hex", "-$10", -16},
      {"largest", "2147483647", 2147483647},
      {"smallest", "-2147483648", INT32_MIN},
      {"too large", "2147483648", std::nullopt},
      {"far too large", "99999999999999999999999", std::nullopt},
      {"hex too large", "$80000000", std::nullopt},
      {"word", "two", std::nullopt},
      {"trailing garbage", "12a", std::nullopt},
      {"trailing blank", "12 ", std::nullopt},
      {"empty", "", std::nullopt},
      {"sign only", "-", std::nullopt},
      {"prefix only", "0x", std::nullopt},
      {"decimal point", "1.5", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseProfileNumber(c.text), c.expected);
  }
}

TEST(ParseProfileNumberTest, TellsLargeNumbersFromNoNumbers) {
  struct Case {
    const char* text;
    bool out_of_range;
  };
  const Case cases[] = {
      {"2147483648", true},    {"-2147483649", true}, {"99999999999999999999999", true},
      {"$80000000", true},     {"2147483647", false}, {"-2147483648", false},
      {"99999999999x", false}, {"two", false},        {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(platform::IsProfileNumberOutOfRange(c.text), c.out_of_range);
  }
}

TEST(ProfileFileTest, ReadsValuesByTheReaderRules) {
  const ProfileFile ini = ProfileFile::FromText(
      "stray=before any section\r\n"
      "[General]\r\n"
      "sort=2\r\n"
      "Sort=9\r\n"
      "  padded  =   value with blanks   \r\n"
      "dq=\"quoted\"\r\n"
      "sq='single'\r\n"
      "half=\"only one\r\n"
      "inner=a\"b\"\r\n"
      "twice=\"\"x\"\"\r\n"
      "eq=a=b=c\r\n"
      "empty=\r\n"
      "noequals line\r\n"
      "[special]\n"
      "etal=1\r"
      "tab=\tx\t\n");
  struct Case {
    const char* name;
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"first key wins", "General", "sort", "2"},
      {"names ignore case", "GENERAL", "SORT", "2"},
      {"blanks trimmed around names and values", "General", "padded", "value with blanks"},
      {"double quotes removed", "General", "dq", "quoted"},
      {"single quotes removed", "General", "sq", "single"},
      {"unpaired quote kept", "General", "half", "\"only one"},
      {"quotes inside kept", "General", "inner", "a\"b\""},
      {"only one pair removed", "General", "twice", "\"x\""},
      {"later equals signs belong to the value", "General", "eq", "a=b=c"},
      {"empty value", "General", "empty", ""},
      {"LF and CR line ends", "Special", "etal", "1"},
      {"tabs trimmed", "special", "tab", "x"},
      {"missing key gives default", "General", "nothing", "dflt"},
      {"missing section gives default", "None", "sort", "dflt"},
      {"text before the first section is not a key", "", "stray", "dflt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected);
  }
}

TEST(ProfileFileTest, CutsLongValuesAtCharacterBoundaries) {
  const ProfileFile ini = ProfileFile::FromText("[s]\nk=" + std::string(3000, 'v') + "\n" +
                                                // 2046 bytes, then a two-byte character
                                                "j=" + std::string(2046, 'v') + "\x83\x7C\n");
  EXPECT_EQ(ini.ReadString("s", "k", "").size(), platform::kMaxProfileValue);
  EXPECT_EQ(ini.ReadString("s", "j", ""), std::string(2046, 'v'));
}

TEST(ProfileFileTest, ReadsNumbersWithDefaults) {
  const ProfileFile ini =
      ProfileFile::FromText("[g]\na=0x2\nb=two\nc=-1\nd=4294967296\ne=\"5\"\nf=0\n");
  EXPECT_EQ(ini.ReadInteger("g", "a", 1), 2);
  EXPECT_EQ(ini.ReadInteger("g", "b", 1), 1);
  EXPECT_EQ(ini.ReadInteger("g", "c", 1), -1);
  EXPECT_EQ(ini.ReadInteger("g", "d", 1), 1);
  EXPECT_EQ(ini.ReadInteger("g", "e", 1), 5);
  EXPECT_EQ(ini.ReadInteger("g", "missing", 7), 7);
  EXPECT_FALSE(ini.ReadBool("g", "f", true));
  EXPECT_TRUE(ini.ReadBool("g", "c", false));
  EXPECT_TRUE(ini.ReadBool("g", "b", true));
}

TEST(ProfileFileTest, ReadsWholeSectionsInFileOrder) {
  const ProfileFile ini = ProfileFile::FromText(
      "[Replace]\n_and_=_&_\nb= \"c\" \nempty=\nb=second\n[Other]\nx=1\n[replace]\nz=9\n");
  const std::vector<std::string> expected = {"_and_=_&_", "b=c", "empty=", "b=c", "z=9"};
  EXPECT_EQ(ini.ReadSectionValues("REPLACE"), expected);
  EXPECT_TRUE(ini.ReadSectionValues("Missing").empty());
}

TEST(ProfileFileTest, SeesOnlyTheNamesThatFitTheNameBuffer) {
  // 2000 names of 9 bytes take 20000 bytes with their zero bytes: only the
  // first 1638 fit into 16384 bytes with the closing zero byte.
  std::string text = "[s]\n";
  for (int i = 0; i < 2000; ++i) text += "key" + std::to_string(100000 + i) + "=v\n";
  const ProfileFile ini = ProfileFile::FromText(text);
  const std::vector<std::string> keys = ini.ReadSectionKeys("s");
  ASSERT_EQ(keys.size(), 1638u);
  EXPECT_EQ(keys.back(), "key101637");
}

TEST(ProfileFileTest, DoubleByteNamesMatchExactly) {
  // "ア" is 83 41 and "ャ" is 83 61: lowering the second byte would make them equal.
  const ProfileFile ini = ProfileFile::FromText("[s]\n\x83\x61=small\n\x83\x41=big\n");
  EXPECT_EQ(ini.ReadString("s", "\x83\x41", ""), "big");
}

TEST(ProfileFileTest, WritesAndErasesSections) {
  ProfileFile ini = ProfileFile::FromText("[General]\nDirect=1\n[His]\nHis0=a\n");
  ini.WriteString("general", "direct", "0");
  ini.WriteString("General", "Format", "2");
  ini.EraseSection("HIS");
  ini.WriteString("New", "k", "v");
  EXPECT_EQ(ini.ToText(), "[General]\r\nDirect=0\r\nFormat=2\r\n[New]\r\nk=v\r\n");
}

}  // namespace
