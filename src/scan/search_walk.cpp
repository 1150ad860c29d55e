#include "scan/search_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "scan/file_mask.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

TFileTime ToFileTime(const statx_timestamp& stamp) {
    using namespace std::chrono;
    return TFileTime(duration_cast<TFileTime::duration>(seconds(stamp.tv_sec) + nanoseconds(stamp.tv_nsec)));
}

// The entry `name` of the open folder `folderFd`, links followed; nothing when it cannot be read,
// with the errno value in `error` (ENOENT: vanished, or a link that leads nowhere).
std::optional<DirEntry> StatEntry(int folderFd, const std::string& name, int& error) {
    struct statx info {};
    if (statx(folderFd, name.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        error = errno;
        return std::nullopt;
    }
    DirEntry entry;
    entry.Name = name;
    if (S_ISREG(info.stx_mode)) entry.Attributes |= ffArchive;
    if (S_ISDIR(info.stx_mode)) entry.Attributes |= ffDirectory;
    if ((info.stx_mode & S_IWUSR) == 0) entry.Attributes |= ffReadonly;
    if (name.front() == '.') entry.Attributes |= ffHidden;
    entry.Size = static_cast<std::int64_t>(info.stx_size);
    entry.Created = ToFileTime((info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_ctime);
    entry.Accessed = ToFileTime(info.stx_atime);
    entry.Modified = ToFileTime(info.stx_mtime);
    entry.Device = makedev(info.stx_dev_major, info.stx_dev_minor);
    entry.Inode = info.stx_ino;
    return entry;
}

// Closes a file descriptor when it goes out of scope.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

struct TDirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using TDirHandle = std::unique_ptr<DIR, TDirCloser>;

struct TListedName {
    std::string Name;
    unsigned char Type;  // DT_* of the listing; DT_UNKNOWN where the file system does not say
    ino_t Inode;
};

// A regular file as the listing gives it, without a look-up.
DirEntry ListedFile(const TListedName& listed, std::uint64_t device) {
    DirEntry entry;
    entry.Name = listed.Name;
    entry.Attributes = ffArchive;
    if (listed.Name.front() == '.') entry.Attributes |= ffHidden;
    entry.Device = device;
    entry.Inode = listed.Inode;
    return entry;
}

// An open folder with its identity; Dir is null when the folder cannot be opened, with the errno
// value in Error.
struct TOpenFolder {
    TDirHandle Dir;
    std::uint64_t Device = 0, Inode = 0;
    int Error = 0;
};

TOpenFolder OpenFolder(const std::string& folder) {
    TOpenFolder result;
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        result.Error = errno;
        return result;
    }
    struct stat info {};
    DIR* dir = fstat(fd, &info) == 0 ? fdopendir(fd) : nullptr;
    if (dir == nullptr) {
        result.Error = errno;
        close(fd);
        return result;
    }
    result.Dir.reset(dir);
    result.Device = info.st_dev;
    result.Inode = info.st_ino;
    return result;
}

// Every name of the folder but "." and "..", sorted byte by byte: the file system's own order is
// that of its hash tables, and a run's log should not depend on it. A read error ends the listing
// with what was read so far and leaves its errno value in `error`.
std::vector<TListedName> ReadNames(DIR* dir, int& error) {
    std::vector<TListedName> names;
    for (;;) {
        errno = 0;
        const dirent* item = readdir(dir);
        if (item == nullptr) break;
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") continue;
        names.push_back({std::string(name), item->d_type, item->d_ino});
    }
    error = errno;
    std::sort(names.begin(), names.end(),
              [](const TListedName& a, const TListedName& b) { return a.Name < b.Name; });
    return names;
}

bool AttributesMatch(const TSearchCriteria& criteria, TFileAttributes attributes) {
    if (criteria.ExactAttribute) return attributes == criteria.Attributes;
    return attributes == 0 || (attributes & criteria.Attributes) != 0;
}

bool SizeMatches(const TSearchCriteria& criteria, std::int64_t size) {
    if (criteria.SizeMin != 0 && size < criteria.SizeMin) return false;
    if (criteria.SizeMax != 0 && size > criteria.SizeMax) return false;
    return true;
}

// The local-time conversion is skipped when the pair sets no limit.
bool TimeMatches(TFileTime time, TDateTime before, TDateTime after) {
    return (before == 0 && after == 0) || InDateRange(ToDateTime(time), before, after);
}

}  // namespace

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> parts;
    std::string_view rest = text;
    do {
        const std::size_t semicolon = rest.find(';');
        if (semicolon == std::string_view::npos) {
            parts.emplace_back(rest);
            rest = {};
        } else {
            parts.emplace_back(Trim(rest.substr(0, semicolon)));
            rest.remove_prefix(semicolon + 1);
        }
    } while (!Trim(rest).empty());
    return parts;
}

std::string AbsoluteFolder(std::string_view folder) {
    const std::filesystem::path given(folder.empty() ? std::string_view(".") : folder);
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(given, error);
    if (error) absolute = given;
    std::string result = absolute.lexically_normal().string();
    if (result.empty() || result.back() != '/') result += '/';
    return result;
}

std::vector<std::string> BuildTargets(std::string_view location, std::string_view filename) {
    std::vector<std::string> folders;
    for (const std::string& part : SplitList(location)) {
        std::string folder = AbsoluteFolder(part);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(std::move(folder));
    }
    std::vector<std::string> masks;
    for (const std::string& part : SplitList(filename)) {
        std::string mask = CompleteMask(part);
        const auto same = [&mask](const std::string& listed) { return SameIgnoringCase(listed, mask); };
        if (std::none_of(masks.begin(), masks.end(), same)) masks.push_back(std::move(mask));
    }
    std::vector<std::string> targets;
    for (const std::string& folder : folders)
        for (const std::string& mask : masks) targets.push_back(folder + mask);
    return targets;
}

// A regular file passes the default attribute test by ffArchive alone; the exact test, or a set
// without ffArchive, needs to know whether it is read-only.
bool TSearchCriteria::NeedsLookUp() const {
    const bool datesLimited = CreatedBefore != 0 || CreatedAfter != 0 || ModifiedBefore != 0 ||
                              ModifiedAfter != 0 || AccessedBefore != 0 || AccessedAfter != 0;
    const bool modeTested = ExactAttribute || (Attributes & ffArchive) == 0;
    return Details || datesLimited || SizeMin != 0 || SizeMax != 0 || modeTested;
}

bool FileMatches(const TSearchCriteria& criteria, const std::string& folder, const DirEntry& entry) {
    // Only files and folders: reading a fifo or a device named like a song would block or worse.
    if ((entry.Attributes & (ffArchive | ffDirectory)) == 0) return false;
    if (!AttributesMatch(criteria, entry.Attributes)) return false;
    const bool isFolder = (entry.Attributes & ffDirectory) != 0;
    if (!isFolder && !SizeMatches(criteria, entry.Size)) return false;
    if (!TimeMatches(entry.Created, criteria.CreatedBefore, criteria.CreatedAfter)) return false;
    if (!TimeMatches(entry.Modified, criteria.ModifiedBefore, criteria.ModifiedAfter)) return false;
    if (!TimeMatches(entry.Accessed, criteria.AccessedBefore, criteria.AccessedAfter)) return false;
    if (criteria.ExcludeFiles.empty() && criteria.Containing.empty()) return true;

    const std::string path = folder + entry.Name;
    for (const std::string& mask : criteria.ExcludeFiles)
        if (MatchesMask(path, mask)) return false;
    return criteria.Containing.empty() || isFolder || ContainsText(path, criteria.Containing, criteria.IgnoreCase);
}

bool ContainsText(const std::string& path, std::string_view text, bool ignoreCase) {
    if (text.empty()) return true;
    // Non-blocking, so that a file swapped for a fifo during the walk cannot hang the search.
    const TFileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) return false;

    const std::string needle = ignoreCase ? LowerCase(text) : std::string(text);
    constexpr std::size_t kBlockSize = 4096;
    char block[kBlockSize];
    // The tail of the previous block stays in front of the next one, so a text that straddles the
    // border between two blocks is found.
    std::string window;
    for (;;) {
        const ssize_t got = read(file.Get(), block, kBlockSize);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        const std::size_t start = window.size();
        window.append(block, static_cast<std::size_t>(got));
        if (ignoreCase)
            std::transform(window.begin() + static_cast<std::ptrdiff_t>(start), window.end(),
                           window.begin() + static_cast<std::ptrdiff_t>(start), LowerCaseChar);
        if (window.find(needle) != std::string::npos) return true;
        const std::size_t keep = std::min(window.size(), needle.size() - 1);
        window.erase(0, window.size() - keep);
    }
}

TSearchWalk::TSearchWalk(TSearchCriteria criteria, std::vector<std::string> targets)
    : criteria_(std::move(criteria)), lookUpEveryFile_(criteria_.NeedsLookUp()), targets_(std::move(targets)) {}

namespace {

// A target's folder part (up to its last "/") and its name part, the mask.
std::string_view FolderPart(std::string_view target) {
    const std::size_t slash = target.rfind('/');
    return target.substr(0, slash == std::string_view::npos ? 0 : slash + 1);
}
std::string_view MaskPart(std::string_view target) { return target.substr(FolderPart(target).size()); }

}  // namespace

// Targets of one folder that follow each other are walked together, so that a tree searched for
// several masks is listed (and a folder that cannot be read is reported) once.
void TSearchWalk::Run(const TSearchEvents& events) {
    events_ = &events;
    for (std::size_t first = 0; first < targets_.size();) {
        const std::string_view folder = FolderPart(targets_[first]);
        std::vector<std::string_view> masks;
        std::size_t next = first;
        for (; next < targets_.size() && FolderPart(targets_[next]) == folder; ++next)
            masks.push_back(MaskPart(targets_[next]));
        walked_.clear();
        SearchFolder(AbsoluteFolder(folder), masks);
        if (events_->Stopped()) break;
        first = next;
    }
}

void TSearchWalk::SearchFolder(const std::string& folder, const std::vector<std::string_view>& masks) {
    TOpenFolder opened = OpenFolder(folder);
    // A link that leads back up the tree (or a second way into a folder already walked) would
    // otherwise be walked again and again.
    if (opened.Dir && !walked_.insert({opened.Device, opened.Inode}).second) return;
    if (!events_->NewFolder(folder)) return;
    if (!opened.Dir) return ReportFolderError(folder, opened.Error);
    if (events_->Stopped()) return;

    const int folderFd = dirfd(opened.Dir.get());
    int error = 0;
    const std::vector<TListedName> names = ReadNames(opened.Dir.get(), error);
    // Each name is matched against the masks once; matchesOf[k] numbers the matches of masks[k].
    std::vector<std::vector<std::size_t>> matchesOf(masks.size());
    std::vector<std::size_t> wantedBy;  // the masks that the current name matches
    std::vector<DirEntry> matches;      // entries that pass the filters, in name order
    std::vector<std::string> subfolders;
    // One file looked up shows that the folder lets its names be looked up (a folder that may be
    // listed but not entered does not); the other listed files may then be taken as listed.
    bool lookUpsWork = false;
    for (const TListedName& listed : names) {
        wantedBy.clear();
        for (std::size_t k = 0; k < masks.size(); ++k)
            if (MatchesFileName(listed.Name, masks[k])) wantedBy.push_back(k);
        const bool wanted = !wantedBy.empty();
        const bool mayBeFolder =
            criteria_.Subfolders && (listed.Type == DT_DIR || listed.Type == DT_LNK || listed.Type == DT_UNKNOWN);
        if (!wanted && !mayBeFolder) continue;

        // A listed folder needs no look-up of its own unless it is to be reported.
        std::optional<DirEntry> entry;
        int statError = 0;
        if (wanted && listed.Type == DT_REG && lookUpsWork && !lookUpEveryFile_) {
            entry = ListedFile(listed, opened.Device);
        } else if (wanted || listed.Type != DT_DIR) {
            entry = StatEntry(folderFd, listed.Name, statError);
            lookUpsWork = lookUpsWork || entry.has_value();
        }
        // A name that vanished, or a link that leads nowhere, is no file; any other failure (a
        // folder that may be listed but not entered) hides the folder's files.
        if (!entry && statError != ENOENT && statError != ELOOP && statError != 0 && error == 0)
            error = statError;
        const bool isFolder = listed.Type == DT_DIR || (entry && (entry->Attributes & ffDirectory) != 0);
        if (wanted && entry && FileMatches(criteria_, folder, *entry)) {
            for (const std::size_t k : wantedBy) matchesOf[k].push_back(matches.size());
            matches.push_back(std::move(*entry));
        }
        if (events_->Stopped()) return;
        if (mayBeFolder && isFolder) subfolders.push_back(listed.Name);
    }
    opened.Dir.reset();  // deep trees must not hold one open folder per level
    // Mask by mask, as separate searches would report them: an entry two masks match, twice.
    for (const std::vector<std::size_t>& ofMask : matchesOf) {
        for (const std::size_t match : ofMask) {
            events_->Found(folder, matches[match]);
            if (events_->Stopped()) return;
        }
    }
    if (error != 0) ReportFolderError(folder, error);

    for (const std::string& name : subfolders) {
        SearchFolder(folder + name + '/', masks);
        if (events_->Stopped()) return;
    }
}

void TSearchWalk::ReportFolderError(const std::string& folder, int error) {
    if (events_->FolderError) events_->FolderError(folder, error);
}

}  // namespace parvex
