#pragma once
// What a saved file keeps besides its bytes: who owns it, who may read and write it (permission
// bits, ACL) and its other extended attributes. A save replaces the file by a new one, so all of
// this is copied; where it cannot be, the save is refused rather than leave the file with another
// owner or wider access.

#include <sys/stat.h>

#include <string>
#include <vector>

namespace parvex {

// Raises std::runtime_error("permission denied") when the process neither owns the file `name` of
// the open folder `folder` (whose status is `old`) nor may write it: replacing it would make the
// process its owner.
void CheckMayRewrite(int folder, const std::string& name, const struct stat& old);

// Gives the new file `to` the owner, group, extended attributes (ACL included) and permission bits
// of the old file open as `from`, whose status is `old`. An ACL the new file inherited from its
// folder is dropped when the old file had none. An owner or group the process cannot give (a file
// it may write but does not own) is named in `notes`. Raises std::runtime_error with the reason in
// words when an attribute cannot be given, std::system_error when the old file's attributes cannot
// be read.
void CopyMetadata(int from, const struct stat& old, int to, std::vector<std::string>& notes);

// What a user must know about saving a file with other names (hard links): they keep the old
// tags. Empty for a file with one name.
std::string HardLinkNote(const struct stat& old);

}  // namespace parvex
