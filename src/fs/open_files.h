#pragma once
// Opening a run of files together: a reader going through thousands of files spends most of its
// time entering the kernel, so the opens and the first reads of a run are handed to the kernel in
// a few calls (io_uring) instead of one call each.

#include <liburing.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fs/file_handle.h"

namespace parvex {

// One file of a run: its handle, or the errno value of the failed open.
struct TOpenedFile {
    std::unique_ptr<TFileHandle> Handle;
    int Error = 0;
};

// Opens runs of files for one thread at a time. Where the kernel offers io_uring, a run's files
// are opened together and the first and last TFileHandle::kReadAhead bytes of each ordinary file
// (a length needs the last page) are read in the same few calls, into memory the opener keeps and
// reuses; elsewhere each file is opened as TFileHandle(path) opens it. A run's descriptors are
// closed through the ring with the next run's opens.
class TFileOpener {
public:
    static constexpr std::size_t kRunSize = 32;

    TFileOpener();
    ~TFileOpener();
    TFileOpener(const TFileOpener&) = delete;
    TFileOpener& operator=(const TFileOpener&) = delete;

    // Opens at most kRunSize `paths`, one result each in their order, valid until the next Open.
    std::span<TOpenedFile> Open(std::span<const std::string> paths);

private:
    bool OpenThroughRing(std::span<const std::string> paths);
    void OpenOneByOne(std::span<const std::string> paths);
    // Submits the `count` requests queued and hands each result to `take(tag, result)`; false
    // when the kernel would not take them.
    template <class TTake>
    bool Run(unsigned count, TTake take);
    io_uring_sqe* Queue(uint64_t tag);
    void QueueRead(int fd, TFileHandle::TWindow& window, int64_t pos, std::size_t count, uint64_t tag);

    io_uring ring_{};
    bool ringSetUp_ = false;
    // Not ready where the kernel refuses io_uring (too old, turned off, or forbidden to the
    // process), nor after a submission failed: requests may then still be in flight, so the ring
    // is never used again.
    bool ready_ = false;
    struct TUnmap {
        void operator()(char* region) const;
    };
    std::unique_ptr<char[], TUnmap> readAhead_;  // two windows of kReadAhead bytes a file of a run
    std::vector<TOpenedFile> files_;
    std::vector<int> toClose_;           // the descriptors of the run opened through the ring
};

}  // namespace parvex
