#pragma once
// A scoped temporary folder for tests: created empty, removed with everything in it.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder as the program writes directories: ending in "/".
    std::string Dir() const { return path_.string() + "/"; }
    // Writes `bytes` to `relative` (parent folders created) and returns the full path.
    std::filesystem::path Write(const std::string& relative, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadAll(const std::filesystem::path& file);

// The bytes of each file directly in `folder`, by file name: what a test compares before and after
// a run to see which files it touched.
std::map<std::string, std::string> FolderBytes(const std::filesystem::path& folder);
// The names of the entries of `folder`, sorted.
std::vector<std::string> FileNames(const std::filesystem::path& folder);
// The path of the test data file `name`.
std::filesystem::path TestData(const std::string& name);

}  // namespace parvex::test
