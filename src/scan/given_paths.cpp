#include "scan/given_paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace parvex {

namespace {

// The absolute folder of the file at `path`, ending in "/".
std::string FolderOfFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    std::filesystem::path folder = std::filesystem::absolute(parent.empty() ? "." : parent, error);
    std::string text = (error ? parent : folder).lexically_normal().string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

}  // namespace

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void FindGivenFiles(TFindFile& finder, const std::vector<std::string>& paths, TFoundFileList& found) {
    for (const std::string& path : paths) {
        if (!IsFolder(path)) {
            found.Add(FolderOfFile(path), std::filesystem::path(path).filename().string());
            continue;
        }
        finder.SetLocation(path);
        finder.Search();
    }
}

std::vector<std::string> FoldersOfGivenPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> folders;
    for (const std::string& path : paths) {
        std::string folder = IsFolder(path) ? path : FolderOfFile(path);
        // Many files of one folder (a list from find and xargs) name it once.
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(std::move(folder));
    }
    return folders;
}

}  // namespace parvex
