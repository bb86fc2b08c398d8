#include "tabdump/number_text.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

namespace tabdump {
namespace {

TEST(NumberTextTest, PrintsWhatACellShows) {
  struct Case {
    const char* name;
    double value;
    std::string expected;
  };
  const Case cases[] = {
      {"year", 2020.0, "2020"},
      {"negative whole", -3.0, "-3"},
      {"negative zero", -0.0, "0"},
      {"decimal", 12.5, "12.5"},
      {"binary fraction noise", 0.1 + 0.2, "0.3"},
      {"almost whole", 2019.9999999999998, "2020"},
      {"isbn-sized whole", 9784000000000.0, "9784000000000"},
      {"huge", 1.5e20, "1.5E+20"},
      {"tiny", 1.5e-7, "1.5E-07"},
      {"not a number", std::nan(""), ""},
      {"infinity", HUGE_VAL, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NumberText(c.value), c.expected);
  }
}

}  // namespace
}  // namespace tabdump
