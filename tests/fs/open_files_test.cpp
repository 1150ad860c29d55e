// Files opened in runs come out as each would alone: the same failures, the same bytes, and no
// descriptor left open.

#include "fs/open_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>

#include "fs/open_error.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

// A missing file, a folder, a FIFO, an empty file and files of many sizes, over several runs.
std::vector<std::string> MixedPaths(const test::TempDir& dir) {
    const std::string fifo = (dir.Path() / "pipe.ogg").string();
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::vector<std::string> paths;
    const std::string others[] = {(dir.Path() / "missing.ogg").string(), dir.Path().string(), fifo};
    for (std::size_t i = 0; paths.size() < 2 * TFileOpener::kRunSize + 9; ++i) {
        const std::size_t size = i % 5 == 3 ? 0 : i * 997;  // every fifth file empty
        const std::string name = "f" + std::to_string(i) + ".ogg";
        paths.push_back(i % 5 < 3 ? others[i % 5]
                                  : dir.Write(name, std::string(size, static_cast<char>('a' + i % 26))).string());
    }
    return paths;
}

TEST(FileOpener, EachFileOfARunIsOpenedAsAloneAndNoDescriptorOutlivesTheOpener) {
    test::TempDir dir;
    const std::vector<std::string> paths = MixedPaths(dir);
    const std::size_t before = OpenDescriptors();
    {
        TFileOpener opener;
        for (std::size_t from = 0; from < paths.size(); from += TFileOpener::kRunSize) {
            const auto runPaths =
                std::span(paths).subspan(from, std::min(TFileOpener::kRunSize, paths.size() - from));
            const std::span<TOpenedFile> run = opener.Open(runPaths);
            ASSERT_EQ(run.size(), runPaths.size());
            for (std::size_t k = 0; k < run.size(); ++k) {
                SCOPED_TRACE(runPaths[k]);
                try {
                    const TFileHandle alone(runPaths[k]);
                    ASSERT_TRUE(run[k].Handle);
                    EXPECT_EQ(run[k].Handle->IsRegular(), alone.IsRegular());
                    EXPECT_EQ(run[k].Handle->Size(), alone.Size());
                    if (alone.IsRegular()) {
                        EXPECT_EQ(run[k].Handle->ReadAt(0, 1 << 20), alone.ReadAt(0, 1 << 20));
                    }
                } catch (const EFOpenError& e) {
                    EXPECT_FALSE(run[k].Handle);
                    EXPECT_EQ(run[k].Error, e.Error());
                }
            }
        }
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace parvex
