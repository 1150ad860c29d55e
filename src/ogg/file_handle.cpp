#include "ogg/file_handle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "ogg/open_error.h"

namespace parvex {

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

TFileHandle::TFileHandle(int fd) {
    fd_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0 || ::fstat(fd_, &stat_) != 0) {
        const int error = errno;
        if (fd_ >= 0) ::close(fd_);
        throw std::system_error(error, std::generic_category(), "duplicate file descriptor");
    }
}

TFileHandle::~TFileHandle() { ::close(fd_); }

std::string TFileHandle::ReadAt(int64_t offset, std::size_t count) const {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (offset >= 0 && done < count) {
        const ssize_t got =
            ::pread(fd_, bytes.data() + done, count - done, offset + static_cast<int64_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace parvex
