// The one way this system spreads work over the machine's cores: the
// formatting passes of refmill and the Japanese sort on both systems use it.
// A call hands out worker indexes, runs the first worker on the calling
// thread, and returns only when every worker has ended, passing on the
// first exception any of them threw.
#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <utility>

namespace platform {

// A thread started on a core other than its starter's where there is one
// to take it: some schedulers (virtual machines packing their cores) keep a
// new thread beside its starter until the next tick, up to 4 ms in which
// the other core idles, and a run starts workers for each of its many
// short passes. Once started it may go wherever the system moves it.
// `nth` picks the nth core after the starter's, among those allowed. Like
// std::thread, it throws std::system_error when no thread can be had, and
// the program ends if `body` throws; it is joined when destroyed.
class SpreadThread {
 public:
  explicit SpreadThread(std::function<void()> body, size_t nth = 1);
  SpreadThread(SpreadThread&&) noexcept;
  SpreadThread& operator=(SpreadThread&&) = delete;
  SpreadThread(const SpreadThread&) = delete;
  SpreadThread& operator=(const SpreadThread&) = delete;
  ~SpreadThread();

  // The system's thread and what it runs.
  struct Handle;

 private:
  std::unique_ptr<Handle> handle_;
};

// What std::async(std::launch::async, fn) gives, on a SpreadThread: the
// result, and a thread joined when the task goes.
template <class Result>
class SpreadTask {
 public:
  template <class Fn>
  explicit SpreadTask(Fn&& fn)
      : task_(std::forward<Fn>(fn)), result_(task_.get_future()), thread_([this] { task_(); }) {}
  SpreadTask(const SpreadTask&) = delete;
  SpreadTask& operator=(const SpreadTask&) = delete;
  Result get() { return result_.get(); }

 private:
  std::packaged_task<Result()> task_;
  std::future<Result> result_;
  SpreadThread thread_;  // last, so it ends before the task goes
};

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
