#include "platform/files.h"
#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind(kPathSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}


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
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.clear();
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  // Read until the end rather than trusting the size: the file may grow, or
  // be a pipe.
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool CanCreateFile(const std::string& path) {
  if (FolderExists(path)) return false;
  if (::access(FolderOf(path).c_str(), W_OK | X_OK) != 0) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  // A file marked read-only stays untouched even for a user (root) whom the
  // system would let write it, as a read-only file does on Windows.
  return (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

namespace {


mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
  if (!CanCreateFile(path)) return;
  std::string pattern = path + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) return;
  temp_ = name.data();
  ok_ = true;
  buffer_.reserve(kWriteBuffer);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool AtomicFileWriter::Commit() {
  if (!ok_) return false;
  Drain();
  // A replaced file keeps its permissions; a new one gets the usual ones.
  struct stat st {};
  const mode_t mode = ::stat(path_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  ok_ = ok_ && ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
  ok_ = (::close(fd_) == 0) && ok_;
  fd_ = -1;
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

}  // namespace file_io

}  // namespace platform
