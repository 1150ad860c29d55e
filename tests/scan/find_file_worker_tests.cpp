#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "scan/find_file.h"
#include "scan_test_tree.h"

namespace parvex::test {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;

// The owner thread's side of the hand-over: tasks posted by a worker wait here until the test's
// thread runs them.
class TTaskQueue : public TEventHandOver {
public:
    void Post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        posted_.notify_all();
    }

    // Runs queued tasks on the calling thread until `done` holds; false after `limit` without it.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                if (!posted_.wait_until(lock, deadline, [this] { return !tasks_.empty(); })) return false;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
        return true;
    }

    // Runs whatever is queued now.
    void Drain() {
        RunUntil([this] {
            std::lock_guard lock(mutex_);
            return tasks_.empty();
        }, 0ms);
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

class FindFileWorkerTest : public ScanTreeTest {
protected:
    void StartThreaded(TFindFile& finder, bool subfolders = true) {
        finder.Threaded = true;
        finder.SetEventHandOver(&queue_);
        finder.Filename = "*.ogg";
        finder.Subfolders = subfolders;
        finder.SetLocation(Root());
        finder.Search();
    }

    TTaskQueue queue_;
};

TEST_F(FindFileWorkerTest, EventsArriveOnTheOwnersThreadInWalkOrder) {
    Make("a.ogg");
    Make("sub/b.ogg");
    Make("sub/deeper/c.ogg");
    TFindFile finder;
    TScanRecord record;
    Record(finder, record, *this);
    const auto owner = std::this_thread::get_id();
    bool allOnOwner = true;
    const auto found = finder.OnFound;
    finder.OnFound = [&](TFindFile& sender, const std::string& folder, const DirEntry& entry) {
        allOnOwner = allOnOwner && std::this_thread::get_id() == owner;
        found(sender, folder, entry);
    };

    StartThreaded(finder);
    EXPECT_TRUE(finder.Busy());  // Search returned before the walk ended
    ASSERT_TRUE(queue_.RunUntil([&] { return record.Completes == 1; }));
    EXPECT_TRUE(allOnOwner);
    EXPECT_THAT(record.Found, ElementsAre("a.ogg", "sub/b.ogg", "sub/deeper/c.ogg"));
    EXPECT_THAT(record.Folders, ElementsAre(".", "sub", "sub/deeper"));
    EXPECT_FALSE(finder.Busy());
    EXPECT_FALSE(finder.Aborted());
}

TEST_F(FindFileWorkerTest, NewFolderCanSkipAndSearchWhileBusyIsIgnored) {
    Make("a.ogg");
    Make("skip/b.ogg");
    Make("walk/c.ogg");
    TFindFile finder;
    TScanRecord record;
    Record(finder, record, *this);
    finder.OnNewFolder = [&](TFindFile& sender, const std::string& folder, bool& ignore) {
        sender.Search();  // ignored: a walk is running
        ignore = Relative(folder) == "skip";
    };
    StartThreaded(finder);
    ASSERT_TRUE(queue_.RunUntil([&] { return record.Completes == 1; }));
    EXPECT_THAT(record.Found, ElementsAre("a.ogg", "walk/c.ogg"));
}

TEST_F(FindFileWorkerTest, AHandlerErrorAbortsTheWalkAndOnCompleteMayStartAnother) {
    Make("a.ogg");
    Make("b.ogg");
    TFindFile finder;
    TScanRecord record;
    Record(finder, record, *this);
    finder.OnFound = [&](TFindFile&, const std::string&, const DirEntry& entry) {
        record.Found.push_back(entry.Name);
        throw std::runtime_error("handler failed");
    };
    bool firstAborted = false;
    finder.OnComplete = [&](TFindFile& sender) {
        if (++record.Completes == 1) {
            firstAborted = sender.Aborted();
            sender.OnFound = nullptr;
            sender.Search();
        }
    };
    StartThreaded(finder, false);
    ASSERT_TRUE(queue_.RunUntil([&] { return record.Completes == 2; }));
    EXPECT_TRUE(firstAborted);
    EXPECT_FALSE(finder.Aborted());
    EXPECT_THAT(record.Found, ElementsAre("a.ogg"));
}

TEST_F(FindFileWorkerTest, DestroyingTheComponentStopsAWorkerThatWaitsForItsOwner) {
    for (int i = 0; i < 20; ++i) Make("f" + std::to_string(i) + "/a.ogg");
    TScanRecord record;
    {
        TFindFile finder;
        Record(finder, record, *this);
        finder.SetThreadPriority(TThreadPriority::tpLower);
        StartThreaded(finder);
        finder.SetThreadPriority(TThreadPriority::tpLowest);
        ASSERT_TRUE(queue_.RunUntil([&] { return !record.Found.empty(); }));
        // The worker now waits for its next event to be handled; the destructor must not hang.
    }
    const auto seen = record;
    queue_.Drain();  // tasks left in the queue run harmlessly and raise nothing
    EXPECT_EQ(record.Found, seen.Found);
    EXPECT_EQ(record.Completes, 0);
}

TEST_F(FindFileWorkerTest, ManyWorkersOneAfterAnother) {
    for (int i = 0; i < 5; ++i) Make("d" + std::to_string(i) + "/x.ogg");
    TFindFile finder;
    TScanRecord record;
    Record(finder, record, *this);
    for (int run = 1; run <= 10; ++run) {
        StartThreaded(finder);
        ASSERT_TRUE(queue_.RunUntil([&] { return record.Completes == run; }));
    }
    EXPECT_EQ(record.Found.size(), 50u);
}

}  // namespace
}  // namespace parvex::test
