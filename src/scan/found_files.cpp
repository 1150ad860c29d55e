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

void TFoundFileList::Clear() {
    index_.clear();
    entries_.clear();
}

}  // namespace parvex
