#include "platform/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace platform {
namespace {

// The write end of the pipe to the parent; set only in a child.
int g_to_parent = -1;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// What the child wrote into `errors`, which the parent shares with it.
std::string ReadBack(std::FILE* errors) {
  std::string out;
  if (errors == nullptr || std::fseek(errors, 0, SEEK_SET) != 0) return out;
  char buffer[4096];
  size_t got = 0;
  while (out.size() < kMaxChildErrors && (got = std::fread(buffer, 1, sizeof buffer, errors)) > 0) {
    out.append(buffer, got);
  }
  if (out.size() > kMaxChildErrors) out.resize(kMaxChildErrors);
  return out;
}

[[noreturn]] void BeChild(ChildWork work, std::string_view input, int to_parent,
                          std::FILE* errors) {
  g_to_parent = to_parent;
  if (errors != nullptr) dup2(fileno(errors), STDERR_FILENO);
  // fmemopen refuses an empty buffer; an empty file reads the same.
  std::FILE* in =
      input.empty() ? std::tmpfile() : fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  _exit(in == nullptr ? 1 : work(in));
}

}  // namespace

std::optional<std::string> RunInChild(ChildWork work, std::string_view input,
                                      const ChildReceiver& receive) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return std::nullopt;
  const File errors(std::tmpfile(), &std::fclose);
  std::fflush(nullptr);  // nothing buffered is written twice
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    BeChild(work, input, pipe_ends[1], errors.get());
  }
  close(pipe_ends[1]);
  if (child < 0) {
    close(pipe_ends[0]);
    return std::nullopt;
  }
  // The child is waited for also when `receive` throws (memory running
  // out), so that none is left behind.
  const auto end_child = [&] {
    close(pipe_ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  };
  try {
    char buffer[1 << 16];
    ssize_t got = 0;
    while ((got = read(pipe_ends[0], buffer, sizeof buffer)) != 0) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      receive(std::string_view(buffer, static_cast<size_t>(got)));
    }
  } catch (...) {
    end_child();
    throw;
  }
  end_child();
  return ReadBack(errors.get());
}

void WriteToParent(std::string_view bytes) {
  if (g_to_parent < 0) return;
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(g_to_parent, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::optional<int> RunIfChild(int, char**, ChildWork) { return std::nullopt; }

}  // namespace platform
