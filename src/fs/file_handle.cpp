#include "fs/file_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "fs/open_error.h"

namespace parvex {

namespace {

// A reader going on where the buffer ended reads at most this much ahead in one step: the headers
// with cover art of many megabytes take a handful of reads, none of them huge.
constexpr std::size_t kMaxReadAhead = std::size_t{16} << 20;

}  // namespace

TFileHandle::TFileHandle(const std::string& path) {
    // O_NONBLOCK keeps a FIFO that happens to carry an .ogg name from hanging the program.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw EFOpenError(path, errno);
    if (::fstat(fd_, &stat_) != 0) {
        const int error = errno;
        ::close(fd_);
        throw EFOpenError(path, error);
    }
}

TFileHandle::TFileHandle(int fd) : fd_(fd), ownsFd_(false) {
    if (::fstat(fd_, &stat_) != 0) throw std::system_error(errno, std::generic_category(), "fstat");
}

TFileHandle::TFileHandle(int fd, const struct stat& st, TWindow head, TWindow tail)
    : fd_(fd), ownsFd_(false), stat_(st), ahead_(head), tail_(tail) {}

TFileHandle::~TFileHandle() {
    if (ownsFd_) ::close(fd_);
}

bool TFileHandle::TWindow::Covers(int64_t offset, std::size_t count) const {
    if (offset < Pos) return false;
    const auto skip = static_cast<uint64_t>(offset - Pos);
    return skip <= Held && (ToEnd || count <= Held - skip);
}

std::string_view TFileHandle::TWindow::View(int64_t offset, std::size_t count) const {
    const auto skip = static_cast<std::size_t>(offset - Pos);
    return {Bytes + skip, std::min(count, Held - skip)};
}

std::string_view TFileHandle::ReadAt(int64_t offset, std::size_t count) const {
    if (offset < 0) return {};
    if (!IsRegular()) {
        // Unbuffered: a pipe or device may give different bytes each time it is read.
        Reserve(count);
        return {buffer_.get(), ReadInto(buffer_.get(), offset, count)};
    }
    if (tail_.Covers(offset, count)) return tail_.View(offset, count);
    if (!ahead_.Covers(offset, count)) FillBuffer(offset, count);
    if (!ahead_.Covers(offset, count)) return {};
    return ahead_.View(offset, count);
}

void TFileHandle::FillBuffer(int64_t offset, std::size_t count) const {
    const bool goingOn =
        ahead_.Held > 0 && offset >= ahead_.Pos && offset <= ahead_.Pos + static_cast<int64_t>(ahead_.Held);
    nextAhead_ = goingOn ? std::min(2 * nextAhead_, kMaxReadAhead) : kReadAhead;
    const int64_t left = std::max<int64_t>(0, Size() - offset);
    const std::size_t wanted = std::min(std::max(count, nextAhead_), static_cast<std::size_t>(left));
    Reserve(wanted);
    const std::size_t held = ReadInto(buffer_.get(), offset, wanted);
    ahead_ = {buffer_.get(), offset, held, held < wanted || held == static_cast<std::size_t>(left)};
}

void TFileHandle::Reserve(std::size_t size) const {
    if (size <= capacity_) return;
    buffer_ = std::make_unique_for_overwrite<char[]>(size);
    capacity_ = size;
    ahead_ = {};
}

std::size_t TFileHandle::ReadInto(char* into, int64_t offset, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd_, into + done, count - done, offset + static_cast<int64_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace parvex
