#include "platform/file_io.h"
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/win32/windows_text.h"

namespace platform {
namespace {

// Attributes of `path`, or INVALID_FILE_ATTRIBUTES when there is nothing.
DWORD Attributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  // "C:/file" lives in "C:/", not in the drive's current folder "C:".
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// `path` opened for nothing but asking about it (links followed), or
// INVALID_HANDLE_VALUE. Others may go on using the file meanwhile.
HANDLE OpenForQuery(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The volume and the file's number on it; false when it cannot be opened.
bool Identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = OpenForQuery(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool ok = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return ok;
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ProgramFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n = 0;
  while ((n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()))) ==
             buffer.size() &&
         buffer.size() < 32768) {
    buffer.resize(buffer.size() * 2);
  }
  if (n == 0 || n >= buffer.size()) return {};
  const std::string program = win32::ForwardSlashes(std::string_view(buffer.data(), n));
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return {};
  // A drive's root keeps its separator ("C:/"), as CurrentFolder gives it.
  return program.substr(0, slash == 2 ? 3 : slash);
}

std::string CurrentFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (n == 0 || n >= buffer.size()) return ".";
  std::string folder = win32::ForwardSlashes(std::string_view(buffer.data(), n));
  // A drive's root keeps its separator ("C:/"); no other folder has one.
  if (folder.size() > 3 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string FullPath(std::string_view path) {
  const std::string wanted = path.empty() ? std::string(".") : std::string(path);
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n =
      GetFullPathNameA(wanted.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFullPathNameA(wanted.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  }
  if (n == 0 || n >= buffer.size()) return win32::ForwardSlashes(wanted);
  return win32::ForwardSlashes(std::string_view(buffer.data(), n));
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  return ReadFileUpTo(path, out, SIZE_MAX) == ReadStatus::kRead;
}

ReadStatus ReadFileUpTo(const std::string& path, std::string& out, size_t limit,
                        const ReadEnough& enough) {
  out.clear();
  // Others may read the file meanwhile; a file someone holds locked for
  // writing cannot be opened, which the caller reports.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ReadStatus::kUnreadable;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
      CloseHandle(file);
      return ReadStatus::kTooLarge;
    }
    out.reserve(static_cast<size_t>(size.QuadPart));
  }
  std::vector<char> buffer(1 << 16);
  ReadStatus status = ReadStatus::kRead;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      status = ReadStatus::kUnreadable;
    }
    if (status != ReadStatus::kRead || n == 0) break;
    if (n > limit - out.size()) {
      status = ReadStatus::kTooLarge;
      break;
    }
    const size_t new_from = out.size();
    out.append(buffer.data(), n);
    if (enough && enough(out, new_from)) break;
  }
  CloseHandle(file);
  if (status != ReadStatus::kRead) out = std::string();
  return status;
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{};
  BY_HANDLE_FILE_INFORMATION second{};
  return Identify(a, first) && Identify(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool IsSymbolicLink(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool CanCreateFile(const std::string& path) {
  if (path.empty() || FolderExists(path) || !FolderExists(FolderOf(path))) return false;
  const DWORD a = Attributes(path);
  return a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_READONLY) == 0;
}

namespace {

// True for a device such as NUL or CON, or a pipe: nothing a file could
// replace.
bool IsDevice(const std::string& path) {
  HANDLE file = OpenForQuery(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool device = GetFileType(file) != FILE_TYPE_DISK;
  CloseHandle(file);
  return device;
}

// The file a link (reparse point) finally names, so that it is replaced and
// the link stays; `path` itself for anything else, or when the link leads
// nowhere.
std::string FinalTarget(const std::string& path) {
  if (!IsSymbolicLink(path)) return path;
  HANDLE file = OpenForQuery(path);
  if (file == INVALID_HANDLE_VALUE) return path;
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED);
  }
  CloseHandle(file);
  if (n == 0 || n >= buffer.size()) return path;
  std::string final_path(buffer.data(), n);
  // The answer comes as "\\?\C:\...", or "\\?\UNC\server\..." for a share.
  constexpr std::string_view kLong = "\\\\?\\";
  constexpr std::string_view kShare = "UNC\\";
  if (final_path.starts_with(kLong)) final_path.erase(0, kLong.size());
  if (final_path.starts_with(kShare)) final_path.replace(0, kShare.size(), "\\\\");
  return final_path;
}

}  // namespace

bool AtomicFileWriter::WritesDirectly(const std::string& path) { return IsDevice(path); }

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
  if (IsDevice(path)) {
    fd_ = ::_open(path.c_str(), _O_WRONLY | _O_BINARY);
    direct_ = true;
    ok_ = fd_ >= 0;
    return;
  }
  path_ = FinalTarget(path);
  if (!CanCreateFile(path_)) return;
  // The temporary file lies beside the target, so the final rename never
  // crosses a volume.
  char name[MAX_PATH + 16];
  if (GetTempFileNameA(FolderOf(path_).c_str(), "rmt", 0, name) == 0) return;
  temp_ = name;
  fd_ = ::_open(name, _O_WRONLY | _O_BINARY | _O_TRUNC);
  if (fd_ < 0) return;
  ok_ = true;
  buffer_.reserve(kWriteBuffer);
}

AtomicFileWriter::~AtomicFileWriter() {
  if (fd_ >= 0) ::_close(fd_);
  if (!temp_.empty()) DeleteFileA(temp_.c_str());
}

bool AtomicFileWriter::Commit() {
  if (!ok_) return false;
  Drain();
  if (direct_) {
    ok_ = (::_close(fd_) == 0) && ok_;
    fd_ = -1;
    return ok_;
  }
  ok_ = ok_ && ::_commit(fd_) == 0;
  ok_ = (::_close(fd_) == 0) && ok_;
  fd_ = -1;
  if (ok_ && MoveFileExA(temp_.c_str(), path_.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    temp_.clear();
    return true;
  }
  ok_ = false;
  return false;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

namespace file_io {

bool WriteAll(int fd, std::string_view data) {
  // _write takes an unsigned count; large pieces go in slices.
  constexpr size_t kSlice = 1u << 30;
  while (!data.empty()) {
    const auto n = ::_write(fd, data.data(), static_cast<unsigned>(std::min(data.size(), kSlice)));
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Windows writes a file's cached pages behind the program on its own.
void StartWriteback(int, long long) {}

}  // namespace file_io

}  // namespace platform
