#include "fs/fd_io.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <unistd.h>

#include <algorithm>
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

void CopyData(int from, int64_t offset, int64_t count, int to) {
    int64_t done = KernelCopy(from, offset, count, to);
    if (done < count) done += SendfileCopy(from, offset + done, count - done, to);
    if (done < count) BufferCopy(from, offset + done, count - done, to);
}

// Holes smaller than this are not worth looking for: two more system calls per copy.
constexpr int64_t kHoleSearchFrom = int64_t{1} << 20;

// The end of the hole of `from` at `offset` (where the next data begins, or `end`); `offset` itself
// where there is data, or where the file system cannot tell.
int64_t HoleEnd(int from, int64_t offset, int64_t end) {
    const off_t data = ::lseek(from, offset, SEEK_DATA);
    if (data < 0) return errno == ENXIO ? end : offset;  // ENXIO: nothing but a hole up to the end
    return std::min<int64_t>(data, end);
}

// The data of the range is copied; its holes are left as holes in `to` (its position moved past
// them, its size set where it ends in one), so that a sparse file does not grow on disk.
void CopyBytes(int from, int64_t offset, int64_t count, int to) {
    if (count < kHoleSearchFrom) return CopyData(from, offset, count, to);
    const int64_t end = offset + count;
    int64_t pos = offset;
    bool endsInHole = false;
    while (pos < end) {
        const int64_t data = HoleEnd(from, pos, end);
        if (data > pos && ::lseek(to, data - pos, SEEK_CUR) < 0) Fail("seek");
        endsInHole = data == end && data > pos;
        if (data == end) break;
        const off_t hole = ::lseek(from, data, SEEK_HOLE);
        const int64_t dataEnd = hole < 0 ? end : std::min<int64_t>(hole, end);
        CopyData(from, data, dataEnd - data, to);
        pos = dataEnd;
    }
    if (endsInHole) {
        const off_t size = ::lseek(to, 0, SEEK_CUR);
        if (size < 0 || ::ftruncate(to, size) != 0) Fail("truncate");
    }
}

// Shares `count` bytes (a multiple of the block size, both offsets on block boundaries) of `from`
// into `to` at `at`, and moves the position of `to` past them. False when the kernel declines.
bool ShareBlocks(int from, int64_t offset, int64_t count, int to, int64_t at) {
    const file_clone_range range{from, static_cast<uint64_t>(offset), static_cast<uint64_t>(count),
                                 static_cast<uint64_t>(at)};
    if (::ioctl(to, FICLONERANGE, &range) != 0) return false;
    if (::lseek(to, at + count, SEEK_SET) < 0) Fail("seek");
    return true;
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

// The bytes before the first block boundary and after the last are copied; the blocks between
// are shared when the kernel agrees.
void CopyRange(int from, int64_t offset, int64_t count, int to, std::size_t shareBlock) {
    const auto block = static_cast<int64_t>(shareBlock);
    const int64_t at = block > 0 ? ::lseek(to, 0, SEEK_CUR) : -1;
    if (at < 0 || (at - offset) % block != 0) return CopyBytes(from, offset, count, to);
    const int64_t head = std::min(count, (block - offset % block) % block);
    const int64_t middle = (count - head) / block * block;
    CopyBytes(from, offset, head, to);
    if (middle == 0 || !ShareBlocks(from, offset + head, middle, to, at + head))
        return CopyBytes(from, offset + head, count - head, to);
    CopyBytes(from, offset + head + middle, count - head - middle, to);
}

TUniqueFd::~TUniqueFd() { Reset(); }

void TUniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

}  // namespace parvex
