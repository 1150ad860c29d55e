#pragma once
// Renaming a file without ever replacing another one.

#include <string>

namespace parvex {

// Renames `from` to `to` unless a file named `to` exists. Returns 0 on success, otherwise the errno
// value of the failure (EEXIST when the name is taken; EINVAL for a path holding a NUL byte); on
// failure both names are as they were. Uses renameat2 with RENAME_NOREPLACE, and RenameByLink on
// file systems that lack it.
int RenameNoReplace(const std::string& from, const std::string& to);

// The same by link() + unlink(): link() refuses an existing `to`. When the old name cannot be
// removed the new link is removed again, so the file keeps exactly its old name.
int RenameByLink(const std::string& from, const std::string& to);

}  // namespace parvex
