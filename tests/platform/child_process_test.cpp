#include "platform/child_process.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/platform/child_work.h"

namespace {

struct ChildCase {
  const char* name;
  std::string input;
  std::string received;
  std::string errors;
};

TEST(RunInChildTest, GivesWhatTheChildSentHoweverItEnded) {
  std::string big(3 << 20, 'x');  // more than a pipe holds at once
  for (size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<char>('a' + i % 26);
  const std::vector<ChildCase> cases = {
      {"echo", std::string("Eabc\0def", 8), std::string("abc\0def", 7), "note"},
      {"nothing to echo", "E", "", "note"},
      {"big", "E" + big, big, "note"},
      {"aborts after sending", "A", "before", ""},
      {"empty input", "", "", "note"},
  };
  for (const ChildCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string received;
    const std::optional<std::string> errors = platform::RunInChild(
        &platform_test::ChildWork, c.input, [&](std::string_view piece) { received += piece; });
    ASSERT_TRUE(errors.has_value());
    EXPECT_EQ(received, c.received);
    EXPECT_EQ(*errors, c.errors);
  }
}

}  // namespace
