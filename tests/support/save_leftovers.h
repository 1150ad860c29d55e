#pragma once
// What a save leaves in the folder of the file it saved.

#include <filesystem>
#include <string>
#include <vector>

namespace parvex::test {

// The temporary files of saves of `file` that stand in its folder, as full paths.
std::vector<std::string> TempFilesBeside(const std::filesystem::path& file);

}  // namespace parvex::test
