// Splitting a loop over many entries between the machine's cores. Each part
// gets a contiguous range and its own worker index, so results can be kept
// per worker and joined in order afterwards.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <vector>

namespace refmill::driver {

// Below this many items a second thread costs more than it saves.
inline constexpr size_t kParallelThreshold = 20000;

// The number of workers for `items` items: 1 for small inputs, else up to
// the number of cores (at most `limit`).
inline size_t WorkerCount(size_t items, size_t limit = 2) {
  if (items < kParallelThreshold) return 1;
  const size_t cores = std::max(1u, std::thread::hardware_concurrency());
  return std::min(cores, limit);
}

// Calls fn(begin, end, worker) for `workers` contiguous parts of [0, n),
// the first part on the calling thread, and waits for all of them.
// An exception in any part (running out of memory) is passed on to the
// caller once every part has ended.
template <class Fn>
void ForEachPart(size_t n, size_t workers, Fn&& fn) {
  std::vector<std::exception_ptr> errors(workers);
  auto part = [&fn, &errors, n, workers](size_t w) {
    try {
      fn(n * w / workers, n * (w + 1) / workers, w);
    } catch (...) {
      errors[w] = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  for (size_t w = 1; w < workers; ++w) pool.emplace_back(part, w);
  part(0);
  for (std::thread& t : pool) t.join();
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace refmill::driver
