#include "platform/child_process.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

// The switch that tells a program started by RunInChild that it is the
// child; no user types it, and a command line of the programs' own never
// has it alone.
constexpr char kChildSwitch[] = "/:child-process:";
constexpr wchar_t kChildSwitchWide[] = L"/:child-process:";

// The pipe to the parent; set only in a child.
HANDLE g_to_parent = INVALID_HANDLE_VALUE;

// A handle closed when it goes out of scope.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  HANDLE* out() { return &handle_; }
  bool ok() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (ok()) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A temporary file the child inherits, gone once the last handle is closed.
// Its name is the system's (GetTempFileNameW); the wide calls keep a user
// folder with characters outside the code page usable.
HANDLE InheritableTemporaryFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"ref", 0, name) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD wrote = 0;
    const DWORD chunk =
        bytes.size() > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(bytes.size());
    if (!WriteFile(file, bytes.data(), chunk, &wrote, nullptr) || wrote == 0) return false;
    bytes.remove_prefix(wrote);
  }
  return true;
}

bool Rewind(HANDLE file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) != 0;
}

// What the child wrote into `errors`, which it shared with the parent.
std::string ReadBack(HANDLE errors) {
  std::string out;
  if (!Rewind(errors)) return out;
  char buffer[4096];
  DWORD got = 0;
  while (out.size() < kMaxChildErrors && ReadFile(errors, buffer, sizeof buffer, &got, nullptr) &&
         got > 0) {
    out.append(buffer, got);
  }
  if (out.size() > kMaxChildErrors) out.resize(kMaxChildErrors);
  return out;
}

// This program's own file, quoted, and the child switch.
std::wstring ChildCommandLine() {
  std::vector<wchar_t> path(MAX_PATH + 1);
  DWORD n = 0;
  while ((n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
             path.size() &&
         path.size() < 32768) {
    path.resize(path.size() * 2);
  }
  if (n == 0 || n == path.size()) return L"";
  return L"\"" + std::wstring(path.data(), n) + L"\" " + kChildSwitchWide;
}

}  // namespace

std::optional<std::string> RunInChild(ChildWork, std::string_view input,
                                      const ChildReceiver& receive) {
  std::wstring line = ChildCommandLine();
  if (line.empty()) return std::nullopt;
  // The input goes through a file rather than a second pipe, so the parent
  // never waits on the child's reading while the child waits on its writing.
  Handle in(InheritableTemporaryFile());
  Handle errors(InheritableTemporaryFile());
  if (!in.ok() || !errors.ok() || !WriteAll(in.get(), input) || !Rewind(in.get())) {
    return std::nullopt;
  }
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle from_child;
  Handle to_parent;
  if (!CreatePipe(from_child.out(), to_parent.out(), &inherit, 0) ||
      !SetHandleInformation(from_child.get(), HANDLE_FLAG_INHERIT, 0)) {
    return std::nullopt;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = to_parent.get();
  startup.hStdError = errors.get();
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    return std::nullopt;
  }
  Handle child(process.hProcess);
  Handle thread(process.hThread);
  // Only the child may hold the pipe's write end, or the reading below would
  // never see its end.
  to_parent.Close();
  char buffer[1 << 16];
  DWORD got = 0;
  while (ReadFile(from_child.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    receive(std::string_view(buffer, got));
  }
  WaitForSingleObject(child.get(), INFINITE);
  return ReadBack(errors.get());
}

void WriteToParent(std::string_view bytes) {
  if (g_to_parent == INVALID_HANDLE_VALUE) return;
  WriteAll(g_to_parent, bytes);
}

std::optional<int> RunIfChild(int argc, char** argv, ChildWork work) {
  if (argc != 2 || std::strcmp(argv[1], kChildSwitch) != 0) return std::nullopt;
  // A crash is answered by the parent, not by a dialog that would wait for
  // a user who never sees it.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  g_to_parent = GetStdHandle(STD_OUTPUT_HANDLE);
  // The parent gets the bytes as they were read and written.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return work(stdin);
}

}  // namespace platform
