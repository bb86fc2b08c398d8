#include "platform/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace {

using platform::MappedFile;
using testing_support::TempFolder;

// Bytes that differ from page to page and within each, so a page read
// from the wrong place shows.
std::string Pattern(size_t size) {
  std::string text(size, '\0');
  for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('!' + (i * 7 + i / 4096) % 90);
  return text;
}

TEST(MappedFileTest, MapsOnlyRegularFilesOfTheSizesAsked) {
  TempFolder dir;
  dir.Write("ten.txt", "0123456789");
  dir.Write("empty.txt", "");
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    const char* name;
    std::string path;
    size_t min_size;
    size_t limit;
    bool mapped;
  };
  const Case cases[] = {
      {"within both", dir.File("ten.txt"), 10, 10, true},
      {"one byte short of the least", dir.File("ten.txt"), 11, 100, false},
      {"one byte over the limit", dir.File("ten.txt"), 1, 9, false},
      {"empty", dir.File("empty.txt"), 0, 100, false},
      {"missing", dir.File("none.txt"), 0, 100, false},
      {"a folder", dir.path(), 0, SIZE_MAX, false},
      {"a pipe", fifo, 0, SIZE_MAX, false},
      {"a device", "/dev/zero", 0, SIZE_MAX, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto file = MappedFile::Map(c.path, c.min_size, c.limit);
    EXPECT_EQ(file != nullptr, c.mapped);
    if (file) {
      EXPECT_EQ(file->Text(), "0123456789");
    }
  }
}

TEST(MappedFileTest, ForgottenPagesReadTheSameAgain) {
  TempFolder dir;
  const std::string bytes = Pattern(5 * 4096 + 123);
  const auto file = MappedFile::Map(dir.Write("t.txt", bytes), 0, SIZE_MAX);
  ASSERT_NE(file, nullptr);
  const std::string_view text = file->Text();
  ASSERT_EQ(text, bytes);
  struct Piece {
    size_t from;
    size_t size;
  };
  // Within one page, across pages at odd places, the whole, the tail past
  // the last full page, nothing; and pieces outside the file, which must
  // be let alone.
  const Piece pieces[] = {{10, 100}, {4000, 9000}, {0, bytes.size()}, {5 * 4096, 123}, {7, 0}};
  for (const Piece& p : pieces) {
    SCOPED_TRACE(p.from);
    file->Forget(text.substr(p.from, p.size));
    EXPECT_EQ(file->Text(), bytes);
  }
  const std::string elsewhere = bytes;
  file->Forget(elsewhere);
  file->Forget(std::string_view(text.data() + 4096, text.size()));
  EXPECT_EQ(elsewhere, bytes);
  EXPECT_EQ(file->Text(), bytes);
}

TEST(MappedFileTest, TellsAFileChangedSinceItWasMapped) {
  TempFolder dir;
  const std::string bytes = Pattern(3 * 4096);
  struct Case {
    const char* name;
    void (*change)(const std::string& path, const std::string& bytes);
    bool unchanged;
  };
  const Case cases[] = {
      {"read only", [](const std::string&, const std::string&) {}, true},
      {"made read-only",
       [](const std::string& path, const std::string&) { ::chmod(path.c_str(), 0400); }, true},
      {"grown",
       [](const std::string& path, const std::string&) {
         FILE* f = std::fopen(path.c_str(), "ab");
         std::fputs("more", f);
         std::fclose(f);
       },
       false},
      {"cut short",
       [](const std::string& path, const std::string&) {
         std::filesystem::resize_file(path, 4096);
       },
       false},
      {"written over in place, the same size",
       [](const std::string& path, const std::string& text) {
         // A clock coarser than the writes must not hide the change.
         struct stat st {};
         ::stat(path.c_str(), &st);
         FILE* f = std::fopen(path.c_str(), "r+b");
         std::fwrite(text.data() + 10, 1, 10, f);
         std::fclose(f);
         const struct timespec times[2] = {st.st_atim, {st.st_mtim.tv_sec + 1, st.st_mtim.tv_nsec}};
         ::utimensat(AT_FDCWD, path.c_str(), times, 0);
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("t.txt", bytes);
    const auto file = MappedFile::Map(path, 0, SIZE_MAX);
    ASSERT_NE(file, nullptr);
    c.change(path, bytes);
    EXPECT_EQ(file->Unchanged(), c.unchanged);
    ::chmod(path.c_str(), 0600);
  }
}

// Another program cuts the file short while a conversion still reads it:
// the run ends with its report and code, and leaves no temporary output.
TEST(MappedFileDeathTest, AFileCutShortEndsTheRunWithItsReport) {
  TempFolder dir;
  const std::string path = dir.Write("t.txt", Pattern(4 * 4096));
  const std::string output = dir.File("list.txt");
  const std::string console = dir.File("console.txt");
  EXPECT_EXIT(
      {
        const int to = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(to, STDOUT_FILENO);
        platform::ReportLostMappedFiles("the table went away\n", 9);
        const auto file = MappedFile::Map(path, 0, SIZE_MAX);
        platform::AtomicFileWriter writer(output);
        writer.Write("half a list");
        std::filesystem::resize_file(path, 10);
        volatile char last = file->Text().back();
        (void)last;
        std::exit(0);
      },
      testing::ExitedWithCode(9), "");
  EXPECT_EQ(dir.Read("console.txt"), "the table went away\n");
  size_t left = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++left;
  EXPECT_EQ(left, 2u);  // the table and the console's file: no temporary list
  // A bus error elsewhere is not taken for the table's.
  EXPECT_EXIT(
      {
        platform::ReportLostMappedFiles("the table went away\n", 9);
        ::raise(SIGBUS);
      },
      testing::KilledBySignal(SIGBUS), "");
}

}  // namespace
