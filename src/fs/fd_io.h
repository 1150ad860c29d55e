#pragma once
// Whole reads, writes and copies on file descriptors. Each raises std::system_error when the
// operation fails or the source ends early, so a rewrite can give up at any step.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace parvex {

// Writes all of `bytes` at the descriptor's current position.
void WriteAll(int fd, std::string_view bytes);

// Exactly `count` bytes from offset `offset`.
std::string ReadExactly(int fd, int64_t offset, std::size_t count);

// Copies `count` bytes from offset `offset` of `from` to the current position of `to`, inside the
// kernel where it can (copy_file_range, then sendfile), else through a buffer of bounded size;
// holes of `from` stay holes (`to` must end at its position). With `shareBlock`, the
// block size at which the two files can share blocks (see SharedBlockSize), and the source and
// target offsets congruent modulo it, the whole blocks of the range are shared instead of copied
// (copied after all where the kernel declines).
void CopyRange(int from, int64_t offset, int64_t count, int to, std::size_t shareBlock = 0);

// An owned descriptor, closed when it goes out of scope.
class TUniqueFd {
public:
    explicit TUniqueFd(int fd = -1) : fd_(fd) {}
    ~TUniqueFd();
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes the descriptor held, if any, and holds `fd` instead.
    void Reset(int fd = -1);
    // Hands the descriptor held (or -1) to the caller, who closes it, and holds none.
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace parvex
