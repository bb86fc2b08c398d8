#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace {

using testing_support::TempFolder;

TEST(FullPathTest, ResolvesAgainstTheWorkingFolder) {
  const std::string cwd = platform::CurrentFolder();
  EXPECT_EQ(platform::FullPath("a.csv"), cwd + "/a.csv");
  EXPECT_EQ(platform::FullPath("./x/../b.ini"), cwd + "/b.ini");
  EXPECT_EQ(platform::FullPath("/tmp//y/./z"), "/tmp/y/z");
  EXPECT_EQ(platform::FullPath("/.."), "/");
}

TEST(WriteFileAtomicallyTest, ReplacesOrLeavesTheTargetWhole) {
  TempFolder dir;
  const std::string target = dir.Write("out.txt", "old");
  ASSERT_TRUE(platform::WriteFileAtomically(target, "new contents"));
  EXPECT_EQ(dir.Read("out.txt"), "new contents");

  EXPECT_FALSE(platform::WriteFileAtomically(dir.File("missing/out.txt"), "x"));

  // A read-only file is refused, also for root, whom the system would let write.
  ::chmod(target.c_str(), 0444);
  EXPECT_FALSE(platform::WriteFileAtomically(target, "lost"));
  EXPECT_EQ(dir.Read("out.txt"), "new contents");
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u) << "no temporary file may remain";
}

}  // namespace
