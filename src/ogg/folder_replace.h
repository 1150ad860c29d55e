#pragma once
// Replacing one file of a folder by a newly written one, safely against whatever else happens in
// that folder meanwhile. The folder is opened once and every step works relative to it, so a folder
// swapped for a link cannot redirect the save. The new file is created without a name where the file
// system allows it (else under a random exclusive name), named only when it is complete, and renamed
// over the old file only after a check that the name still leads to exactly the file written. No
// other file of the folder is ever removed or replaced, except leftovers of killed saves of the
// same file, which carry a name of their own: "." + NAME + ".parvex-" + six random characters.
//
// A replacement goes in steps, so that a batch can take each step for a group of files at once:
// the new file is written (by the caller) and flushed to disk (FlushData), renamed over the old
// one (RenameOver), and its folder is flushed (FlushFolder). Commit takes the three in one go.

#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ogg/fd_io.h"
#include "ogg/header_reader.h"

namespace parvex {

// The moments of a replacement at which a test may interfere, in the order they come.
enum class TReplaceStep {
    FolderOpened,  // the folder is open and the old file checked
    TempNamed,     // the new file is written, flushed and has its temporary name
    Renamed,       // the new file has the old file's name; the folder is not flushed yet
};

// What tests may change about a replacement; the program never sets it.
struct TReplaceTesting {
    std::function<void(TReplaceStep)> Hook;
    bool NoUnnamedFiles = false;  // behave as on a file system without unnamed files
};
TReplaceTesting& ReplaceTesting();

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
    // The entries of the open folder `folder` named like temporary files; empty when it cannot be
    // listed.
    const std::vector<std::string>& In(int folder);

private:
    std::map<std::pair<dev_t, ino_t>, std::vector<std::string>> folders_;
};

class TFolderReplace {
public:
    // Opens the folder of `path` (links on the way are followed, as is a link that `path` itself is:
    // the file it leads to is the one replaced) and the old file in it for reading, and removes
    // leftovers of killed saves of the file (found through `leftovers` when given, else by listing
    // the folder). Raises std::runtime_error when the old file is not a regular file whose identity
    // is `expected`, and std::system_error when the folder or the file cannot be opened.
    TFolderReplace(const std::string& path, const FileIdentity& expected, TLeftoverIndex* leftovers = nullptr);
    ~TFolderReplace();
    TFolderReplace(const TFolderReplace&) = delete;
    TFolderReplace& operator=(const TFolderReplace&) = delete;

    int Folder() const { return folder_.Get(); }
    const std::string& Name() const { return name_; }
    int Old() const { return old_.Get(); }
    const struct stat& OldStat() const { return oldStat_; }

    // Creates the new file, empty, readable and writable by its owner only; returns its descriptor.
    int CreateTemp();
    // Starts writing the new file to disk without waiting for it.
    void StartFlush() const;
    // Returns once the new file is on disk. Raises std::system_error when it cannot be flushed.
    void FlushData() const;
    // Flushes the whole file system the new file is on, where that puts every file's data on disk
    // (ext4, XFS, Btrfs): one flush serves a group of new files there. False where it cannot or
    // did not; FlushData then flushes the file by itself.
    bool FlushFileSystem() const;
    // Names the new file and renames it over the old one; the folder is not flushed. Raises
    // std::runtime_error when the old file changed since it was opened or the new one lost its name
    // to another file, std::system_error on a failed step; the old file then stays as it was.
    void RenameOver();
    // Flushes the folder, so that the rename lasts; false, with a line in `notes`, where it cannot.
    bool FlushFolder(std::vector<std::string>& notes) const;
    // FlushData, RenameOver and FlushFolder.
    void Commit(std::vector<std::string>& notes);

private:
    void RemoveLeftovers(TLeftoverIndex* leftovers) const;
    void GiveTempAName();
    bool TempNameIsOurs() const;

    TUniqueFd folder_;
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
