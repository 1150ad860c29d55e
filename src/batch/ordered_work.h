#pragma once
// Work on many files by a few threads, taken back in the files' order: reading a folder of files
// keeps every core busy while the results are still shown, logged or planned one after another.

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace parvex {

// How many threads a job of `count` items gets: the hardware threads, at most kMaxWorkers, at most
// one per item, at least one.
std::size_t WorkerCount(std::size_t count);

// Runs `work(index, worker)` for every index below `count` by `workers` workers (worker numbers
// 0 to workers - 1; one worker never runs two items at once, so state kept per worker needs no
// lock). The owner takes the items in order with Await(0), Await(1), ...; the workers run at most
// kRunAhead items past the one awaited, so results can be handed on and dropped as they come.
// Worker 0 is the owner's own thread: rather than wait for an item, Await runs the next one not yet
// begun, so the owner never idles beside busy threads and workers - 1 threads are started (none for
// one worker). Destroying the object (or Finish) lets the items begun run to their end and starts no
// other.
class TOrderedWork {
public:
    using TWork = std::function<void(std::size_t index, std::size_t worker)>;

    static constexpr std::size_t kMaxWorkers = 4;
    static constexpr std::size_t kRunAhead = 64;

    TOrderedWork(std::size_t count, std::size_t workers, TWork work);
    ~TOrderedWork();
    TOrderedWork(const TOrderedWork&) = delete;
    TOrderedWork& operator=(const TOrderedWork&) = delete;

    // Waits until item `index` (the one after the item awaited before, 0 first) is done; raises
    // what its work raised.
    void Await(std::size_t index);
    // Ends the work: no item is started any more, the ones running are waited for.
    void Finish();

private:
    void RunWorker(std::size_t worker);
    bool MayStart() const;
    // Runs the next item as `worker`, with `lock` held before and after but not during the work.
    void RunNext(std::size_t worker, std::unique_lock<std::mutex>& lock);

    const std::size_t count_;
    const TWork work_;
    std::mutex mutex_;
    std::condition_variable itemDone_;
    std::condition_variable mayStart_;
    std::size_t next_ = 0;       // the next item a worker takes
    std::size_t awaited_ = 0;    // items the owner has taken
    bool finishing_ = false;
    std::vector<char> done_;     // per item
    std::vector<std::exception_ptr> failures_;
    std::vector<std::thread> threads_;
};

}  // namespace parvex
