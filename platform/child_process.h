// Work done in a child process, for a library that may end the process it
// runs in (exit() from its error recovery, an assertion, a read through a bad
// pointer) on damaged input: the program itself goes on with what the child
// sent before it ended.
//
// On Linux the child is a fork of the caller and runs `work` directly. On
// Windows the program file is started again with a switch of its own, so
// its main must begin with RunIfChild, handing it the same `work`.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The child's body: reads its input from `input` (the bytes the parent gave,
// in binary mode), sends its results with WriteToParent, and returns the
// child's exit code.
using ChildWork = int (*)(std::FILE* input);

// Called with each piece of what the child sends, as it arrives.
using ChildReceiver = std::function<void(std::string_view piece)>;

// What the child wrote to its standard error is kept up to this size.
inline constexpr size_t kMaxChildErrors = size_t{1} << 20;

// Runs `work` in a child process on `input` and returns once the child has
// ended, however it ended. The result is what the child wrote to its standard
// error (at most kMaxChildErrors bytes); nullopt when no child could be
// started, in which case `receive` was never called.
std::optional<std::string> RunInChild(ChildWork work, std::string_view input,
                                      const ChildReceiver& receive);

// In a child started by RunInChild: sends `bytes` to the parent. It neither
// allocates nor buffers, so a signal handler or an exit handler may still
// send what was pending while the child ends. Does nothing elsewhere.
void WriteToParent(std::string_view bytes);

// The start of main: when this process is a child that RunInChild started
// on Windows, runs `work` and returns its exit code; otherwise (and always
// on Linux) nullopt, and main goes on as usual.
std::optional<int> RunIfChild(int argc, char** argv, ChildWork work);

}  // namespace platform
