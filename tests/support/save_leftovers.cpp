#include "support/save_leftovers.h"

#include "fs/folder_replace.h"

namespace parvex::test {

std::vector<std::string> TempFilesBeside(const std::filesystem::path& file) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path()))
        if (IsTempNameOf(entry.path().filename().string(), file.filename().string()))
            found.push_back(entry.path().string());
    return found;
}

}  // namespace parvex::test
