#include "platform/worker_pool.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace platform {

size_t WorkerCount(size_t items, size_t limit) {
  if (items < kParallelThreshold) return 1;
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::max<size_t>(1, std::min(cores, limit));
}

void RunWorkers(size_t workers, const std::function<void(size_t worker)>& fn) {
  if (workers == 0) return;
  // An exception leaving a thread's function would end the program, so each
  // worker keeps its own and the caller gets it once all have stopped
  // touching the shared data.
  std::vector<std::exception_ptr> errors(workers);
  auto run = [&fn, &errors](size_t w) {
    try {
      fn(w);
    } catch (...) {
      errors[w] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(workers - 1);
  try {
    for (size_t w = 1; w < workers; ++w) threads.emplace_back(run, w);
  } catch (...) {
    // No thread to be had: the workers not started run here instead.
    for (size_t w = threads.size() + 1; w < workers; ++w) run(w);
  }
  run(0);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace platform
