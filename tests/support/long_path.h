#pragma once
// A chain of folders under a test's folder whose full path grows longer than the system lets a path
// be (PATH_MAX), for the cases where a folder or a file can be listed but not opened by its path.
// Everything is made and removed relative to open folders, which works at any depth.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace parvex::test {

class TLongPath {
public:
    // Creates folders of 200-character names, each in the one before, under `base`, until the full
    // path of the deepest one is at least `length` characters long.
    TLongPath(const std::filesystem::path& base, std::size_t length);
    // Removes the chain with everything in it.
    ~TLongPath();
    TLongPath(const TLongPath&) = delete;
    TLongPath& operator=(const TLongPath&) = delete;

    // The deepest folder's full path, ending in "/".
    const std::string& Deepest() const { return deepest_; }
    // Writes `bytes` as the file `name` of the deepest folder.
    void Write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path base_;
    std::vector<std::string> names_;  // the folders, outermost first
    std::string deepest_;
};

}  // namespace parvex::test
