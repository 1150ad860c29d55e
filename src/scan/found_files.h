#pragma once
// The files of the current scan, each listed once, in the order they were found. An entry is the
// folder (ending in "/"), "*", and the file name. Folder and file names may themselves hold "*", so
// an entry splits after its last "/": the folder is what comes before, the name what follows the "*".

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parvex {

class TFoundFileList {
public:
    TFoundFileList() = default;
    TFoundFileList(const TFoundFileList&) = delete;
    TFoundFileList& operator=(const TFoundFileList&) = delete;

    // Appends folder (given a trailing "/" when it lacks one) + "*" + name unless exactly that entry
    // is already listed. Entries compare byte for byte: "a.ogg" and "A.ogg" are two files on a
    // case-sensitive file system. Returns whether the entry was added.
    // A batch run lists every path too: which paths lead to one file (a link, a second name) only
    // the opened file tells (see PlanRun), not a folder listing's inode numbers.
    bool Add(std::string_view folder, std::string_view name);
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
    // A set of numbered keys kept in one array of slots (open addressing, at most half full), so
    // that a scan of many files neither allocates per key nor chases nodes when it grows.
    class THashIndex {
    public:
        // The slot of the key of `hash` that `same` (given a key's number) accepts, or else the free
        // slot where that key would go; room for one more key is made first.
        template <class TSame>
        std::size_t Find(std::uint32_t hash, TSame same) {
            if (2 * (used_ + 1) > slots_.size()) Grow();
            const std::size_t mask = slots_.size() - 1;
            std::size_t at = hash & mask;
            while (Holds(at) && !(slots_[at].Hash == hash && same(slots_[at].Number - 1))) at = (at + 1) & mask;
            return at;
        }
        bool Holds(std::size_t slot) const { return slots_[slot].Number != 0; }
        // Gives the free `slot` that Find returned to the key numbered `number`.
        void Fill(std::size_t slot, std::uint32_t hash, std::size_t number);
        void Clear();

    private:
        struct TSlot {
            std::uint32_t Hash = 0;
            std::uint32_t Number = 0;  // the key's number plus one; 0: free
        };
        void Grow();

        std::vector<TSlot> slots_;
        std::size_t used_ = 0;
    };

    std::deque<std::string> entries_;  // numbered in order for index_
    THashIndex index_;
};

}  // namespace parvex
