// Any bytes as a file that is loaded, given new comments and saved: a save either leaves the file
// exactly as it was or gives a file that reads back with the new comments and can be saved again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fs/block_sharing.h"
#include "ogg/ogg_vorbis.h"

namespace {

// A folder for the file, on a memory file system where there is one: saves flush to disk.
const std::string& FilePath() {
    static const std::string path = [] {
        const char* base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string folder = std::string(base) + "/parvex-fuzz-XXXXXX";
        if (!mkdtemp(folder.data())) __builtin_trap();
        return folder + "/a.ogg";
    }();
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string& path = FilePath();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    parvex::TOggVorbis file;
    if (!file.LoadFromFile(path)) return 0;
    // The input's last bytes decide how much the comments grow, so that saves cross page limits.
    const std::size_t grow = size > 0 ? static_cast<std::size_t>(data[size - 1]) * 300 : 0;
    // The byte before decides whether saves pad as on a file system that shares 4 KB blocks.
    parvex::BlockSharingTesting().ForcedBlockSize = size > 1 && (data[size - 2] & 1) ? 4096 : 0;
    file.Title = "Fuzzed title";
    file.AddOtherTag("PADDING", std::string(grow, 'p'));
    if (!file.SaveToFile(path)) {
        if (ReadAll(path) != bytes) __builtin_trap();
        return 0;
    }
    parvex::TOggVorbis saved;
    if (!saved.LoadFromFile(path) || !saved.HeaderDamage.empty() || saved.Title != "Fuzzed title")
        __builtin_trap();
    if (!saved.SaveToFile(path)) __builtin_trap();
    return 0;
}
