#pragma once
// What tells one state of a file from another: the same file (device and inode) with the same size
// and modification time. A plan notes it when it reads a file, and a save or rename goes ahead only
// while the file still stands so.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

namespace parvex {

struct FileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedSec = 0;
    int64_t ModifiedNsec = 0;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& st);

// The identity of the file at `path` (links followed); all zero when it cannot be looked up.
FileIdentity CurrentStamp(const std::string& path);

}  // namespace parvex
