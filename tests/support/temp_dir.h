#pragma once
// A scoped temporary folder for tests: created empty, removed with everything in it.

#include <filesystem>
#include <string>
#include <string_view>

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

}  // namespace parvex::test
