// Reads through the read-ahead buffer give exactly the bytes a direct read gives, wherever they
// fall against the buffer's edges and the end of the file, for a file opened alone, for one opened
// in a run, whose first and last bytes were read ahead, and for one read through a caller's
// descriptor.

#include "fs/file_handle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "fs/open_files.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

constexpr int64_t kAhead = static_cast<int64_t>(TFileHandle::kReadAhead);

struct ReadsCase {
    const char* What;
    std::size_t FileSize;
    std::vector<std::pair<int64_t, std::size_t>> Reads;  // offset, count, in this order
};

void PrintTo(const ReadsCase& c, std::ostream* os) { *os << c.What; }

class ReadAhead : public ::testing::TestWithParam<ReadsCase> {};

TEST_P(ReadAhead, GivesTheFileBytesOfEveryRead) {
    const ReadsCase& c = GetParam();
    std::string bytes(c.FileSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    test::TempDir dir;
    const std::string path = dir.Write("a.ogg", bytes).string();
    const TFileHandle alone(path);
    TFileOpener opener;
    const std::span<TOpenedFile> run = opener.Open(std::span(&path, 1));
    ASSERT_TRUE(run[0].Handle);
    const TFileHandle onDescriptor(alone.Fd());
    const std::pair<const char*, const TFileHandle*> handles[] = {
        {"alone", &alone}, {"in a run", run[0].Handle.get()}, {"on a descriptor", &onDescriptor}};
    for (const auto& [how, file] : handles) {
        for (const auto& [offset, count] : c.Reads) {
            const std::string expected =
                offset < 0 || offset >= static_cast<int64_t>(bytes.size()) ? "" : bytes.substr(offset, count);
            EXPECT_EQ(file->ReadAt(offset, count), expected) << how << " " << offset << " " << count;
        }
    }
}

// A save reads back the new file it is writing through a handle on its own descriptor: the handle
// must leave that descriptor open, and its offset where the writer left it.
TEST(FileHandleOnDescriptor, LeavesTheCallersDescriptorOpenAndItsOffsetWhereItWas) {
    test::TempDir dir;
    const std::string path = dir.Write("a.ogg", std::string(3 * kAhead, 'x')).string();
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 5, SEEK_SET), 5);
    {
        const TFileHandle handle(fd);
        EXPECT_EQ(handle.Size(), 3 * kAhead);
        EXPECT_EQ(handle.ReadAt(2 * kAhead, 3), "xxx");
    }
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 5);
    EXPECT_EQ(::write(fd, "y", 1), 1);
    EXPECT_EQ(::close(fd), 0);
}

const int64_t kBig = 5 * kAhead + 123;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadAhead,
    ::testing::Values(
        ReadsCase{"small pieces of a file shorter than the buffer", 1000,
                  {{0, 10}, {10, 282}, {500, 600}, {999, 1}, {1000, 5}, {2000, 5}, {0, 1000}}},
        ReadsCase{"an empty file", 0, {{0, 10}, {0, 0}, {5, 1}}},
        ReadsCase{"a read straddling the buffer's end, then going on", std::size_t(kBig),
                  {{0, 10}, {kAhead - 5, 10}, {kAhead + 5, 100}, {3 * kAhead, 2 * kAhead}}},
        ReadsCase{"back to the start after the tail", std::size_t(kBig),
                  {{kBig - 12060, 12060}, {0, 27}, {kBig - 1, 1}, {kBig - 65307, 65307}, {27, 8}}},
        ReadsCase{"a read larger than the buffer, and one past the end", std::size_t(kBig),
                  {{100, std::size_t(3 * kAhead)}, {kBig - 10, 100}, {kBig + 10, 100}}},
        ReadsCase{"a negative offset and an empty read", 5000, {{-1, 10}, {4000, 0}, {0, 5000}}},
        ReadsCase{"a file one window long, read across its end", std::size_t(kAhead),
                  {{kAhead - 27, 27}, {kAhead - 5, 10}, {0, std::size_t(kAhead) + 1}, {kAhead, 1}}},
        ReadsCase{"a file whose last window begins where its first ends", std::size_t(kAhead + 300),
                  {{kAhead - 10, 20}, {kAhead + 290, 20}, {kAhead, 300}, {0, 30}, {kAhead - 1, 2}}},
        ReadsCase{"a file a little longer than its two windows", std::size_t(2 * kAhead + 7),
                  {{kAhead + 7, 100}, {kAhead, 10}, {kAhead + 3, 8}, {2 * kAhead, 7}, {0, 8}}},
        ReadsCase{"many reads walking the file page by page", std::size_t(kBig),
                  {{0, 4000}, {4000, 60000}, {64000, 1600}, {65600, 70000}, {135600, 190000}}}));

}  // namespace
}  // namespace parvex
