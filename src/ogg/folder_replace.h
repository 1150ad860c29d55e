#pragma once
// Replacing one file of a folder by a newly written one, safely against whatever else happens in
// that folder meanwhile. The folder is opened once and every step works relative to it, so a folder
// swapped for a link cannot redirect the save. The new file is created without a name where the file
// system allows it (else under a random exclusive name), named only when it is complete, and renamed
// over the old file only after a check that the name still leads to exactly the file written. No
// other file of the folder is ever removed or replaced, except leftovers of killed saves of the
// same file, which carry a name of their own: "." + NAME + ".parvex-" + six random characters.

#include <sys/stat.h>

#include <functional>
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
};

// What tests may change about a replacement; the program never sets it.
struct TReplaceTesting {
    std::function<void(TReplaceStep)> Hook;
    bool NoUnnamedFiles = false;  // behave as on a file system without unnamed files
};
TReplaceTesting& ReplaceTesting();

// Whether `entry` is the name of a temporary file of a save of `name`.
bool IsTempNameOf(std::string_view entry, std::string_view name);

// Removes the temporary file of the save in progress, if it has a name yet. Safe to call from a
// signal handler; the save itself then fails.
void RemoveCurrentTempFile();

class TFolderReplace {
public:
    // Opens the folder of `path` (links on the way are followed, as is a link that `path` itself is:
    // the file it leads to is the one replaced) and the old file in it for reading. Raises
    // std::runtime_error when the old file is not a regular file whose identity is `expected`, and
    // std::system_error when the folder or the file cannot be opened.
    TFolderReplace(const std::string& path, const FileIdentity& expected);
    ~TFolderReplace();
    TFolderReplace(const TFolderReplace&) = delete;
    TFolderReplace& operator=(const TFolderReplace&) = delete;

    int Folder() const { return folder_.Get(); }
    const std::string& Name() const { return name_; }
    int Old() const { return old_.Get(); }
    const struct stat& OldStat() const { return oldStat_; }

    // Creates the new file, empty, readable and writable by its owner only; returns its descriptor.
    int CreateTemp();
    // Flushes the new file, names it and renames it over the old one, then flushes the folder.
    // Raises std::runtime_error when the old file changed since it was opened or the new one lost
    // its name to another file, std::system_error on a failed step; the old file then stays as it
    // was. Where the folder cannot be flushed, `notes` receives a line saying so.
    void Commit(std::vector<std::string>& notes);

private:
    void RemoveLeftovers() const;
    void GiveTempAName();
    bool TempNameIsOurs() const;
    void FlushFolder(std::vector<std::string>& notes) const;

    TUniqueFd folder_;
    std::string name_;
    TUniqueFd old_;
    struct stat oldStat_ {};
    FileIdentity expected_;
    TUniqueFd temp_;
    std::string tempName_;  // empty while the new file has no name
    bool committed_ = false;
};

}  // namespace parvex
