#pragma once
// The folder walk behind TFindFile: target lists, the entry filter and the depth-first walk itself.
// It knows nothing about threads; TFindFile runs it in the caller's thread or in its worker.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scan/date_time.h"
#include "scan/dir_entry.h"

namespace parvex {

// What an entry must satisfy, copied from the component when a search starts so that changes made
// during the walk do not reach it. 0 means "no limit" for every date and size limit.
struct TSearchCriteria {
    bool Subfolders = true;
    TFileAttributes Attributes = ffArchive | ffReadonly | ffHidden | ffSystem;
    bool ExactAttribute = false;
    TDateTime CreatedBefore = 0, CreatedAfter = 0;
    TDateTime ModifiedBefore = 0, ModifiedAfter = 0;
    TDateTime AccessedBefore = 0, AccessedAfter = 0;
    std::int32_t SizeMin = 0, SizeMax = 0;  // bytes, both inclusive; not applied to folders
    std::vector<std::string> ExcludeFiles;  // masks for MatchesMask, tried against folder + name
    std::string Containing;                 // empty: no content test
    bool IgnoreCase = true;                 // for Containing, ASCII letters only
    // False: a regular file whose size, times and mode no filter needs is taken from the folder
    // listing without a look-up of its own. Its entry then has the name, ffArchive (and ffHidden),
    // the folder's device and the listed inode; Size, the times and ffReadonly are left unset.
    bool Details = true;

    // Whether an entry must be looked up for the filters (or the caller) to judge it.
    bool NeedsLookUp() const;
};

// The hooks through which the walk reports. Folders are passed with their trailing "/".
struct TSearchEvents {
    std::function<bool(const std::string& folder)> NewFolder;  // false: skip the folder and its tree
    std::function<void(const std::string& folder, const DirEntry& entry)> Found;
    std::function<bool()> Stopped;  // tested before each listing and after each entry
    // A folder that cannot be listed, or whose entries cannot be examined: its files are never
    // reached. `error` is the errno value.
    std::function<void(const std::string& folder, int error)> FolderError;
};

// Folder-plus-mask targets from ";"-separated folders and masks: every part but the last trimmed,
// an empty folder meaning the current one, folders made absolute with a trailing "/", masks
// completed by CompleteMask; a folder listed twice (compared exactly) or a mask listed twice
// (compared without regard to ASCII case) taken once. Each folder is paired with each mask in order.
std::vector<std::string> BuildTargets(std::string_view location, std::string_view filename);

// Splits a ";"-separated list: every part but the last trimmed of blanks and control characters,
// the last taken as it stands; ends when the rest, trimmed, is empty. An empty text gives one empty
// part.
std::vector<std::string> SplitList(std::string_view text);

// `folder` made absolute against the current folder, normalised and ending in "/"; empty means ".".
std::string AbsoluteFolder(std::string_view folder);

// Whether the entry found in `folder` (ending in "/") passes the filters, tested in this order:
// kind (only regular files and folders: fifos, sockets and devices are never reported), attributes,
// size, creation, last-write and last-access time, exclusions, content.
bool FileMatches(const TSearchCriteria& criteria, const std::string& folder, const DirEntry& entry);

// Whether the file at `path` holds `text`, compared byte for byte (ASCII case folded when
// `ignoreCase`); found also where it spans two read blocks. A file that cannot be read holds nothing.
bool ContainsText(const std::string& path, std::string_view text, bool ignoreCase);

class TSearchWalk {
public:
    TSearchWalk(TSearchCriteria criteria, std::vector<std::string> targets);

    // Walks every target in order: the target's folder part (made absolute) with its name part as
    // the mask. Targets that follow each other with the same folder part are walked together: each
    // folder is listed once and its matches reported mask by mask (an entry two masks match twice).
    // Within a folder every match is reported before anything of its subfolders, entries in byte
    // order of their names. A folder reached a second time within one walk (through a link) is
    // skipped; one that cannot be listed (or only in part, or whose entries cannot be examined) is
    // reported to FolderError once, with what could be read of it still walked. Exceptions of the
    // hooks pass to the caller and end the walk.
    void Run(const TSearchEvents& events);

private:
    using TFolderId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

    void SearchFolder(const std::string& folder, const std::vector<std::string_view>& masks);
    void ReportFolderError(const std::string& folder, int error);

    TSearchCriteria criteria_;
    bool lookUpEveryFile_;
    std::vector<std::string> targets_;
    const TSearchEvents* events_ = nullptr;
    std::set<TFolderId> walked_;
};

}  // namespace parvex
