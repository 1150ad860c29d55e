#include "fs/open_files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <new>

#include "fs/open_error.h"

namespace parvex {

namespace {

// The same flags as TFileHandle(path): a FIFO with an .ogg name must not hang the reader.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
constexpr std::size_t kAhead = TFileHandle::kReadAhead;
// The tag of a close, whose result is of no use: a descriptor is gone even when close fails.
constexpr uint64_t kCloseTag = ~uint64_t{0};

// A file of the run between its open and its handle.
struct TPending {
    int Fd = -1;
    struct stat Stat {};
    TFileHandle::TWindow Head;
    TFileHandle::TWindow Tail;
};

// What a read ahead of `asked` bytes brought: a failed one leaves the window empty, so the reader
// reads again itself; a short one ends at the end of the file, as TFileHandle's own reads do.
void TakeRead(TFileHandle::TWindow& window, std::size_t asked, int result, int64_t fileSize) {
    if (result < 0) return;
    window.Held = static_cast<std::size_t>(result);
    window.ToEnd = window.Held < asked || window.Pos + result >= fileSize;
}

// Whether the kernel behind `ring` knows each of `operations` (opens, reads and closes came in
// different kernel versions; an unknown one would fail every file).
bool RingDoes(io_uring& ring, std::initializer_list<int> operations) {
    io_uring_probe* probe = io_uring_get_probe_ring(&ring);
    if (!probe) return false;
    const bool all = std::all_of(operations.begin(), operations.end(),
                                 [probe](int op) { return io_uring_opcode_supported(probe, op) != 0; });
    io_uring_free_probe(probe);
    return all;
}

// The first touch of each page of fresh memory is a fault into the kernel, which costs several
// microseconds on a virtual machine: the windows of a run would cost a hundred of them. So they
// lie in one region of a huge page's size, which the kernel backs with one huge page where it can
// (and page by page elsewhere).
constexpr std::size_t kHugePage = std::size_t{2} << 20;
static_assert(2 * kAhead * TFileOpener::kRunSize <= kHugePage);

char* MapWindows() {
    void* region = ::mmap(nullptr, kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) throw std::bad_alloc();
    (void)::madvise(region, kHugePage, MADV_HUGEPAGE);
    return static_cast<char*>(region);
}

}  // namespace

void TFileOpener::TUnmap::operator()(char* region) const { ::munmap(region, kHugePage); }

TFileOpener::TFileOpener() : readAhead_(MapWindows()) {
    ringSetUp_ = io_uring_queue_init(2 * kRunSize, &ring_, 0) == 0;
    ready_ = ringSetUp_ && RingDoes(ring_, {IORING_OP_OPENAT, IORING_OP_READ, IORING_OP_CLOSE});
}

TFileOpener::~TFileOpener() {
    files_.clear();
    for (const int fd : toClose_) ::close(fd);
    // Also a ring given up after a failure: taking it down ends what it may still hold.
    if (ringSetUp_) io_uring_queue_exit(&ring_);
}

std::span<TOpenedFile> TFileOpener::Open(std::span<const std::string> paths) {
    paths = paths.first(std::min(paths.size(), kRunSize));
    files_.clear();
    files_.resize(paths.size());
    if (!ready_ || !OpenThroughRing(paths)) OpenOneByOne(paths);
    return files_;
}

void TFileOpener::OpenOneByOne(std::span<const std::string> paths) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
        files_[i] = {};  // what a failed ring may have left
        try {
            files_[i].Handle = std::make_unique<TFileHandle>(paths[i]);
        } catch (const EFOpenError& e) {
            files_[i].Error = e.Error();
        }
    }
}

io_uring_sqe* TFileOpener::Queue(uint64_t tag) {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
    io_uring_sqe_set_data64(sqe, tag);
    return sqe;
}

template <class TTake>
bool TFileOpener::Run(unsigned count, TTake take) {
    for (unsigned submitted = 0; submitted < count;) {
        const int r = io_uring_submit(&ring_);
        if (r == -EINTR) continue;
        if (r <= 0) return ready_ = false;
        submitted += static_cast<unsigned>(r);
    }
    for (unsigned done = 0; done < count;) {
        io_uring_cqe* cqe = nullptr;
        const int r = io_uring_wait_cqe(&ring_, &cqe);
        if (r == -EINTR) continue;
        if (r < 0) return ready_ = false;
        take(io_uring_cqe_get_data64(cqe), cqe->res);
        io_uring_cqe_seen(&ring_, cqe);
        ++done;
    }
    return true;
}

void TFileOpener::QueueRead(int fd, TFileHandle::TWindow& window, int64_t pos, std::size_t count,
                            uint64_t tag) {
    char* into = readAhead_.get() + tag * kAhead;
    window.Bytes = into;
    window.Pos = pos;
    io_uring_prep_read(Queue(tag), fd, into, static_cast<unsigned>(count), static_cast<uint64_t>(pos));
}

// Three steps for the whole run: the opens (with the closes of the run before) through the ring,
// an fstat each (the size places the last read), the reads through the ring. False, with nothing
// of the run left open, when the ring failed; the run before's descriptors are then left as they
// are, since some may be closed already and their numbers taken again.
bool TFileOpener::OpenThroughRing(std::span<const std::string> paths) {
    std::vector<TPending> pending(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        io_uring_prep_openat(Queue(i), AT_FDCWD, paths[i].c_str(), kOpenFlags, 0);
    for (const int fd : toClose_) io_uring_prep_close(Queue(kCloseTag), fd);
    const auto requests = static_cast<unsigned>(paths.size() + toClose_.size());
    toClose_.clear();
    const bool opened = Run(requests, [&](uint64_t tag, int result) {
        if (tag == kCloseTag) return;
        if (result >= 0)
            pending[tag].Fd = result;
        else
            files_[tag].Error = -result;
    });
    std::vector<std::size_t> asked(2 * paths.size(), 0);
    unsigned reads = 0;
    for (std::size_t i = 0; opened && i < pending.size(); ++i) {
        TPending& p = pending[i];
        if (p.Fd < 0) continue;
        if (::fstat(p.Fd, &p.Stat) != 0) {
            files_[i].Error = errno;
            ::close(p.Fd);
            p.Fd = -1;
            continue;
        }
        const int64_t size = p.Stat.st_size;
        if (!S_ISREG(p.Stat.st_mode) || size == 0) continue;
        // The tail starts where the head ends when the file is shorter than the two together.
        const int64_t head = std::min<int64_t>(size, kAhead);
        const int64_t tail = std::max(head, size - static_cast<int64_t>(kAhead));
        asked[2 * i] = static_cast<std::size_t>(head);
        asked[2 * i + 1] = static_cast<std::size_t>(size - tail);
        QueueRead(p.Fd, p.Head, 0, asked[2 * i], 2 * i);
        ++reads;
        if (tail == size) continue;
        QueueRead(p.Fd, p.Tail, tail, asked[2 * i + 1], 2 * i + 1);
        ++reads;
    }
    const bool read = opened && Run(reads, [&](uint64_t tag, int result) {
                          TPending& p = pending[tag / 2];
                          TakeRead(tag % 2 == 0 ? p.Head : p.Tail, asked[tag], result, p.Stat.st_size);
                      });
    for (std::size_t i = 0; i < pending.size(); ++i) {
        const TPending& p = pending[i];
        if (p.Fd < 0) continue;
        if (!read) {
            ::close(p.Fd);
            continue;
        }
        files_[i].Handle = std::make_unique<TFileHandle>(p.Fd, p.Stat, p.Head, p.Tail);
        toClose_.push_back(p.Fd);
    }
    return read;
}

}  // namespace parvex
