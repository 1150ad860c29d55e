#pragma once
// Closing descriptors on threads of their own. The last descriptor of a file replaced by a save frees
// the file's blocks, and a file system that discards freed blocks at once (mounted with "discard")
// waits for the disk each time: several closes at a time overlap those waits, and the saves go on
// meanwhile.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace parvex {

class TBackgroundClose {
public:
    TBackgroundClose() = default;
    // Returns once every descriptor handed over is closed.
    ~TBackgroundClose();
    TBackgroundClose(const TBackgroundClose&) = delete;
    TBackgroundClose& operator=(const TBackgroundClose&) = delete;

    // Closes `fd` (nothing for -1) on one of up to kThreads threads, started as they are needed.
    void Close(int fd);
    // Returns once every descriptor handed over so far is closed (and the blocks of the files they
    // kept freed).
    void Wait();

    static constexpr std::size_t kThreads = 8;

private:
    void Work();

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable drained_;
    std::deque<int> fds_;
    std::size_t closing_ = 0;  // descriptors taken from fds_ and not yet closed
    std::size_t idle_ = 0;  // threads waiting for a descriptor
    bool ending_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace parvex
