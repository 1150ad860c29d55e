#include "fs/file_metadata.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "fs/open_error.h"

namespace parvex {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";

[[noreturn]] void Fail(const char* what, int error = errno) {
    throw std::system_error(error, std::generic_category(), what);
}

bool NoAttributes(int error) { return error == ENOTSUP || error == ENODATA; }

// The names of the file's extended attributes that the process can see; none where the file
// system keeps none. The list may grow between the size query and the read, hence the loop.
std::vector<std::string> AttributeNames(int fd) {
    std::string list;
    while (true) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if ((size < 0 && NoAttributes(errno)) || size == 0) return {};
        if (size < 0) Fail("list extended attributes");
        list.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) Fail("list extended attributes");
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = list.find('\0', start);
        names.push_back(list.substr(start, end - start));
        start = end == std::string::npos ? list.size() : end + 1;
    }
    return names;
}

// The attribute's value; false when the file has no such attribute.
bool AttributeValue(int fd, const std::string& name, std::string& value) {
    while (true) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0 && NoAttributes(errno)) return false;
        if (size < 0) Fail("read extended attribute");
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) Fail("read extended attribute");
    }
}

[[noreturn]] void CannotKeep(const std::string& what, int error) {
    throw std::runtime_error("the file's " + what + " cannot be kept: " + ErrorText(error));
}

void CopyAttribute(int from, const std::string& name, int to) {
    std::string value;
    std::string present;
    if (!AttributeValue(from, name, value)) return;
    // Attributes the system gives every new file (a security label) may be the same already and
    // need not, perhaps may not, be set by the process.
    if (AttributeValue(to, name, present) && present == value) return;
    if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
        CannotKeep("extended attribute " + name, errno);
}

// A new file may inherit the folder's default ACL; the old file's access, not the folder's, holds.
void DropInheritedAcl(const std::vector<std::string>& oldNames, int to) {
    for (const std::string& name : oldNames)
        if (name == kAccessAcl) return;
    if (::fremovexattr(to, kAccessAcl) != 0 && !NoAttributes(errno)) CannotKeep("access control list", errno);
}

// Only a privileged process gives a file away, and only a member of a group gives a file to it. A
// file the user may write but does not own (or whose group the user is not in) becomes the user's:
// the note says so. A new file that has the old one's owner and group already is left as it is.
void CopyOwner(const struct stat& old, int to, std::vector<std::string>& notes) {
    struct stat now {};
    if (::fstat(to, &now) != 0) Fail("stat");
    if (now.st_uid == old.st_uid && now.st_gid == old.st_gid) return;
    if (::fchown(to, old.st_uid, old.st_gid) != 0) (void)::fchown(to, static_cast<uid_t>(-1), old.st_gid);
    if (::fstat(to, &now) != 0) Fail("stat");
    const bool owner = now.st_uid != old.st_uid;
    const bool group = now.st_gid != old.st_gid;
    if (owner || group)
        notes.push_back(std::string("the file's ") +
                        (owner && group ? "owner and group"
                         : owner        ? "owner"
                                        : "group") +
                        " could not be kept; the saved file has yours");
}

}  // namespace

void CheckMayRewrite(int folder, const std::string& name, const struct stat& old) {
    // Asked at every save: the process may change its user (setuid) between two saves.
    if (::geteuid() == old.st_uid) return;
    if (::faccessat(folder, name.c_str(), W_OK, AT_EACCESS) != 0) throw std::runtime_error(ErrorText(errno));
}

// The owner first, since a change of owner clears set-id bits and file capabilities; the
// permission bits last, so that they are the old file's whatever setting the ACL did to them.
void CopyMetadata(int from, const struct stat& old, int to, std::vector<std::string>& notes) {
    CopyOwner(old, to, notes);
    const std::vector<std::string> names = AttributeNames(from);
    for (const std::string& name : names) CopyAttribute(from, name, to);
    DropInheritedAcl(names, to);
    if (::fchmod(to, old.st_mode & 07777) != 0) Fail("fchmod");
}

std::string HardLinkNote(const struct stat& old) {
    if (old.st_nlink <= 1) return {};
    const auto others = static_cast<unsigned long long>(old.st_nlink - 1);
    return "the file has " + std::to_string(others) + (others == 1 ? " other name" : " other names") +
           " (hard links), which keep the old tags";
}

}  // namespace parvex
