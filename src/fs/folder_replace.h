#pragma once
// Replacing one file of a folder by a newly written one, safely against whatever else happens in
// that folder meanwhile. The folder is opened once and every step works relative to it, so a folder
// swapped for a link cannot redirect the save. The new file is created without a name where the file
// system allows it (else under a random exclusive name), named only when it is complete, and renamed
// over the old file only after a check that the name still leads to exactly the file written. No
// other file of the folder is ever removed or replaced, except leftovers of killed saves of the
// same file, which carry a name of their own: "." + NAME + ".parvex-" + six random characters.
//
// The last step exchanges the two names in one step (RENAME_EXCHANGE), then checks through the
// descriptors held that the old name leads to the file written and the temporary name to the old
// file, unchanged; where either is wrong the names are exchanged back. Another process that swaps
// the temporary name for a link, or changes the old file, at any moment before the exchange is so
// caught. On a file system that cannot exchange names, a plain rename follows the same checks, and
// a swap in the moment between the last check and the rename can only be reported, not undone.
//
// A replacement goes in steps, so that a batch can take each step for a group of files at once:
// the new file is written (by the caller) and flushed to disk (FlushData), renamed over the old
// one (RenameOver), and its folder is flushed (FlushFolder). Commit takes the three in one go.

#include <sys/stat.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fs/fd_io.h"
#include "fs/file_identity.h"

namespace parvex {

// The moments of a replacement at which a test may interfere or look on, in the order they come.
enum class TReplaceStep {
    FolderOpened,       // the folder is open and the old file checked
    DataFlushed,        // the new file is on disk (FlushData)
    FileSystemFlushed,  // a whole file system is on disk (FlushFileSystemOf)
    TempNamed,          // the new file is written, flushed and has its temporary name
    Exchanging,         // the new file is about to take the old one's place (checked after)
    Renamed,            // the new file has the old file's name; the folder is not flushed yet
    FolderFlushed,      // a folder is on disk (FlushFolder)
};

// What tests may change about a replacement; the program never sets it.
struct TReplaceTesting {
    std::function<void(TReplaceStep)> Hook;
    bool NoUnnamedFiles = false;  // behave as on a file system without unnamed files
    bool NoExchange = false;      // behave as on a file system that cannot exchange two names
};
TReplaceTesting& ReplaceTesting();

// What a save reports when the file it is to replace is not the one it was told to expect (another
// file under its name, or the same file with another size or modification time).
class EFileChanged : public std::runtime_error {
public:
    EFileChanged() : std::runtime_error("the file changed while it was being saved") {}
};

// A folder open for the saves of its files; the saves of a batch share one.
struct TOpenFolder {
    TUniqueFd Fd;
    dev_t Device = 0;
    ino_t Inode = 0;
    bool PathOnly = false;  // opened without read permission: it can be neither listed nor flushed
    bool AppendOnly = false;  // files can be made in it, but none removed or replaced
};
using TSharedFolder = std::shared_ptr<const TOpenFolder>;

// Opens the folder `path`; where its last part is a link, that is followed only with `followLink`.
// Raises std::system_error when it cannot.
TSharedFolder OpenSharedFolder(const std::string& path, bool followLink = true);

// Flushes the whole file system the descriptor `fd` is on, where that puts every file's data and
// every folder on disk (ext4, XFS, Btrfs). False where it cannot or did not.
bool FlushFileSystemOf(int fd);
// Flushes the folder, so that the renames in it last; false, with a line in `notes`, where it
// cannot.
bool FlushFolder(const TOpenFolder& folder, std::vector<std::string>& notes);

// Whether `entry` is the name of a temporary file of a save of `name`.
bool IsTempNameOf(std::string_view entry, std::string_view name);

// Removes the temporary files of the saves in progress that have a name yet. Safe to call from a
// signal handler; those saves then fail.
void RemoveCurrentTempFile();

// The names in folders that may be leftovers of killed saves of any file, each folder listed once.
// A batch run shares one among its saves, so that saving many files of a folder lists it once,
// not once per file. A leftover made after its folder was listed waits for a later run.
class TLeftoverIndex {
public:
    // The entries of the open folder named like temporary files; empty when it cannot be listed.
    // May be called from several threads at once.
    const std::vector<std::string>& In(const TOpenFolder& folder);

private:
    std::mutex mutex_;
    std::map<std::pair<dev_t, ino_t>, std::vector<std::string>> folders_;
};

class TFolderReplace {
public:
    // Opens the folder of `path` (links on the way are followed, as is a link that `path` itself is:
    // the file it leads to is the one replaced) and the old file in it for reading, and removes
    // leftovers of killed saves of the file (found through `leftovers` when given, else by listing
    // the folder). Raises EFileChanged when the old file is not a regular file whose identity is
    // `expected`, std::system_error when the folder or the file cannot be opened, and
    // std::runtime_error naming a leftover that cannot be removed.
    TFolderReplace(const std::string& path, const FileIdentity& expected, TLeftoverIndex* leftovers = nullptr);
    // The same for the file `name` of the open `folder`, which is not followed where it is a link
    // (std::system_error with ELOOP: the path's constructor then follows it).
    TFolderReplace(TSharedFolder folder, std::string name, const FileIdentity& expected,
                   TLeftoverIndex* leftovers);
    ~TFolderReplace();
    TFolderReplace(const TFolderReplace&) = delete;
    TFolderReplace& operator=(const TFolderReplace&) = delete;

    int Folder() const { return folder_->Fd.Get(); }
    const TSharedFolder& SharedFolder() const { return folder_; }
    const std::string& Name() const { return name_; }
    int Old() const { return old_.Get(); }
    const struct stat& OldStat() const { return oldStat_; }

    // Creates the new file, empty, readable and writable by its owner only; returns its descriptor.
    // Raises std::runtime_error in an append-only folder, where it could never take the old file's
    // place nor be removed.
    int CreateTemp();
    // The new file's descriptor (CreateTemp), to read back what was written; -1 before.
    int New() const { return temp_.Get(); }
    // Starts writing the new file to disk without waiting for it.
    void StartFlush() const;
    // Returns once the new file is on disk. Raises std::system_error when it cannot be flushed.
    void FlushData() const;
    // FlushFileSystemOf the new file: one flush serves a group of new files there. False where it
    // cannot or did not; FlushData then flushes the file by itself.
    bool FlushFileSystem() const;
    // Names the new file and puts it in the old one's place; the folder is not flushed. Raises
    // EFileChanged when the old file changed since it was opened, std::runtime_error when the new one
    // lost its name to another file, std::system_error on a failed step; the old file then stays
    // as it was (see the note at the top for a file system without exchange).
    void RenameOver();
    // Flushes the folder, so that the rename lasts; false, with a line in `notes`, where it cannot.
    bool FlushFolder(std::vector<std::string>& notes) const;
    // The identity of the new file, once it has taken the old one's place. Raises std::system_error.
    FileIdentity NewIdentity() const;
    // Hands the old file's descriptor to the caller, who closes it. Once the new file took its place,
    // that close frees the old file's blocks.
    int ReleaseOld() { return old_.Release(); }
    // FlushData, RenameOver and FlushFolder.
    void Commit(std::vector<std::string>& notes);

private:
    void OpenOld(TLeftoverIndex* leftovers);
    void RemoveLeftovers(TLeftoverIndex* leftovers) const;
    void GiveTempAName();
    bool TempNameIsOurs() const;
    void CheckOldNamed() const;
    bool ExchangeWithOld();
    void RenameWithoutExchange();

    TSharedFolder folder_;
    std::string name_;
    TUniqueFd old_;
    struct stat oldStat_ {};
    FileIdentity expected_;
    TUniqueFd temp_;
    std::string tempName_;  // empty while the new file has no name
    int tempSlot_ = -1;     // where the name is published for RemoveCurrentTempFile
    bool committed_ = false;
};

}  // namespace parvex
