#pragma once
// One entry of a folder listing as the search reports it.

#include <cstdint>
#include <string>

#include "scan/date_time.h"

namespace parvex {

// Attribute bits of an entry; a TFileAttributes value is a set of them.
//   ffArchive   a regular file
//   ffReadonly  the owner has no write permission
//   ffHidden    the name starts with "."
//   ffSystem    never set on this platform
//   ffDirectory a folder
enum TFileAttribute : unsigned {
    ffArchive = 1u << 0,
    ffReadonly = 1u << 1,
    ffHidden = 1u << 2,
    ffSystem = 1u << 3,
    ffDirectory = 1u << 4,
};
using TFileAttributes = unsigned;

struct DirEntry {
    std::string Name;  // without folder; the bytes as the file system holds them
    TFileAttributes Attributes = 0;
    std::int64_t Size = 0;  // bytes
    TFileTime Created;      // birth time where the file system records it, else the status change time
    TFileTime Accessed;
    TFileTime Modified;
    // The file's identity: one file reached by two paths (a link, a second name) has the same pair.
    // Taken from a folder listing (TSearchCriteria::Details false), the inode is what the listing
    // says, which proves nothing: FUSE and network file systems give unknown (4294967295) or
    // shared numbers there.
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
};

}  // namespace parvex
