#pragma once
// A read-only file descriptor owned by RAII, with positioned reads that never move a shared offset.

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace parvex {

class TFileHandle {
public:
    // Opens `path` for reading. Raises EFOpenError when it cannot be opened. A FIFO or device is
    // opened without blocking; IsRegular() tells the caller whether it is an ordinary file.
    explicit TFileHandle(const std::string& path);
    // Reads the file open as `fd` through a descriptor of its own. Raises std::system_error when
    // it cannot be had.
    explicit TFileHandle(int fd);
    ~TFileHandle();
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Fd() const { return fd_; }
    const struct stat& Stat() const { return stat_; }
    bool IsRegular() const { return S_ISREG(stat_.st_mode); }
    int64_t Size() const { return stat_.st_size; }

    // Up to `count` bytes at `offset`; fewer at the end of the file, none past it or on a read error.
    std::string ReadAt(int64_t offset, std::size_t count) const;

private:
    int fd_ = -1;
    struct stat stat_ {};
};

}  // namespace parvex
