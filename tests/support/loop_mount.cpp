#include "support/loop_mount.h"

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <vector>

#include "support/shell.h"

namespace parvex::test {

LoopMount::LoopMount(const std::string& mkfs, int megabytes) {
    if (::geteuid() != 0) {
        why_ = "mounting a file system image needs root";
        return;
    }
    const std::string tool = mkfs.substr(0, mkfs.find(' '));
    if (!ToolInstalled(tool)) {
        why_ = tool + " is not installed";
        return;
    }
    const std::string image = ShellQuote((dir_.Path() / "image").string());
    const std::string mountPoint = ShellQuote(Path().string());
    int status = 0;
    // A test that crashes never reaches the destructor: a watcher unmounts the image and removes its
    // folder once this process is gone.
    RunCommand("(while kill -0 " + std::to_string(::getpid()) + "; do sleep 1; done; umount -l " + mountPoint +
                   "; rm -rf " + ShellQuote(dir_.Path().string()) + ") > /dev/null 2>&1 &",
               status);
    const std::string out = RunCommand("truncate -s " + std::to_string(megabytes) + "M " + image + " && " + mkfs +
                                           " " + image + " 2>&1 && mkdir " + mountPoint + " && mount -o loop " +
                                           image + " " + mountPoint + " 2>&1",
                                       status);
    mounted_ = status == 0;
    if (!mounted_) why_ = "cannot make and mount the image: " + out;
}

LoopMount::~LoopMount() {
    if (!mounted_) return;
    int status = 0;
    RunCommand("umount " + ShellQuote(Path().string()) + " 2>&1", status);
    if (status != 0) RunCommand("umount -l " + ShellQuote(Path().string()) + " 2>&1", status);
}

uint64_t SharedBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    constexpr std::size_t kExtents = 512;
    std::vector<char> buffer(sizeof(fiemap) + kExtents * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    uint64_t shared = 0;
    uint64_t start = 0;
    bool last = false;
    while (!last) {
        *map = fiemap{};
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = kExtents;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0 || map->fm_mapped_extents == 0) break;
        for (uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& extent = map->fm_extents[i];
            if (extent.fe_flags & FIEMAP_EXTENT_SHARED) shared += extent.fe_length;
            last = (extent.fe_flags & FIEMAP_EXTENT_LAST) != 0;
            start = extent.fe_logical + extent.fe_length;
        }
    }
    ::close(fd);
    return shared;
}

}  // namespace parvex::test
