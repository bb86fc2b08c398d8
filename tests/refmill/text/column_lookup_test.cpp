#include "refmill/text/column_lookup.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ColumnLookupTest, AnswersFromTheFirstMatchingLine) {
  const refmill::text::ColumnLookup lookup({"$AT=2", "$YR=abc", "$PG=-1", "$at=9", "$VL=$A",
                                            "$TL= 4", "$NO=0x10", "$BT=", "$JT=99999999999",
                                            "$JB=-99999999999", "$JP=2147483647"});
  struct Case {
    const char* name;
    const char* token;
    int32_t expected;
  };
  const Case cases[] = {
      {"case ignored", "$at", 2},
      {"first line counts", "$AT", 2},
      {"not a number", "$YR", 0},
      {"negative code", "$PG", -1},
      {"missing name", "$ZZ", 0},
      {"hexadecimal", "$VL", 10},
      {"leading blank", "$TL", 4},
      {"0x form", "$NO", 16},
      {"empty value", "$BT", 0},
      // Past 32 bits: a column no entry has, not column 0.
      {"too large", "$JT", INT32_MAX},
      {"too small", "$JB", INT32_MIN},
      {"largest", "$JP", INT32_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(lookup(c.token), c.expected);
  }
}

}  // namespace
