#include "platform/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/file_io.h"

namespace platform {
namespace {

long long Nanoseconds(const struct timespec& t) {
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// What the handler of a lost page writes, set before any file is mapped and
// read there without locks. A report longer than the room (a path of
// thousands of characters) is cut short rather than allocated: the handler
// may read it at any time.
struct LostPageReport {
  char text[8192];
  std::atomic<size_t> size{0};
  std::atomic<int> exit_code{1};
};
LostPageReport g_report;

// The mappings alive now; a run has one, a test a few.
constexpr size_t kTrackedMappings = 8;
struct Range {
  std::atomic<uintptr_t> begin{0};
  std::atomic<uintptr_t> end{0};
};
Range g_mappings[kTrackedMappings];

void Track(const char* data, size_t size) {
  for (Range& range : g_mappings) {
    uintptr_t free = 0;
    if (range.begin.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(data))) {
      range.end = reinterpret_cast<uintptr_t>(data) + size;
      return;
    }
  }
}

void Untrack(const char* data) {
  for (Range& range : g_mappings) {
    if (range.begin.load() == reinterpret_cast<uintptr_t>(data)) {
      range.end = 0;
      range.begin = 0;
    }
  }
}

bool InMapping(const void* address) {
  const auto at = reinterpret_cast<uintptr_t>(address);
  for (const Range& range : g_mappings) {
    if (range.begin.load() != 0 && at >= range.begin.load() && at < range.end.load()) return true;
  }
  return false;
}

void OnBusError(int signal, siginfo_t* info, void*) {
  if (info == nullptr || !InMapping(info->si_addr)) {
    // Not ours: the program ends as it would have without this handler.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  for (size_t at = 0, size = g_report.size.load(); at < size;) {
    const ssize_t n = ::write(STDOUT_FILENO, g_report.text + at, size - at);
    if (n <= 0) break;
    at += static_cast<size_t>(n);
  }
  file_io::RemoveUnfinishedTemporaries();
  ::_exit(g_report.exit_code.load());
}

size_t PageSize() {
  static const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

void ReportLostMappedFiles(std::string_view report, int exit_code) {
  g_report.size = 0;
  const size_t size = std::min(report.size(), sizeof g_report.text);
  std::memcpy(g_report.text, report.data(), size);
  g_report.exit_code = exit_code;
  g_report.size = size;
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
}

std::unique_ptr<MappedFile> MappedFile::Map(const std::string& path, size_t min_size,
                                            size_t limit) {
  // Opening a pipe would wait for its writer, and take from it what the
  // reading that follows must have: it is not opened at all, and what is
  // opened is never waited for.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
      static_cast<uintmax_t>(st.st_size) < min_size || static_cast<uintmax_t>(st.st_size) > limit) {
    ::close(fd);
    return nullptr;
  }
  const auto size = static_cast<size_t>(st.st_size);
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (data == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<MappedFile> file(new MappedFile);
  file->data_ = static_cast<const char*>(data);
  file->size_ = size;
  file->fd_ = fd;
  file->modified_ = Nanoseconds(st.st_mtim);
  Track(file->data_, size);
  return file;
}

MappedFile::~MappedFile() {
  Untrack(data_);
  ::munmap(const_cast<char*>(data_), size_);
  ::close(fd_);
}

void MappedFile::Forget(std::string_view part) const {
  const auto begin = reinterpret_cast<uintptr_t>(part.data());
  const uintptr_t end = begin + part.size();
  const uintptr_t mask = PageSize() - 1;
  const uintptr_t first = (begin + mask) & ~mask;
  const uintptr_t last = end & ~mask;
  if (begin < reinterpret_cast<uintptr_t>(data_) ||
      end > reinterpret_cast<uintptr_t>(data_) + size_ || first >= last) {
    return;
  }
  // The mapping is never written, so its pages are the file's own and
  // dropping them loses nothing.
  ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

bool MappedFile::ReadAt(size_t offset, size_t size, char* out) const {
  if (offset > size_ || size > size_ - offset) return false;
  while (size > 0) {
    const ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<size_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool MappedFile::Unchanged() const {
  struct stat st {};
  return ::fstat(fd_, &st) == 0 && static_cast<uintmax_t>(st.st_size) == size_ &&
         Nanoseconds(st.st_mtim) == modified_;
}

}  // namespace platform
