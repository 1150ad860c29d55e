#include "settings/ini_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace parvex {

namespace {

constexpr const char* kFileName = "parvex.INI";

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
    return "/";
}

class TUniqueFd {
public:
    explicit TUniqueFd(int fd) : fd_(fd) {}
    ~TUniqueFd() { Close(); }
    TUniqueFd(const TUniqueFd&) = delete;
    TUniqueFd& operator=(const TUniqueFd&) = delete;

    int Get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool Close() {
        if (fd_ < 0) return true;
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The mode the new file gets: the old file's, else what a plain creation would give.
mode_t ModeFor(const std::filesystem::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) return old.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

// Writes `text` to a fresh temporary file beside `target` and renames it into place.
bool ReplaceFile(const std::filesystem::path& target, const std::string& text) {
    std::string temp = target.string() + ".XXXXXX";
    TUniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0) return false;
    const bool written = ::fchmod(fd.Get(), ModeFor(target)) == 0 && WriteAll(fd.Get(), text) &&
                         ::fsync(fd.Get()) == 0 && fd.Close();
    if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer risks the file's content.
    TUniqueFd folder(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) ::fsync(folder.Get());
    return true;
}

// Follows symbolic links to the file they finally name, which need not exist yet.
std::filesystem::path FollowLinks(const std::filesystem::path& file, std::error_code& ec) {
    constexpr int kMaxHops = 40;
    std::filesystem::path target = file;
    for (int hop = 0; hop < kMaxHops; ++hop) {
        std::error_code missing;  // a path that does not exist yet is no error here
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, missing))) return target;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) return {};
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return {};
}

}  // namespace

TIniWriteError::TIniWriteError(const std::filesystem::path& file)
    : std::runtime_error("Unable to write to " + file.string()) {}

std::filesystem::path SettingsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path base = config != nullptr && std::filesystem::path(config).is_absolute()
                                           ? std::filesystem::path(config)
                                           : HomeFolder() / ".config";
    return base / "parvex";
}

std::filesystem::path SettingsFilePath(const std::string& name) {
    if (name.empty()) return SettingsFolder() / kFileName;
    const std::filesystem::path path(name);
    return path.has_parent_path() ? path : SettingsFolder() / path;
}

TIniDocument LoadIniFile(const std::filesystem::path& file) {
    // Plain reads rather than a stream: a read error (a folder in the file's place, a bad disk) must
    // end the reading quietly, never raise.
    TUniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    char buffer[64 * 1024];
    for (ssize_t got; fd.Get() >= 0 && (got = ::read(fd.Get(), buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return TIniDocument::Parse(text);
}

void SaveIniFile(const std::filesystem::path& file, const TIniDocument& doc) {
    std::error_code ec;
    const std::filesystem::path target = FollowLinks(file, ec);
    if (ec) throw TIniWriteError(file);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    if (ec || !ReplaceFile(target, doc.Text())) throw TIniWriteError(file);
}

}  // namespace parvex
