#include "scan_test_tree.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <stdexcept>

namespace parvex::test {

std::filesystem::path ScanTreeTest::Make(const std::string& relative, const std::string& bytes) const {
    return tree_.Write(relative, bytes);
}

void ScanTreeTest::MakeFolder(const std::string& relative) const {
    std::filesystem::create_directories(tree_.Path() / relative);
}

std::string ScanTreeTest::Relative(const std::string& path) const {
    const std::string root = tree_.Path().string();
    if (path == root || path == root + "/") return ".";
    if (path.rfind(root + "/", 0) == 0) return path.substr(root.size() + 1);
    return path;
}

void Record(TFindFile& finder, TScanRecord& record, const ScanTreeTest& tree) {
    finder.OnFound = [&record, &tree](TFindFile&, const std::string& folder, const DirEntry& entry) {
        const std::string relativeFolder = tree.Relative(folder);
        record.Found.push_back(relativeFolder == "." ? entry.Name : relativeFolder + "/" + entry.Name);
    };
    finder.OnNewFolder = [&record, &tree](TFindFile&, const std::string& folder, bool&) {
        record.Folders.push_back(tree.Relative(folder));
    };
    finder.OnFolderError = [&record, &tree](TFindFile&, const std::string& folder,
                                            const std::string& reason) {
        record.FolderErrors.push_back(tree.Relative(folder) + ": " + reason);
    };
    finder.OnComplete = [&record](TFindFile&) { ++record.Completes; };
}

void SetFileTimes(const std::filesystem::path& path, TFileTime accessed, TFileTime modified) {
    const auto toSpec = [](TFileTime time) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
        return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    };
    const timespec times[2] = {toSpec(accessed), toSpec(modified)};
    if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("cannot set the times of " + path.string());
}

}  // namespace parvex::test
