#include "fs/no_replace_rename.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace parvex {

namespace {

// A path with a NUL byte would be cut short at it by the system calls below.
bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

}  // namespace

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (HasNul(from) || HasNul(to)) return EINVAL;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    const int error = errno;
    // EINVAL: the file system does not know the flag; ENOSYS: the kernel lacks the call.
    if (error == EINVAL || error == ENOSYS) return RenameByLink(from, to);
    return error;
}

int RenameByLink(const std::string& from, const std::string& to) {
    if (HasNul(from) || HasNul(to)) return EINVAL;
    if (link(from.c_str(), to.c_str()) != 0) return errno;
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        unlink(to.c_str());
        return error;
    }
    return 0;
}

}  // namespace parvex
