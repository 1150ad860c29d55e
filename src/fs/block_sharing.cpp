#include "fs/block_sharing.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <system_error>

namespace parvex {

namespace {

std::mutex probesMutex;
std::map<dev_t, std::size_t> probes;  // block size by device; 0: no sharing

// The file system's type alone cannot tell (XFS shares blocks only when made with reflink=1), so
// the probe asks the kernel to share one block of `from` into `to`. It works on the very pair of
// files the rewrite copies between, needs no file of its own in the folder, and on a file system
// without sharing fails at once without writing anything.
std::size_t Probe(int from, int to) {
    struct statfs fs {};
    struct stat source {};
    if (::fstatfs(to, &fs) != 0 || fs.f_bsize <= 0 || ::fstat(from, &source) != 0 || source.st_size <= 0)
        return 0;
    const auto block = static_cast<std::size_t>(fs.f_bsize);
    // A range that ends at the end of the source may end off the block boundary.
    const file_clone_range range{from, 0, std::min<uint64_t>(block, static_cast<uint64_t>(source.st_size)), 0};
    const bool shared = ::ioctl(to, FICLONERANGE, &range) == 0;
    if (shared && ::ftruncate(to, 0) != 0)
        throw std::system_error(errno, std::generic_category(), "truncate");
    return shared ? block : 0;
}

}  // namespace

TBlockSharingTesting& BlockSharingTesting() {
    static TBlockSharingTesting testing;
    return testing;
}

std::size_t SharedBlockSize(int from, int to) {
    if (BlockSharingTesting().ForcedBlockSize != 0) return BlockSharingTesting().ForcedBlockSize;
    struct stat target {};
    if (::fstat(to, &target) != 0) return 0;
    const std::lock_guard lock(probesMutex);
    const auto known = probes.find(target.st_dev);
    if (known != probes.end()) return known->second;
    const std::size_t block = Probe(from, to);
    probes.emplace(target.st_dev, block);
    return block;
}

void ForgetBlockSharing() {
    const std::lock_guard lock(probesMutex);
    probes.clear();
}

}  // namespace parvex
