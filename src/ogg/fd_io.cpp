#include "ogg/fd_io.h"

#include <sys/sendfile.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace parvex {

namespace {

[[noreturn]] void Fail(const char* what, int error = errno) {
    throw std::system_error(error, std::generic_category(), what);
}

// Errors after which another way of copying may still work.
bool CopyUnsupported(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF ||
           error == EPERM;
}

// Copies what it can with copy_file_range; returns how many bytes it copied before the kernel
// declined the job.
int64_t KernelCopy(int from, int64_t offset, int64_t count, int to) {
    int64_t done = 0;
    while (done < count) {
        loff_t in = offset + done;
        const ssize_t got = ::copy_file_range(from, &in, to, nullptr, static_cast<std::size_t>(count - done), 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && CopyUnsupported(errno)) break;
        if (got < 0) Fail("copy_file_range");
        if (got == 0) Fail("copy_file_range: file ended early", EIO);
        done += got;
    }
    return done;
}

int64_t SendfileCopy(int from, int64_t offset, int64_t count, int to) {
    int64_t done = 0;
    while (done < count) {
        off_t in = offset + done;
        const ssize_t got = ::sendfile(to, from, &in, static_cast<std::size_t>(count - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && CopyUnsupported(errno)) break;
        if (got < 0) Fail("sendfile");
        if (got == 0) Fail("sendfile: file ended early", EIO);
        done += got;
    }
    return done;
}

void BufferCopy(int from, int64_t offset, int64_t count, int to) {
    constexpr int64_t kChunk = 1 << 20;
    for (int64_t done = 0; done < count;) {
        const auto n = static_cast<std::size_t>(std::min(kChunk, count - done));
        WriteAll(to, ReadExactly(from, offset + done, n));
        done += static_cast<int64_t>(n);
    }
}

}  // namespace

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail("write");
        if (put == 0) Fail("write", ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
}

std::string ReadExactly(int fd, int64_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, bytes.data() + done, count - done, offset + static_cast<int64_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("read");
        if (got == 0) Fail("read: file ended early", EIO);
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

void CopyRange(int from, int64_t offset, int64_t count, int to) {
    int64_t done = KernelCopy(from, offset, count, to);
    if (done < count) done += SendfileCopy(from, offset + done, count - done, to);
    if (done < count) BufferCopy(from, offset + done, count - done, to);
}

TUniqueFd::~TUniqueFd() { Reset(); }

void TUniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace parvex
