#pragma once
// Shared helpers of the scan tests: a temporary tree to build files in and a recorder of the events
// of a TFindFile, with paths shown relative to the tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scan/date_time.h"
#include "scan/find_file.h"
#include "support/temp_dir.h"

namespace parvex::test {

class ScanTreeTest : public testing::Test {
public:
    // Creates a file (parent folders too) and returns its full path.
    std::filesystem::path Make(const std::string& relative, const std::string& bytes = "") const;
    void MakeFolder(const std::string& relative) const;
    // The tree's folder as the component takes it: ending in "/".
    std::string Root() const { return tree_.Dir(); }
    // `path` with the tree's folder cut off; "." for the tree's folder itself.
    std::string Relative(const std::string& path) const;

protected:
    TempDir tree_;
};

// Records the events of one component as relative paths ("sub/a.ogg"; "." for the tree's folder).
struct TScanRecord {
    std::vector<std::string> Found;
    std::vector<std::string> Folders;
    std::vector<std::string> FolderErrors;  // "folder: reason"
    int Completes = 0;
};

// Binds OnFound, OnNewFolder, OnFolderError and OnComplete of `finder` to `record`.
void Record(TFindFile& finder, TScanRecord& record, const ScanTreeTest& tree);

// Sets the last-access and last-write times of `path`.
void SetFileTimes(const std::filesystem::path& path, TFileTime accessed, TFileTime modified);

}  // namespace parvex::test
