// Work shared by a few threads comes back whole and in order: every item run once, by one worker
// at a time per worker state, a failure raised where its item is awaited, an early end waiting for
// what runs.

#include "batch/ordered_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace parvex {
namespace {

struct WorkCase {
    std::size_t Count;
    std::size_t Workers;
};

class OrderedWork : public ::testing::TestWithParam<WorkCase> {};

TEST_P(OrderedWork, RunsEveryItemOnceAndHandsThemOnInOrder) {
    const auto [count, workers] = GetParam();
    std::vector<std::string> results(count);
    std::vector<std::atomic<int>> runs(count);
    std::vector<std::atomic<bool>> busy(std::max<std::size_t>(workers, 1));
    std::atomic<bool> sharedWorker = false;
    TOrderedWork work(count, workers, [&](std::size_t index, std::size_t worker) {
        if (busy[worker].exchange(true)) sharedWorker = true;
        results[index] = std::to_string(index * index);
        ++runs[index];
        busy[worker] = false;
    });
    for (std::size_t i = 0; i < count; ++i) {
        work.Await(i);
        EXPECT_EQ(results[i], std::to_string(i * i));
        results[i].clear();  // taken: the worker must not write it again
    }
    work.Finish();
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(runs[i], 1) << i;
        EXPECT_TRUE(results[i].empty()) << i;
    }
    EXPECT_FALSE(sharedWorker);
}

INSTANTIATE_TEST_SUITE_P(Sizes, OrderedWork,
                         ::testing::Values(WorkCase{0, 1}, WorkCase{0, 3}, WorkCase{1, 1}, WorkCase{5, 1},
                                           WorkCase{3, 4}, WorkCase{300, 2}, WorkCase{1000, 4}));

TEST(OrderedWorkFailure, IsRaisedWhereItsItemIsAwaited) {
    for (const std::size_t workers : {1, 3}) {
        TOrderedWork work(20, workers, [](std::size_t index, std::size_t) {
            if (index == 7) throw std::runtime_error("item 7");
        });
        for (std::size_t i = 0; i < 7; ++i) EXPECT_NO_THROW(work.Await(i));
        EXPECT_THROW(work.Await(7), std::runtime_error);
        EXPECT_NO_THROW(work.Await(8));
    }
}

// Stopping after a few items starts no more than the workers can have run ahead of the owner.
TEST(OrderedWorkFinish, StartsNothingAfterAnEarlyEnd) {
    std::atomic<std::size_t> started = 0;
    {
        TOrderedWork work(100000, 3, [&](std::size_t, std::size_t) { ++started; });
        for (std::size_t i = 0; i < 5; ++i) work.Await(i);
        work.Finish();
    }
    EXPECT_LE(started.load(), 5 + TOrderedWork::kRunAhead);
}

TEST(WorkerCount, HasAtLeastOneAndNoMoreThanTheItemsOrTheCap) {
    EXPECT_EQ(WorkerCount(0), 1u);
    EXPECT_EQ(WorkerCount(1), 1u);
    EXPECT_LE(WorkerCount(3), 3u);
    EXPECT_LE(WorkerCount(100000), TOrderedWork::kMaxWorkers);
    EXPECT_GE(WorkerCount(100000), 1u);
}

}  // namespace
}  // namespace parvex
