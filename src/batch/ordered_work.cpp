#include "batch/ordered_work.h"

#include <algorithm>
#include <utility>

namespace parvex {

std::size_t WorkerCount(std::size_t count) {
    const std::size_t hardware = std::max(1u, std::thread::hardware_concurrency());
    return std::max<std::size_t>(1, std::min({hardware, TOrderedWork::kMaxWorkers, count}));
}

TOrderedWork::TOrderedWork(std::size_t count, std::size_t workers, TWork work)
    : count_(count), work_(std::move(work)) {
    if (workers <= 1) return;
    done_.assign(count, 0);
    failures_.resize(count);
    threads_.reserve(workers);
    try {
        for (std::size_t w = 0; w < workers; ++w) threads_.emplace_back([this, w] { RunWorker(w); });
    } catch (...) {
        Finish();
        throw;
    }
}

TOrderedWork::~TOrderedWork() { Finish(); }

void TOrderedWork::Finish() {
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    mayStart_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

void TOrderedWork::Await(std::size_t index) {
    if (threads_.empty()) {
        work_(index, 0);
        return;
    }
    std::unique_lock lock(mutex_);
    itemDone_.wait(lock, [&] { return done_[index] != 0; });
    awaited_ = index + 1;
    const std::exception_ptr failure = std::exchange(failures_[index], nullptr);
    lock.unlock();
    mayStart_.notify_all();
    if (failure) std::rethrow_exception(failure);
}

void TOrderedWork::RunWorker(std::size_t worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        mayStart_.wait(lock, [&] { return finishing_ || next_ >= count_ || next_ < awaited_ + kRunAhead; });
        if (finishing_ || next_ >= count_) return;
        const std::size_t index = next_++;
        lock.unlock();
        std::exception_ptr failure;
        try {
            work_(index, worker);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        failures_[index] = failure;
        done_[index] = 1;
        itemDone_.notify_all();
    }
}

}  // namespace parvex
