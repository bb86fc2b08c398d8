#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::ReadStatus;
using testing_support::TempFolder;

TEST(ReadFileUpToTest, NeverReadsPastItsLimit) {
  TempFolder dir;
  dir.Write("small.txt", "0123456789");
  // Larger than the pieces a file is read in.
  std::string large(3 * (1 << 20) + 7, 'x');
  for (size_t i = 0; i < large.size(); i += 4099) large[i] = static_cast<char>('a' + i % 26);
  dir.Write("large.txt", large);
  struct Case {
    const char* name;
    std::string path;
    size_t limit;
    ReadStatus status;
    std::string text;
  };
  const Case cases[] = {
      {"within the limit", dir.File("small.txt"), 10, ReadStatus::kRead, "0123456789"},
      {"one byte over", dir.File("small.txt"), 9, ReadStatus::kTooLarge, ""},
      {"a device without end", "/dev/zero", 1 << 20, ReadStatus::kTooLarge, ""},
      {"a device without end, many pieces", "/dev/zero", 5 << 19, ReadStatus::kTooLarge, ""},
      {"many pieces, no limit", dir.File("large.txt"), SIZE_MAX, ReadStatus::kRead, large},
      {"many pieces, exactly the limit", dir.File("large.txt"), large.size(), ReadStatus::kRead,
       large},
      {"many pieces, one byte over", dir.File("large.txt"), large.size() - 1, ReadStatus::kTooLarge,
       ""},
      {"missing", dir.File("none.txt"), 10, ReadStatus::kUnreadable, ""},
      {"a folder", dir.path(), 10, ReadStatus::kUnreadable, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string out = "stale";
    EXPECT_EQ(platform::ReadFileUpTo(c.path, out, c.limit), c.status);
    EXPECT_EQ(out, c.text);
  }
}

TEST(ReadFileUpToTest, StopsWhenTheCallerHasEnough) {
  std::string out;
  size_t calls = 0;
  const auto enough = [&calls](std::string_view read, size_t new_from) {
    ++calls;
    return std::memchr(read.data() + new_from, '\0', read.size() - new_from) != nullptr;
  };
  EXPECT_EQ(platform::ReadFileUpTo("/dev/zero", out, 1 << 20, enough), ReadStatus::kRead);
  EXPECT_EQ(calls, 1u);
  EXPECT_FALSE(out.empty());
}

}  // namespace
