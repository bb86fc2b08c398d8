#include "platform/worker_pool.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace platform {

#if defined(__linux__)

struct SpreadThread::Handle {
  std::function<void()> body;
  cpu_set_t allowed;  // the starter's cores, taken on once running
  bool placed = false;
  pthread_t thread{};
};

namespace {

extern "C" void* RunSpread(void* arg) {
  auto* handle = static_cast<SpreadThread::Handle*>(arg);
  if (handle->placed)
    pthread_setaffinity_np(pthread_self(), sizeof handle->allowed, &handle->allowed);
  // As with std::thread, a body that throws ends the program.
  [handle]() noexcept { handle->body(); }();
  return nullptr;
}

// The nth of `allowed` (this thread's cores) after the one it runs on,
// going round; none when it may run on one core only.
std::optional<int> NthCoreAfterThis(size_t nth, cpu_set_t& allowed) {
  const int here = sched_getcpu();
  if (here < 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0) return std::nullopt;
  std::vector<int> cores;
  for (int c = 0; c < CPU_SETSIZE; ++c) {
    if (CPU_ISSET(c, &allowed)) cores.push_back(c);
  }
  const auto at = std::find(cores.begin(), cores.end(), here);
  if (cores.size() < 2 || at == cores.end()) return std::nullopt;
  return cores[(static_cast<size_t>(at - cores.begin()) + nth) % cores.size()];
}

}  // namespace

SpreadThread::SpreadThread(std::function<void()> body, size_t nth)
    : handle_(std::make_unique<Handle>()) {
  handle_->body = std::move(body);
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) throw std::system_error(EAGAIN, std::generic_category());
  if (const std::optional<int> core = NthCoreAfterThis(nth, handle_->allowed)) {
    cpu_set_t start;
    CPU_ZERO(&start);
    CPU_SET(*core, &start);
    handle_->placed = pthread_attr_setaffinity_np(&attr, sizeof start, &start) == 0;
  }
  const int error = pthread_create(&handle_->thread, &attr, RunSpread, handle_.get());
  pthread_attr_destroy(&attr);
  if (error != 0) throw std::system_error(error, std::generic_category());
}

SpreadThread::~SpreadThread() {
  if (handle_ != nullptr) pthread_join(handle_->thread, nullptr);
}

#else

struct SpreadThread::Handle {
  std::thread thread;
};

SpreadThread::SpreadThread(std::function<void()> body, size_t)
    : handle_(std::make_unique<Handle>()) {
  handle_->thread = std::thread(std::move(body));
}

SpreadThread::~SpreadThread() {
  if (handle_ != nullptr) handle_->thread.join();
}

#endif

SpreadThread::SpreadThread(SpreadThread&&) noexcept = default;

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
  std::vector<SpreadThread> threads;
  threads.reserve(workers - 1);
  try {
    for (size_t w = 1; w < workers; ++w) threads.emplace_back([&run, w] { run(w); }, w);
  } catch (...) {
    // No thread to be had: the workers not started run here instead.
    for (size_t w = threads.size() + 1; w < workers; ++w) run(w);
  }
  run(0);
  threads.clear();  // joins them
  for (const std::exception_ptr& e : errors) {
    if (e) std::rethrow_exception(e);
  }
}

}  // namespace platform
