#include "fs/background_close.h"

#include <unistd.h>

#include <system_error>

namespace parvex {

TBackgroundClose::~TBackgroundClose() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void TBackgroundClose::Close(int fd) {
    if (fd < 0) return;
    {
        const std::lock_guard lock(mutex_);
        fds_.push_back(fd);
        if (idle_ == 0 && threads_.size() < kThreads) {
            try {
                threads_.emplace_back(&TBackgroundClose::Work, this);
            } catch (const std::system_error&) {
                // No thread to be had: those there are (or the last, below) close it.
            }
        }
        if (threads_.empty()) {
            fds_.pop_back();
            ::close(fd);
            return;
        }
    }
    queued_.notify_one();
}

void TBackgroundClose::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        ++idle_;
        queued_.wait(lock, [this] { return !fds_.empty() || ending_; });
        --idle_;
        if (fds_.empty()) return;
        const int fd = fds_.front();
        fds_.pop_front();
        ++closing_;
        lock.unlock();
        ::close(fd);
        lock.lock();
        if (--closing_ == 0 && fds_.empty()) drained_.notify_all();
    }
}

void TBackgroundClose::Wait() {
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return fds_.empty() && closing_ == 0; });
}

}  // namespace parvex
