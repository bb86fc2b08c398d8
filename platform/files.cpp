#include "platform/files.h"
#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// True for a folder or file that carries no write permission bit at all.
bool MarkedReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return {};
  const std::string program(buffer.data(), static_cast<size_t>(n));
  const size_t slash = program.rfind(kPathSeparator);
  return slash == std::string::npos || slash == 0 ? std::string(1, kPathSeparator)
                                                  : program.substr(0, slash);
}

std::string FullPath(std::string_view path) {
  std::string joined;
  if (!path.empty() && path.front() == kPathSeparator) {
    joined = std::string(path);
  } else {
    joined = CurrentFolder();
    if (!path.empty()) joined += kPathSeparator + std::string(path);
  }
  std::string full;
  for (const std::string& part : ResolvedSteps(joined, kPathSeparator)) {
    full += kPathSeparator + part;
  }
  // A path that ended in a separator keeps it: it names a folder.
  if (!path.empty() && path.back() == kPathSeparator && !full.empty()) full += kPathSeparator;
  return full.empty() ? std::string(1, kPathSeparator) : full;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  return ReadFileUpTo(path, out, SIZE_MAX) == ReadStatus::kRead;
}

ReadStatus ReadFileUpTo(const std::string& path, std::string& out, size_t limit,
                        const ReadEnough& enough) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadStatus::kUnreadable;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return ReadStatus::kUnreadable;
  }
  if (st.st_size > 0 && static_cast<uintmax_t>(st.st_size) > limit) {
    ::close(fd);
    return ReadStatus::kTooLarge;
  }
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  // Read until the end rather than trusting the size: the file may grow, or
  // be a pipe or a device that never ends.
  char buffer[1 << 16];
  ReadStatus status = ReadStatus::kRead;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) status = ReadStatus::kUnreadable;
    if (n <= 0) break;
    if (static_cast<size_t>(n) > limit - out.size()) {
      status = ReadStatus::kTooLarge;
      break;
    }
    const size_t new_from = out.size();
    out.append(buffer, static_cast<size_t>(n));
    if (enough && enough(out, new_from)) break;
  }
  ::close(fd);
  if (status != ReadStatus::kRead) out = std::string();
  return status;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsSymbolicLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool CanCreateFile(const std::string& path) {
  if (FolderExists(path)) return false;
  // A folder or file marked read-only stays untouched even for a user (root)
  // whom the system would let write it, as a read-only file does on Windows.
  const std::string folder = FolderOf(path);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || MarkedReadOnly(st)) return false;
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
  if (::stat(path.c_str(), &st) != 0) return true;
  return !MarkedReadOnly(st) && ::access(path.c_str(), W_OK) == 0;
}

namespace {

// Links followed one after another before a chain counts as a loop, as the
// system itself counts.
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kTempSuffix = ".XXXXXX";

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The file that writing `path` must replace: `path` itself, or the file a
// chain of links finally names (which need not exist yet). Nothing for a
// chain that does not end.
std::optional<std::string> FinalTarget(std::string path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::vector<char> link(PATH_MAX + 1);
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<size_t>(n) >= link.size()) return std::nullopt;
    const std::string next(link.data(), static_cast<size_t>(n));
    path = next.front() == kPathSeparator ? next : FolderOf(path) + kPathSeparator + next;
  }
  return std::nullopt;
}

// The mkstemp pattern of a temporary file beside `target`. A target whose
// name is already near the folder's limit gets a shortened name in front of
// the suffix; mkstemp keeps it unique all the same.
std::string TempPattern(const std::string& target) {
  const size_t slash = target.rfind(kPathSeparator);
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const long limit = ::pathconf(FolderOf(target).c_str(), _PC_NAME_MAX);
  const size_t name_max = limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
  size_t name_length = target.size() - name_start;
  if (name_length + kTempSuffix.size() > name_max) name_length = name_max - kTempSuffix.size();
  return target.substr(0, name_start + name_length) + std::string(kTempSuffix);
}

// The temporary files of the writers alive now, as their names' texts, for
// RemoveUnfinishedTemporaries: a program writes one or two at a time.
constexpr size_t kTrackedTemporaries = 8;
std::atomic<const char*> g_temporaries[kTrackedTemporaries];

void TrackTemporary(const std::string& temp) {
  for (auto& slot : g_temporaries) {
    const char* free = nullptr;
    if (slot.compare_exchange_strong(free, temp.c_str())) return;
  }
}

void UntrackTemporary(const std::string& temp) {
  for (auto& slot : g_temporaries) {
    const char* mine = temp.c_str();
    slot.compare_exchange_strong(mine, nullptr);
  }
}

// True for something that exists and is neither a regular file nor a folder.
bool IsSpecialFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace

bool AtomicFileWriter::WritesDirectly(const std::string& path) { return IsSpecialFile(path); }

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
  // The device is opened by the name given, links and all: a link such as
  // /proc/self/fd/1 names no file that could be reached by its text.
  if (IsSpecialFile(path)) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    direct_ = true;
    ok_ = fd_ >= 0;
    return;
  }
  const std::optional<std::string> target = FinalTarget(path);
  if (!target || !CanCreateFile(*target)) return;
  path_ = *target;
  std::string pattern = TempPattern(path_);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) return;
  temp_ = name.data();
  TrackTemporary(temp_);
  ok_ = true;
  buffer_.reserve(kWriteBuffer);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) {
    UntrackTemporary(temp_);
    ::unlink(temp_.c_str());
  }
}

bool AtomicFileWriter::Commit() {
  if (!ok_) return false;
  Drain();
  if (direct_) {
    ok_ = (::close(fd_) == 0) && ok_;
    fd_ = -1;
    return ok_;
  }
  // A replaced file keeps its permissions; a new one gets the usual ones.
  struct stat st {};
  const mode_t mode = ::stat(path_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  ok_ = ok_ && ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
  ok_ = (::close(fd_) == 0) && ok_;
  fd_ = -1;
  // Once renamed the name is the target's: it must not be removed for the
  // temporary file.
  UntrackTemporary(temp_);
  if (ok_ && std::rename(temp_.c_str(), path_.c_str()) == 0) {
    temp_.clear();
    return true;
  }
  ok_ = false;
  return false;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

namespace file_io {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void StartWriteback(int fd, long long length) {
#ifdef __linux__
  ::sync_file_range(fd, 0, length, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
  (void)length;
#endif
}

void RemoveUnfinishedTemporaries() {
  for (auto& slot : g_temporaries) {
    if (const char* temp = slot.load(); temp != nullptr) ::unlink(temp);
  }
}

}  // namespace file_io

}  // namespace platform
