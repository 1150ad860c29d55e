#pragma once
// A small file system made in an image file and mounted on a loop device, for tests of what the
// program does on file systems other than the one the temporary folder lies on. Needs root and the
// file system's mkfs tool; tests skip with Why() where the mount cannot be made.

#include <cstdint>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace parvex::test {

class LoopMount {
public:
    // Makes a `megabytes` image with `mkfs` (a command such as "mkfs.xfs -q -m reflink=1", given the
    // image as its last argument) and mounts it.
    explicit LoopMount(const std::string& mkfs, int megabytes = 300);
    // Unmounts the file system, which also releases its loop device.
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Why the file system could not be mounted.
    const std::string& Why() const { return why_; }
    // The mounted file system's root folder.
    std::filesystem::path Path() const { return dir_.Path() / "mnt"; }

private:
    TempDir dir_;
    bool mounted_ = false;
    std::string why_;
};

// How many bytes of `path` lie in extents it shares with another file, after its data reached the
// disk (FIEMAP's shared flag).
uint64_t SharedBytes(const std::string& path);

}  // namespace parvex::test
