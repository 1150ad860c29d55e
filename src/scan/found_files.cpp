#include "scan/found_files.h"

namespace parvex {

bool TFoundFileList::Add(std::string_view folder, std::string_view name) {
    std::string entry(folder);
    if (entry.empty() || entry.back() != '/') entry += '/';
    entry.append("*").append(name);
    if (index_.contains(entry)) return false;
    entries_.push_back(std::move(entry));
    index_.insert(entries_.back());
    return true;
}

bool TFoundFileList::AddFile(std::string_view folder, const DirEntry& file) {
    const TFileId id{file.Device, file.Inode};
    if (files_.contains(id) || !Add(folder, file.Name)) return false;
    files_.insert(id);
    return true;
}

void TFoundFileList::Clear() {
    index_.clear();
    entries_.clear();
    files_.clear();
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
