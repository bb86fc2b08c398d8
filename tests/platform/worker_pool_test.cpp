#include "platform/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace {

TEST(ForEachPartTest, CoversEveryItemOnceInWorkerOrder) {
  struct Case {
    const char* name;
    size_t items;
    size_t workers;
  };
  const Case cases[] = {
      {"one worker", 10, 1},
      {"even split", 10, 2},
      {"uneven split", 7, 3},
      // More workers than items: some parts are empty, none overlaps.
      {"more workers than items", 2, 4},
      {"nothing to do", 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> seen(c.items, 0);
    std::vector<size_t> first(c.workers), last(c.workers);
    platform::ForEachPart(c.items, c.workers, [&](size_t begin, size_t end, size_t w) {
      first[w] = begin;
      last[w] = end;
      for (size_t i = begin; i < end; ++i) ++seen[i];
    });
    EXPECT_EQ(seen, std::vector<int>(c.items, 1));
    EXPECT_EQ(first[0], 0u);
    EXPECT_EQ(last[c.workers - 1], c.items);
    for (size_t w = 1; w < c.workers; ++w) EXPECT_EQ(first[w], last[w - 1]);
  }
}

// A worker that throws must neither end the program nor leave the others
// running on data the caller is about to free.
TEST(RunWorkersTest, PassesTheFirstWorkersExceptionOnAfterAllHaveEnded) {
  struct Case {
    const char* name;
    std::vector<size_t> throwing;
    std::string expected;
  };
  const Case cases[] = {
      {"calling thread", {0}, "worker 0"},
      {"other thread", {2}, "worker 2"},
      {"several: lowest wins", {3, 1}, "worker 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::atomic<int> ended{0};
    try {
      platform::RunWorkers(4, [&](size_t w) {
        ++ended;
        for (size_t t : c.throwing) {
          if (t == w) throw std::runtime_error("worker " + std::to_string(w));
        }
      });
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), c.expected);
    }
    EXPECT_EQ(ended.load(), 4);
  }
}

TEST(WorkerCountTest, OneWorkerBelowTheThresholdAndNeverAboveTheLimit) {
  EXPECT_EQ(platform::WorkerCount(0), 1u);
  EXPECT_EQ(platform::WorkerCount(platform::kParallelThreshold - 1, 8), 1u);
  EXPECT_LE(platform::WorkerCount(platform::kParallelThreshold, 2), 2u);
  EXPECT_GE(platform::WorkerCount(platform::kParallelThreshold, 2), 1u);
  EXPECT_EQ(platform::WorkerCount(1000000, 1), 1u);
  EXPECT_EQ(platform::WorkerCount(1000000, 0), 1u);
}

}  // namespace

#if defined(__linux__)
// The thread is started on one core, but must not stay tied to it: with
// the starter's cores, whatever they are, it runs wherever they allow.
TEST(SpreadThreadTest, TakesOnTheStartersCoresOnceRunning) {
  cpu_set_t all;
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  std::vector<int> cores;
  for (int c = 0; c < CPU_SETSIZE; ++c) {
    if (CPU_ISSET(c, &all)) cores.push_back(c);
  }
  struct Case {
    const char* name;
    std::vector<int> starter;
  };
  std::vector<Case> cases{{"every core", cores}, {"one core", {cores.back()}}};
  if (cores.size() > 2) cases.push_back({"two of them", {cores[0], cores[2]}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cpu_set_t starter;
    CPU_ZERO(&starter);
    for (int core : c.starter) CPU_SET(core, &starter);
    ASSERT_EQ(pthread_setaffinity_np(pthread_self(), sizeof starter, &starter), 0);
    for (size_t nth : {1, 2, 5}) {
      cpu_set_t seen;
      CPU_ZERO(&seen);
      int runs = 0;
      {
        platform::SpreadThread thread(
            [&] {
              ++runs;
              sched_getaffinity(0, sizeof seen, &seen);
            },
            nth);
      }
      EXPECT_EQ(runs, 1);
      EXPECT_TRUE(CPU_EQUAL(&seen, &starter)) << "nth " << nth;
    }
  }
  pthread_setaffinity_np(pthread_self(), sizeof all, &all);
}
#endif

TEST(SpreadTaskTest, HandsOverTheResultOrTheException) {
  platform::SpreadTask<int> answer([] { return 42; });
  EXPECT_EQ(answer.get(), 42);
  platform::SpreadTask<int> failing([]() -> int { throw std::runtime_error("no data"); });
  EXPECT_THROW(failing.get(), std::runtime_error);
  // Never asked: the thread is still joined when the task goes.
  std::atomic<bool> ran{false};
  {
    platform::SpreadTask<void> ignored([&ran] { ran = true; });
  }
  EXPECT_TRUE(ran);
}
