#include "support/long_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace parvex::test {

namespace {

// An open folder, closed with its owner.
class TFolderFd {
public:
    explicit TFolderFd(int fd) : fd_(fd) {
        if (fd_ < 0) throw std::runtime_error("cannot open a folder of the long path");
    }
    ~TFolderFd() { ::close(fd_); }
    TFolderFd(const TFolderFd&) = delete;
    TFolderFd& operator=(const TFolderFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

int OpenIn(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Removes everything inside the open folder `fd`, depth first.
void EmptyFolder(int fd) {
    DIR* dir = ::fdopendir(::dup(fd));
    if (dir == nullptr) return;
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") entries.emplace_back(name, entry->d_type == DT_DIR);
    }
    ::closedir(dir);
    for (const auto& [name, isFolder] : entries) {
        if (isFolder) {
            const int inner = OpenIn(fd, name);
            if (inner >= 0) {
                EmptyFolder(inner);
                ::close(inner);
            }
        }
        ::unlinkat(fd, name.c_str(), isFolder ? AT_REMOVEDIR : 0);
    }
}

}  // namespace

TLongPath::TLongPath(const std::filesystem::path& base, std::size_t length) : base_(base) {
    std::string path = base.string() + "/";
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (char letter = 'a'; path.size() < length; ++letter) {
        const std::string name(200, letter);
        const TFolderFd parent(fd);
        if (::mkdirat(parent.Get(), name.c_str(), 0755) != 0)
            throw std::runtime_error("cannot make a long path");
        fd = OpenIn(parent.Get(), name);
        names_.push_back(name);
        path += name + "/";
    }
    ::close(fd);
    deepest_ = path;
}

TLongPath::~TLongPath() {
    if (names_.empty()) return;
    const int fd = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    const int outer = OpenIn(fd, names_.front());
    if (outer >= 0) {
        EmptyFolder(outer);
        ::close(outer);
    }
    ::unlinkat(fd, names_.front().c_str(), AT_REMOVEDIR);
    ::close(fd);
}

void TLongPath::Write(const std::string& name, std::string_view bytes) const {
    int fd = ::open(base_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& folder : names_) {
        const TFolderFd parent(fd);
        fd = OpenIn(parent.Get(), folder);
    }
    const TFolderFd deepest(fd);
    const int file = ::openat(deepest.Get(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) throw std::runtime_error("cannot write a file in the long path");
    const bool written = ::write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(file);
    if (!written) throw std::runtime_error("cannot write a file in the long path");
}

}  // namespace parvex::test
