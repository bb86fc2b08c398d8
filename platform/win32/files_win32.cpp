#include "platform/files.h"
#include "platform/file_io.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

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
  // Others may read the file meanwhile; a file someone holds locked for
  // writing cannot be opened, which the caller reports.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out.clear();
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
    out.reserve(static_cast<size_t>(size.QuadPart));
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) ok = false;
    if (!ok || n == 0) break;
    out.append(buffer.data(), n);
  }
  CloseHandle(file);
  return ok;
}

bool CanCreateFile(const std::string& path) {
  if (path.empty() || FolderExists(path) || !FolderExists(FolderOf(path))) return false;
  const DWORD a = Attributes(path);
  return a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_READONLY) == 0;
}

namespace {


}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
  if (!CanCreateFile(path)) return;
  // The temporary file lies beside the target, so the final rename never
  // crosses a volume.
  char name[MAX_PATH + 16];
  if (GetTempFileNameA(FolderOf(path).c_str(), "rmt", 0, name) == 0) return;
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

}  // namespace file_io

}  // namespace platform
