#pragma once
// A read-only file descriptor, closed with the handle unless a caller keeps it, with positioned
// reads that never move a shared offset. Reads of an ordinary file go through a read-ahead buffer,
// so that a reader walking the pages at the start of a file makes one system call where it asks for
// many small pieces.

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace parvex {

class TFileHandle {
public:
    // The first read of an ordinary file takes this much (or what the file holds after the offset):
    // the headers of a file without cover art lie well within it.
    static constexpr std::size_t kReadAhead = std::size_t{8} << 10;

    // Opens `path` for reading. Raises EFOpenError when it cannot be opened. A FIFO or device is
    // opened without blocking; IsRegular() tells the caller whether it is an ordinary file.
    explicit TFileHandle(const std::string& path);
    // Reads the file open as `fd`, which the caller keeps open for the handle's lifetime and closes
    // itself (the handle's reads never move its offset). Raises std::system_error when the file
    // cannot be looked at.
    explicit TFileHandle(int fd);

    // Bytes of the file held in memory: `Held` bytes from offset `Pos` on; `ToEnd` when they reach
    // the end of the file (or the read came back short there).
    struct TWindow {
        const char* Bytes = nullptr;
        int64_t Pos = 0;
        std::size_t Held = 0;
        bool ToEnd = false;

        bool Covers(int64_t offset, std::size_t count) const;
        std::string_view View(int64_t offset, std::size_t count) const;
    };
    // Reads `fd`, open for reading and described by `st`, with bytes a caller read ahead at its
    // start (`head`) and at its end (`tail`). The caller keeps the descriptor and those bytes for
    // the handle's lifetime and closes the descriptor itself.
    TFileHandle(int fd, const struct stat& st, TWindow head, TWindow tail);
    ~TFileHandle();
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Fd() const { return fd_; }
    const struct stat& Stat() const { return stat_; }
    bool IsRegular() const { return S_ISREG(stat_.st_mode); }
    int64_t Size() const { return stat_.st_size; }

    // Up to `count` bytes at `offset`; fewer at the end of the file, none past it or on a read error.
    // An ordinary file ends at the size it had when it was opened. Its bytes are served from the
    // read-ahead buffer, or from the bytes a caller read ahead, when they hold them; otherwise one
    // read fills the buffer from `offset` on with at least kReadAhead bytes, twice as many as the
    // time before when the reader goes on where the buffer ended. The bytes stay valid until the
    // next read through the handle, which saves the reader a copy of every page. One handle is not
    // for use by two threads at once.
    std::string_view ReadAt(int64_t offset, std::size_t count) const;

private:
    void FillBuffer(int64_t offset, std::size_t count) const;
    void Reserve(std::size_t size) const;
    // Reads up to `count` bytes at `offset` into `into`; the number read.
    std::size_t ReadInto(char* into, int64_t offset, std::size_t count) const;

    int fd_ = -1;
    bool ownsFd_ = true;
    struct stat stat_ {};
    mutable std::unique_ptr<char[]> buffer_;
    mutable std::size_t capacity_ = 0;
    mutable TWindow ahead_;  // what the last read brought into buffer_, or the caller's head bytes
    TWindow tail_;
    mutable std::size_t nextAhead_ = kReadAhead;
};

}  // namespace parvex
