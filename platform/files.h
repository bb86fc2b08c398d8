// File services the programs need from the operating system: existence tests,
// full paths, whole-file reading, and output that never leaves a half-written
// file behind.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The separator between folders in a path on this platform.
inline constexpr char kPathSeparator = '/';

// True when `path` names an existing regular file (or anything that is not a
// folder).
bool FileExists(const std::string& path);
// True when `path` names an existing folder.
bool FolderExists(const std::string& path);
// The current working folder, without a trailing separator.
std::string CurrentFolder();
// The folder of the running program file, without a trailing separator;
// empty when the system does not tell.
std::string ProgramFolder();
// `path` made absolute against the current working folder, with "." and ".."
// steps resolved lexically. An empty path gives the working folder itself.
std::string FullPath(std::string_view path);
// The steps of `path` split at `separator`, with empty and "." steps left
// out and each ".." taking away the step before it ("a/./b/../c" gives
// {"a", "c"}); no step goes above the first.
std::vector<std::string> ResolvedSteps(std::string_view path, char separator);
// Reads the whole file into `out`; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);
// True when both paths name one existing file, however each is spelt: links
// followed, the file's identity compared (device and inode, or volume and
// file index), not the names. False when either does not exist.
bool SameFile(const std::string& a, const std::string& b);
// True when `path` itself is a symbolic link (a reparse point on Windows).
bool IsSymbolicLink(const std::string& path);

enum class ReadStatus { kRead, kUnreadable, kTooLarge };
// After each piece read: everything read so far and where the new piece
// begins in it; true when the caller needs no more of the file.
using ReadEnough = std::function<bool(std::string_view read, size_t new_from)>;
// Reads `path` into `out`, but never more than `limit` bytes: a longer file,
// or an endless one (a device, a pipe), gives kTooLarge with `out` emptied.
// `enough`, when given, may end the reading early with kRead.
ReadStatus ReadFileUpTo(const std::string& path, std::string& out, size_t limit,
                        const ReadEnough& enough = nullptr);

// Writes a file through a temporary file in the same folder that is renamed
// over the target only once everything is on disk. Until Commit succeeds the
// target is left exactly as it was; an uncommitted writer removes its
// temporary file. A replaced file keeps its permission bits.
//
// A symbolic link is written through: the temporary file lies beside the
// file the link finally names, which is replaced, and the link stays. A
// device, pipe or other file that is not a regular file cannot be replaced
// without destroying it, so it is written directly, without a temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(const std::string& path);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once anything has failed (including creating the temporary file).
  bool ok() const { return ok_; }
  // True when a writer for `path` would write a device or pipe itself, where
  // what is written cannot be taken back.
  static bool WritesDirectly(const std::string& path);
  void Write(std::string_view data);
  // Puts the file in place; false (and the target untouched) on any failure.
  bool Commit();

 private:
  void Drain();
  void Put(std::string_view data);

  static constexpr size_t kWriteBuffer = size_t{1} << 20;
  static constexpr size_t kWriteDirectly = size_t{64} << 10;
  static constexpr long long kWritebackStep = 1LL << 20;

  std::string path_;  // the file that is finally written
  std::string temp_;
  int fd_ = -1;
  bool ok_ = false;
  bool direct_ = false;  // writing the device or pipe itself
  long long written_ = 0;
  long long writeback_started_ = 0;  // bytes the disk was asked to take so far
  std::string buffer_;
};

// Writes `contents` to `path` with an AtomicFileWriter. On failure `path` is
// left exactly as it was, no temporary file remains, and false is returned.
bool WriteFileAtomically(const std::string& path, std::string_view contents);
// True when `path` could be created or replaced: its folder exists and is
// writable, and an existing `path` is a writable file. A folder or file
// marked read-only counts as such also for a user whom the system would let
// write it (root).
bool CanCreateFile(const std::string& path);

// Deletes a file; false when it did not exist or could not be removed.
bool RemoveFile(const std::string& path);

}  // namespace platform
