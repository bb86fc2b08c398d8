// Starting the converter tools as separate processes and waiting for them.
// The real runner (qt_process_runner.h) keeps the window handling events
// while it waits; tests use a runner that records the request and returns a
// chosen exit status.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace refdesk {

// One tool run. The arguments go to the tool as they are, one by one, never
// through a command interpreter, so blanks and quotes in paths are safe.
struct ProcessRequest {
  std::string program;  // full path of the tool
  std::vector<std::string> arguments;
  std::string working_folder;  // empty: the window's own working folder

  bool operator==(const ProcessRequest&) const = default;
};

// A tool that has been started.
class RunningProcess {
 public:
  virtual ~RunningProcess() = default;
  // Waits until the tool ends and returns its exit status; a tool killed by a
  // signal gives the signal's number negated.
  virtual int Wait() = 0;
};

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;
  // The started tool, or null when it could not be started.
  virtual std::unique_ptr<RunningProcess> Start(const ProcessRequest& request) = 0;
};

}  // namespace refdesk
