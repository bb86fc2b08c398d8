#include "platform/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

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
