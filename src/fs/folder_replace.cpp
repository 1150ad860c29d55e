#include "fs/folder_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "fs/open_error.h"

namespace parvex {

namespace {

constexpr std::string_view kTempMark = ".parvex-";
constexpr std::size_t kRandomChars = 6;
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
// Room for the dot, the mark and the random characters within the longest name a folder holds.
constexpr std::size_t kMaxNamePart = NAME_MAX - 1 - kTempMark.size() - kRandomChars;
constexpr int kNameAttempts = 100;

[[noreturn]] void Fail(const char* what, int error = errno) {
    throw std::system_error(error, std::generic_category(), what);
}

// Saves are prepared on several threads at once: a test's hook sees one step at a time.
void At(TReplaceStep step) {
    if (!ReplaceTesting().Hook) return;
    static std::mutex oneAtATime;
    const std::lock_guard lock(oneAtATime);
    ReplaceTesting().Hook(step);
}

// The temporary files of the saves in progress that have a name, for RemoveCurrentTempFile (a batch
// holds a group of saves at once). A slot's folder is published after its name and withdrawn first,
// so a signal handler never sees a name being written. Where every slot is taken, a temporary file
// left by a stop is removed by the next save of its file instead.
constexpr int kFreeSlot = -1;
constexpr int kClaimedSlot = -2;
struct TNamedTemp {
    std::atomic<int> Folder{kFreeSlot};
    char Name[NAME_MAX + 1];
};
TNamedTemp namedTemps[128];

int PublishTempName(int folder, const std::string& name) {
    for (TNamedTemp& temp : namedTemps) {
        int expected = kFreeSlot;
        if (!temp.Folder.compare_exchange_strong(expected, kClaimedSlot)) continue;
        std::memcpy(temp.Name, name.c_str(), name.size() + 1);
        temp.Folder.store(folder);
        return static_cast<int>(&temp - namedTemps);
    }
    return -1;
}

void WithdrawTempName(int slot, int folder) {
    if (slot >= 0) namedTemps[slot].Folder.compare_exchange_strong(folder, kFreeSlot);
}

std::string TempNamePrefix(std::string_view name) {
    return "." + std::string(name.substr(0, kMaxNamePart)) + std::string(kTempMark);
}

std::string RandomTempName(std::string_view name) {
    unsigned char random[kRandomChars];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) Fail("getrandom");
    std::string temp = TempNamePrefix(name);
    for (const unsigned char r : random) temp += kAlphabet[r % (sizeof kAlphabet - 1)];
    return temp;
}

// Whether `entry` is named like a temporary file of a save of some file.
bool LooksLikeTempName(std::string_view entry) {
    const std::size_t tail = kTempMark.size() + kRandomChars;
    return entry.size() > tail + 1 && entry[0] == '.' &&
           entry.substr(entry.size() - tail, kTempMark.size()) == kTempMark &&
           entry.substr(entry.size() - kRandomChars).find_first_not_of(kAlphabet) == std::string_view::npos;
}

// The entries of the open folder named like temporary files; none when it cannot be listed.
std::vector<std::string> TempNamesIn(int folder) {
    // The listing gets a descriptor of its own: reading a folder moves the descriptor's position.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return {};
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return {};
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        if (LooksLikeTempName(entry->d_name)) names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Errors of an O_TMPFILE open that mean the kernel or the file system has no unnamed files.
bool UnnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == ENOENT || error == EINVAL;
}

// A save in progress holds a lock on its temporary file: one that nobody holds was left behind by a
// save that was killed. Only a regular file still under the name it was opened by is removed.
// Returns the error of a removal that failed, else 0.
int RemoveIfAbandoned(int folder, const std::string& name) {
    const TUniqueFd file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    struct stat named {};
    if (!file.Valid() || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return 0;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) return 0;
    if (::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !SameFile(opened, named)) return 0;
    return ::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

// A folder marked append-only (chattr +a) lets files be made in it but none removed or replaced.
bool AppendOnly(int folder) {
    int flags = 0;
    return ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_APPEND_FL) != 0;
}

// Errors of renameat2 that mean the kernel or the file system cannot exchange two names.
bool ExchangeUnsupported(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

}  // namespace

TReplaceTesting& ReplaceTesting() {
    static TReplaceTesting testing;
    return testing;
}

bool IsTempNameOf(std::string_view entry, std::string_view name) {
    const std::string prefix = TempNamePrefix(name);
    return entry.size() == prefix.size() + kRandomChars && entry.starts_with(prefix) &&
           entry.substr(prefix.size()).find_first_not_of(kAlphabet) == std::string_view::npos;
}

void RemoveCurrentTempFile() {
    for (TNamedTemp& temp : namedTemps) {
        int folder = temp.Folder.load();
        if (folder >= 0 && temp.Folder.compare_exchange_strong(folder, kFreeSlot))
            (void)::unlinkat(folder, temp.Name, 0);
    }
}

// A folder without read permission can still be saved in; only its listing and flush need it.
TSharedFolder OpenSharedFolder(const std::string& path, bool followLink) {
    const int flags = O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    auto folder = std::make_shared<TOpenFolder>();
    folder->Fd.Reset(::open(path.c_str(), O_RDONLY | flags));
    if (!folder->Fd.Valid() && errno == EACCES) {
        folder->Fd.Reset(::open(path.c_str(), O_PATH | flags));
        folder->PathOnly = true;
    }
    if (!folder->Fd.Valid()) Fail("open folder");
    struct stat st {};
    if (::fstat(folder->Fd.Get(), &st) != 0) Fail("stat folder");
    folder->Device = st.st_dev;
    folder->Inode = st.st_ino;
    folder->AppendOnly = !folder->PathOnly && AppendOnly(folder->Fd.Get());
    return folder;
}

bool FlushFileSystemOf(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return false;
    const auto type = static_cast<unsigned long>(fs.f_type);
    if (type != EXT4_SUPER_MAGIC && type != XFS_SUPER_MAGIC && type != BTRFS_SUPER_MAGIC) return false;
    if (::syncfs(fd) != 0) return false;
    At(TReplaceStep::FileSystemFlushed);
    return true;
}

bool FlushFolder(const TOpenFolder& folder, std::vector<std::string>& notes) {
    if (::fsync(folder.Fd.Get()) == 0) {
        At(TReplaceStep::FolderFlushed);
        return true;
    }
    notes.push_back("the folder could not be flushed to disk (" + ErrorText(errno) +
                    "), so the save may not survive a power failure");
    return false;
}

const std::vector<std::string>& TLeftoverIndex::In(const TOpenFolder& folder) {
    const std::lock_guard lock(mutex_);
    const auto [entry, isNew] = folders_.try_emplace({folder.Device, folder.Inode});
    if (isNew) entry->second = TempNamesIn(folder.Fd.Get());
    return entry->second;
}

// The folder of the canonical path: the links on the way and a link the file's name is are
// followed once, so that every later step works on one folder and one name.
TFolderReplace::TFolderReplace(const std::string& path, const FileIdentity& expected, TLeftoverIndex* leftovers)
    : expected_(expected) {
    const std::filesystem::path full = std::filesystem::canonical(path);
    name_ = full.filename().string();
    folder_ = OpenSharedFolder(full.parent_path(), false);
    OpenOld(leftovers);
}

TFolderReplace::TFolderReplace(TSharedFolder folder, std::string name, const FileIdentity& expected,
                               TLeftoverIndex* leftovers)
    : folder_(std::move(folder)), name_(std::move(name)), expected_(expected) {
    OpenOld(leftovers);
}

void TFolderReplace::OpenOld(TLeftoverIndex* leftovers) {
    old_.Reset(::openat(Folder(), name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!old_.Valid()) Fail("open");
    if (::fstat(Old(), &oldStat_) != 0) Fail("stat");
    if (!S_ISREG(oldStat_.st_mode) || !(IdentityOf(oldStat_) == expected_)) throw EFileChanged();
    RemoveLeftovers(leftovers);
    At(TReplaceStep::FolderOpened);
}

TFolderReplace::~TFolderReplace() {
    if (committed_ || tempName_.empty()) return;
    WithdrawTempName(tempSlot_, Folder());
    if (TempNameIsOurs()) (void)::unlinkat(Folder(), tempName_.c_str(), 0);
}

// A leftover that stays would be joined by a new copy at every later try: the save is refused
// before it writes one.
void TFolderReplace::RemoveLeftovers(TLeftoverIndex* leftovers) const {
    const std::vector<std::string> listed = leftovers ? std::vector<std::string>{} : TempNamesIn(Folder());
    for (const std::string& entry : leftovers ? leftovers->In(*folder_) : listed) {
        if (!IsTempNameOf(entry, name_)) continue;
        if (const int error = RemoveIfAbandoned(Folder(), entry); error != 0)
            throw std::runtime_error("the copy " + entry + " left by an earlier save cannot be removed (" +
                                     ErrorText(error) + "), so no new copy is written");
    }
}

int TFolderReplace::CreateTemp() {
    if (folder_->AppendOnly)
        throw std::runtime_error("the folder is append-only, so no file in it can be replaced");
    const bool unnamed = !ReplaceTesting().NoUnnamedFiles;
    if (unnamed) temp_.Reset(::openat(Folder(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
    if (!temp_.Valid() && (!unnamed || UnnamedUnsupported(errno))) {
        for (int attempt = 0; attempt < kNameAttempts && !temp_.Valid(); ++attempt) {
            std::string name = RandomTempName(name_);
            temp_.Reset(
                ::openat(Folder(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (temp_.Valid()) {
                tempName_ = std::move(name);
                tempSlot_ = PublishTempName(Folder(), tempName_);
            } else if (errno != EEXIST) {
                break;
            }
        }
    }
    if (!temp_.Valid()) Fail("create temporary file");
    // The lock tells a later save that this file is not a leftover. File systems without locks
    // leave it out; such a file is then only at risk from a save of the same file meanwhile.
    (void)::flock(temp_.Get(), LOCK_EX | LOCK_NB);
    return temp_.Get();
}

// An unnamed file is linked into the folder through its /proc entry; where /proc is missing,
// AT_EMPTY_PATH does the same for a process allowed to use it.
void TFolderReplace::GiveTempAName() {
    if (!tempName_.empty()) return;
    const std::string self = "/proc/self/fd/" + std::to_string(temp_.Get());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = RandomTempName(name_);
        int linked = ::linkat(AT_FDCWD, self.c_str(), Folder(), name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno == ENOENT)
            linked = ::linkat(temp_.Get(), "", Folder(), name.c_str(), AT_EMPTY_PATH);
        if (linked == 0) {
            tempName_ = std::move(name);
            tempSlot_ = PublishTempName(Folder(), tempName_);
            return;
        }
        if (errno != EEXIST) Fail("name temporary file");
    }
    Fail("name temporary file", EEXIST);
}

bool TFolderReplace::TempNameIsOurs() const {
    struct stat named {};
    struct stat ours {};
    return ::fstatat(Folder(), tempName_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(temp_.Get(), &ours) == 0 && SameFile(named, ours);
}

void TFolderReplace::StartFlush() const {
    (void)::sync_file_range(temp_.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

void TFolderReplace::FlushData() const {
    if (::fsync(temp_.Get()) != 0) Fail("fsync");
    At(TReplaceStep::DataFlushed);
}

bool TFolderReplace::FlushFileSystem() const { return FlushFileSystemOf(temp_.Get()); }

void TFolderReplace::RenameOver() {
    GiveTempAName();
    At(TReplaceStep::TempNamed);
    // From here on the temporary name leads to the old file or to nothing a stop should remove.
    WithdrawTempName(tempSlot_, Folder());
    tempSlot_ = -1;
    // A save of the same file in another process must not take the old file, once under the
    // temporary name, for a leftover: it finds it locked.
    (void)::flock(Old(), LOCK_SH | LOCK_NB);
    if (!ExchangeWithOld()) RenameWithoutExchange();
    committed_ = true;
    At(TReplaceStep::Renamed);
}

void TFolderReplace::CheckOldNamed() const {
    struct stat now {};
    if (::fstatat(Folder(), name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0) Fail("stat");
    if (!S_ISREG(now.st_mode) || !(IdentityOf(now) == expected_)) throw EFileChanged();
}

// After the exchange, the old name must lead to the file written and the temporary name to the file
// read, still of the size and time it was planned with; otherwise the names go back as they were.
// The old file is then removed from under the temporary name: its blocks are freed with the last
// descriptor. False, with nothing changed, where names cannot be exchanged.
bool TFolderReplace::ExchangeWithOld() {
    if (ReplaceTesting().NoExchange) return false;
    At(TReplaceStep::Exchanging);
    if (::renameat2(Folder(), tempName_.c_str(), Folder(), name_.c_str(), RENAME_EXCHANGE) != 0) {
        if (ExchangeUnsupported(errno)) return false;
        Fail("rename");
    }
    struct stat named {};
    struct stat written {};
    struct stat exchanged {};
    struct stat old {};
    const bool newInPlace = ::fstatat(Folder(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                            ::fstat(temp_.Get(), &written) == 0 && SameFile(named, written);
    const bool oldOut = ::fstatat(Folder(), tempName_.c_str(), &exchanged, AT_SYMLINK_NOFOLLOW) == 0 &&
                        ::fstat(Old(), &old) == 0 && SameFile(exchanged, old) && IdentityOf(old) == expected_;
    if (newInPlace && oldOut) {
        (void)::unlinkat(Folder(), tempName_.c_str(), 0);
        return true;
    }
    if (::renameat2(Folder(), tempName_.c_str(), Folder(), name_.c_str(), RENAME_EXCHANGE) != 0)
        throw std::runtime_error("the file changed while it was being saved, and its name could not be given back (" +
                                 ErrorText(errno) + "); the old file is " + tempName_);
    if (!newInPlace) throw std::runtime_error("the temporary file was replaced by another file");
    throw EFileChanged();
}

// Without exchange, both names are checked before the rename, and a swap in the moment since is
// found only after it, when the old file is gone: the save is then reported failed with what
// happened.
void TFolderReplace::RenameWithoutExchange() {
    if (!TempNameIsOurs()) throw std::runtime_error("the temporary file was replaced by another file");
    CheckOldNamed();
    At(TReplaceStep::Exchanging);
    if (::renameat(Folder(), tempName_.c_str(), Folder(), name_.c_str()) != 0) Fail("rename");
    struct stat named {};
    struct stat written {};
    if (::fstatat(Folder(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || ::fstat(temp_.Get(), &written) != 0 ||
        !SameFile(named, written)) {
        committed_ = true;  // the name is no longer ours to remove
        throw std::runtime_error("the temporary file was replaced by another file as it took the file's place");
    }
}

// The rename lasts only once the folder is on disk. A folder opened without read permission cannot
// be flushed by itself; flushing its whole file system does it too.
bool TFolderReplace::FlushFolder(std::vector<std::string>& notes) const {
    if (::fsync(Folder()) == 0 || ::syncfs(temp_.Get()) == 0) {
        At(TReplaceStep::FolderFlushed);
        return true;
    }
    notes.push_back("the folder could not be flushed to disk (" + ErrorText(errno) +
                    "), so the save may not survive a power failure");
    return false;
}

FileIdentity TFolderReplace::NewIdentity() const {
    struct stat st {};
    if (::fstat(temp_.Get(), &st) != 0) Fail("stat");
    return IdentityOf(st);
}

void TFolderReplace::Commit(std::vector<std::string>& notes) {
    FlushData();
    RenameOver();
    FlushFolder(notes);
}

}  // namespace parvex
