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
    threads_.reserve(workers - 1);
    try {
        for (std::size_t w = 1; w < workers; ++w) threads_.emplace_back([this, w] { RunWorker(w); });
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
    while (done_[index] == 0) {
        if (MayStart())
            RunNext(0, lock);
        else
            itemDone_.wait(lock);
    }
    awaited_ = index + 1;
    const std::exception_ptr failure = std::exchange(failures_[index], nullptr);
    lock.unlock();
    mayStart_.notify_all();
    if (failure) std::rethrow_exception(failure);
}

bool TOrderedWork::MayStart() const { return !finishing_ && next_ < count_ && next_ < awaited_ + kRunAhead; }

void TOrderedWork::RunNext(std::size_t worker, std::unique_lock<std::mutex>& lock) {
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
}

void TOrderedWork::RunWorker(std::size_t worker) {
    std::unique_lock lock(mutex_);
    for (;;) {
        mayStart_.wait(lock, [&] { return finishing_ || next_ >= count_ || next_ < awaited_ + kRunAhead; });
        if (!MayStart()) return;
        RunNext(worker, lock);
        itemDone_.notify_one();
    }
}

}  // namespace parvex
