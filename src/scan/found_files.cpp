#include "scan/found_files.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>

namespace parvex {

namespace {

std::uint32_t HashOf(std::string_view entry) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(entry));
}

}  // namespace

void TFoundFileList::THashIndex::Grow() {
    std::vector<TSlot> old(std::max<std::size_t>(64, 2 * slots_.size()));
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const TSlot& slot : old) {
        if (slot.Number == 0) continue;
        std::size_t at = slot.Hash & mask;
        while (Holds(at)) at = (at + 1) & mask;
        slots_[at] = slot;
    }
}

void TFoundFileList::THashIndex::Fill(std::size_t slot, std::uint32_t hash, std::size_t number) {
    if (number >= UINT32_MAX) throw std::length_error("too many files found");
    slots_[slot] = {hash, static_cast<std::uint32_t>(number + 1)};
    ++used_;
}

void TFoundFileList::THashIndex::Clear() {
    slots_.clear();
    used_ = 0;
}

bool TFoundFileList::Add(std::string_view folder, std::string_view name) {
    std::string entry;
    entry.reserve(folder.size() + 2 + name.size());
    entry.append(folder);
    if (entry.empty() || entry.back() != '/') entry += '/';
    entry.append("*").append(name);
    const std::uint32_t hash = HashOf(entry);
    const std::size_t slot = index_.Find(hash, [&](std::size_t number) { return entries_[number] == entry; });
    if (index_.Holds(slot)) return false;
    index_.Fill(slot, hash, entries_.size());
    entries_.push_back(std::move(entry));
    return true;
}

void TFoundFileList::Clear() {
    index_.Clear();
    entries_.clear();
}

// The name holds no "/", so the last "/" ends the folder, whatever "*" the folder's or the file's
// name holds.
std::pair<std::string, std::string> TFoundFileList::Split(const std::string& entry) {
    const std::size_t folderEnd = entry.rfind('/') + 1;
    return {entry.substr(0, folderEnd), entry.substr(folderEnd + 1)};
}

std::vector<std::string> TFoundFileList::Names() const {
    std::vector<std::string> names;
    for (const std::string& entry : entries_) names.push_back(Split(entry).second);
    return names;
}

}  // namespace parvex
