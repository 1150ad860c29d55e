#pragma once
// The files of the current scan, each listed once, in the order they were found. An entry is the
// folder (ending in "/"), "*", and the file name. Folder and file names may themselves hold "*", so
// an entry splits after its last "/": the folder is what comes before, the name what follows the "*".

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "scan/dir_entry.h"

namespace parvex {

class TFoundFileList {
public:
    TFoundFileList() = default;
    TFoundFileList(const TFoundFileList&) = delete;
    TFoundFileList& operator=(const TFoundFileList&) = delete;

    // Appends folder (given a trailing "/" when it lacks one) + "*" + name unless exactly that entry
    // is already listed. Entries compare byte for byte: "a.ogg" and "A.ogg" are two files on a
    // case-sensitive file system. Returns whether the entry was added.
    bool Add(std::string_view folder, std::string_view name);
    // The same for a file of a batch run, which must be worked on once however many paths lead to
    // it: an entry whose file (device and inode) is already listed under another path, through a
    // link or a second name, is not added either.
    bool AddFile(std::string_view folder, const DirEntry& file);
    void Clear();

    // An entry split into its folder (with its trailing "/") and its file name.
    static std::pair<std::string, std::string> Split(const std::string& entry);
    // The file names of every entry, in order.
    std::vector<std::string> Names() const;

    std::size_t Count() const { return entries_.size(); }
    // The entry at `index` (0-based), in order of insertion.
    const std::string& operator[](std::size_t index) const { return entries_[index]; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    using TFileId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

    std::deque<std::string> entries_;         // a deque never moves its elements...
    std::unordered_set<std::string_view> index_;  // ...so the index can view them
    std::set<TFileId> files_;                     // the files added by AddFile
};

}  // namespace parvex
