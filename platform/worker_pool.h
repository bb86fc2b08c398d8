// The one way this system spreads work over the machine's cores: the
// formatting passes of refmill and the Japanese sort on both systems use it.
// A call hands out worker indexes, runs the first worker on the calling
// thread, and returns only when every worker has ended, passing on the
// first exception any of them threw.
#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// Below this many items a second thread costs more than it saves, for
// formatting entries and for sorting them alike.
inline constexpr size_t kParallelThreshold = 10000;

// The number of workers for `items` items: 1 below kParallelThreshold, else
// the number of cores, at most `limit` (and at least 1).
size_t WorkerCount(size_t items, size_t limit = 2);

// Calls fn(w) for every w in [0, workers), each on its own thread, worker 0
// on the calling thread; returns when all have ended. If any threw, the
// exception of the lowest-numbered such worker is rethrown here. A worker
// count of 0 runs nothing.
void RunWorkers(size_t workers, const std::function<void(size_t worker)>& fn);

// Calls fn(begin, end, worker) for `workers` contiguous parts of [0, n)
// that together cover it once, in the manner of RunWorkers. Results kept
// per worker can be joined in worker order afterwards.
template <class Fn>
void ForEachPart(size_t n, size_t workers, Fn&& fn) {
  RunWorkers(workers,
             [&fn, n, workers](size_t w) { fn(n * w / workers, n * (w + 1) / workers, w); });
}

}  // namespace platform
