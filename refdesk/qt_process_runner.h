// The real ProcessRunner: starts a tool with QProcess, its console output
// discarded and its input closed (the tools run hidden and must never wait
// for an answer), and waits for it while the window keeps handling events.
#pragma once

#include "refdesk/process_runner.h"

namespace refdesk {

// How often a waiting run looks at its tool again, in milliseconds.
inline constexpr int kWaitPollMs = 100;

class QtProcessRunner : public ProcessRunner {
 public:
  std::unique_ptr<RunningProcess> Start(const ProcessRequest& request) override;
};

}  // namespace refdesk
