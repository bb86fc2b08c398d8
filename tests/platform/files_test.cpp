#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>

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

// Pieces of every size around the buffer's, past several steps at which
// the disk is asked to start writing: the file holds them all, in order.
TEST(WriteFileAtomicallyTest, KeepsEveryPieceOfALargeFile) {
  TempFolder dir;
  const std::string target = dir.File("large.txt");
  platform::AtomicFileWriter writer(target);
  std::string expected;
  const size_t sizes[] = {1,     1000,           (64u << 10) - 1, 64u << 10,      5,
                          70000, (1u << 20) - 1, 1u << 20,        (1u << 20) + 7, 3u << 20,
                          17};
  for (int round = 0; round < 4; ++round) {
    for (const size_t size : sizes) {
      const std::string piece(size, static_cast<char>('a' + expected.size() % 26));
      writer.Write(piece);
      expected += piece;
    }
  }
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(dir.Read("large.txt"), expected);
}

std::set<std::string> Names(const TempFolder& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    names.insert(e.path().filename().string());
  }
  return names;
}

mode_t ModeOf(const std::string& path, bool follow = true) {
  struct stat st {};
  if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) return 0;
  return st.st_mode;
}

TEST(WriteFileAtomicallyTest, WritesThroughLinksToTheirTargets) {
  TempFolder dir;
  const std::string target = dir.Write("target.txt", "old");
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(::symlink("target.txt", dir.File("link.txt").c_str()), 0);
  ASSERT_EQ(::symlink(dir.File("link.txt").c_str(), dir.File("chain.txt").c_str()), 0);
  ASSERT_EQ(::symlink("new.txt", dir.File("dangling.txt").c_str()), 0);
  struct Case {
    const char* link;
    const char* target;
  };
  const Case cases[] = {
      {"link.txt", "target.txt"},
      {"chain.txt", "target.txt"},
      {"dangling.txt", "new.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File(c.link), c.link));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File(c.link), false))) << "the link stays a link";
    EXPECT_EQ(dir.Read(c.target), c.link);
  }
  EXPECT_EQ(ModeOf(target) & 07777, 0640u) << "the target keeps its permissions";
  EXPECT_EQ(Names(dir), (std::set<std::string>{"chain.txt", "dangling.txt", "link.txt", "new.txt",
                                               "target.txt"}));

  ASSERT_EQ(::symlink("loop2", dir.File("loop1").c_str()), 0);
  ASSERT_EQ(::symlink("loop1", dir.File("loop2").c_str()), 0);
  EXPECT_FALSE(platform::WriteFileAtomically(dir.File("loop1"), "x"));
  EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("loop1"), false)));
}

TEST(WriteFileAtomicallyTest, WritesDevicesAndPipesDirectly) {
  TempFolder dir;
  // Through a link, so that a writer that replaced what it was given would
  // replace the link and leave the device itself alone.
  ASSERT_EQ(::symlink("/dev/null", dir.File("null").c_str()), 0);
  EXPECT_TRUE(platform::WriteFileAtomically(dir.File("null"), "gone"));
  EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("null"), false)));
  EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));

  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(platform::WriteFileAtomically(fifo, "through the pipe"));
  char buffer[64] = {};
  const ssize_t n = ::read(reader, buffer, sizeof buffer);
  ::close(reader);
  EXPECT_EQ(std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0), "through the pipe");
  EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));
  EXPECT_EQ(Names(dir), (std::set<std::string>{"fifo", "null"}));
}

TEST(WriteFileAtomicallyTest, FitsTheTemporaryNameAndHonoursReadOnlyFolders) {
  TempFolder dir;
  const std::string longest(255, 'a');  // as long as a name may be
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File(longest), "long"));
  EXPECT_EQ(dir.Read(longest), "long");
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File(longest), "again"));
  EXPECT_EQ(dir.Read(longest), "again");
  EXPECT_EQ(Names(dir), std::set<std::string>{longest});

  // Refused also for root, whom the system would let write there.
  const std::string folder = dir.File("ro");
  ASSERT_EQ(::mkdir(folder.c_str(), 0555), 0);
  EXPECT_FALSE(platform::CanCreateFile(folder + "/x.txt"));
  EXPECT_FALSE(platform::WriteFileAtomically(folder + "/x.txt", "x"));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  ::chmod(folder.c_str(), 0755);
}

TEST(SameFileTest, ComparesIdentityNotNames) {
  TempFolder dir;
  const std::string file = dir.Write("a.csv", "x");
  dir.Write("b.csv", "x");
  ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(file.c_str(), dir.File("soft.csv").c_str()), 0);
  ASSERT_EQ(::link(file.c_str(), dir.File("hard.csv").c_str()), 0);
  struct Case {
    std::string other;
    bool same;
  };
  const Case cases[] = {
      {file, true},
      {dir.File("sub/../a.csv"), true},
      {dir.File("soft.csv"), true},
      {dir.File("hard.csv"), true},
      {dir.File("b.csv"), false},
      {dir.File("none.csv"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other);
    EXPECT_EQ(platform::SameFile(file, c.other), c.same);
    EXPECT_EQ(platform::SameFile(c.other, file), c.same);
  }
  EXPECT_FALSE(platform::SameFile(dir.File("none.csv"), dir.File("none.csv")));
}

}  // namespace
