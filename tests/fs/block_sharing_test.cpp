// Saving where the file system can share blocks between the old and the new file: the comment packet
// is padded with zero bytes so that the audio keeps its offset modulo the block size, padding of
// earlier saves is reused rather than added to, and elsewhere files are written exactly as before.
#include "fs/block_sharing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>

#include "fs/fd_io.h"
#include "fs/file_handle.h"
#include "ogg/header_pages.h"
#include "ogg/ogg_vorbis.h"
#include "support/loop_mount.h"
#include "support/mutagen.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using Strings = std::vector<std::string>;

constexpr std::size_t kBlock = 4096;
// The most zero bytes a save pads with: a block and the lacing values they take.
constexpr std::size_t kMaxPadding = kBlock + kBlock / 255 + 2;

// Saves in its scope pad as on a file system of kBlock-byte blocks that shares them; the copy falls
// back to copying where the file system cannot share.
struct PadAsIfShared {
    PadAsIfShared() { BlockSharingTesting().ForcedBlockSize = kBlock; }
    ~PadAsIfShared() { BlockSharingTesting().ForcedBlockSize = 0; }
};

// Where the audio of a file begins (its first page with a positive granule position) and how many
// pages come before it.
struct AudioPlace {
    std::size_t Offset = 0;
    std::size_t PagesBefore = 0;
};

AudioPlace AudioPlaceOf(const std::string& bytes) {
    AudioPlace place;
    for (const test::WalkedPage& page : test::WalkOgg(bytes).Pages) {
        if (page.Granule > 0) {
            place.Offset = page.Offset;
            break;
        }
        ++place.PagesBefore;
    }
    return place;
}

// The bytes after the last comment that a save keeps before any padding: Vorbis's framing byte.
std::string KeptTail(bool opus) { return opus ? std::string() : std::string("\x01", 1); }

std::string TitleOf(std::size_t size) { return "TITLE=" + std::string(size, 't'); }

// A file of about 320 KB of audio whose comment packet holds a title of `titleSize` bytes and an
// artist, followed by `tail` (after Vorbis's framing byte).
std::string MakeFile(bool opus, std::size_t titleSize, const std::string& tail = "") {
    const Strings comments = {TitleOf(titleSize), "ARTIST=Band"};
    if (opus) {
        test::OpusFileOptions options;
        options.AudioPages = 40;
        options.AudioPacketSize = 1600;
        return test::MakeOpusFileFromPacket(test::OpusTagsPacket(options.Vendor, comments, tail), options);
    }
    test::VorbisFileOptions options;
    options.AudioPages = 40;
    options.AudioPacketSize = 2000;
    return test::MakeVorbisFileFromPacket(test::CommentPacket(options.Vendor, comments) + tail, options);
}

// Gives the file at `path` a title of `titleSize` bytes; returns the saved bytes.
std::string SaveTitle(const std::string& path, std::size_t titleSize) {
    TOggVorbis file;
    EXPECT_TRUE(file.LoadFromFile(path));
    file.Title = std::string(titleSize, 't');
    std::string reason;
    EXPECT_TRUE(file.SaveToFile(path, &reason)) << reason;
    return ReadAll(path);
}

// The saved file keeps the audio of `original`, holds the title, and its comment packet ends in the
// kept bytes and at most kMaxPadding zero bytes.
void ExpectPaddedSave(const std::string& original, const std::string& saved, bool opus, std::size_t titleSize) {
    EXPECT_TRUE(test::IsValidOgg(saved));
    EXPECT_TRUE(test::SameAudio(original, saved));
    const test::CommentHeader header = test::ReadCommentHeader(saved);
    EXPECT_EQ(header.Comments, (Strings{TitleOf(titleSize), "ARTIST=Band"}));
    const std::string kept = KeptTail(opus);
    EXPECT_TRUE(header.Tail.substr(0, kept.size()) == kept);
    EXPECT_EQ(header.Tail.find_first_not_of('\0', kept.size()), std::string::npos);
    EXPECT_LE(header.Tail.size(), kept.size() + kMaxPadding);
}

struct PaddedSaveCase {
    const char* Name;
    bool Opus;
    std::size_t OldTitle;
    std::size_t NewTitle;
    bool SamePages;  // the headers keep their count of pages, so the audio can keep its offset
};

void PrintTo(const PaddedSaveCase& c, std::ostream* out) { *out << c.Name; }

class PaddedSave : public ::testing::TestWithParam<PaddedSaveCase> {};

TEST_P(PaddedSave, KeepsTheAudioOffsetModuloTheBlockSize) {
    const PaddedSaveCase& c = GetParam();
    const PadAsIfShared sharing;
    const test::TempDir dir;
    const std::string original = MakeFile(c.Opus, c.OldTitle);
    const std::string path = dir.Write(c.Opus ? "a.opus" : "a.ogg", original).string();

    const std::string first = SaveTitle(path, c.NewTitle);
    ExpectPaddedSave(original, first, c.Opus, c.NewTitle);
    const AudioPlace before = AudioPlaceOf(original);
    const AudioPlace after = AudioPlaceOf(first);
    EXPECT_EQ(after.PagesBefore == before.PagesBefore, c.SamePages);
    if (c.SamePages) {
        EXPECT_EQ(after.Offset % kBlock, before.Offset % kBlock);
    }

    // A further change keeps the offset, and the same tags saved again give the same bytes: the
    // padding is reused, never added to.
    const std::string second = SaveTitle(path, c.NewTitle + 37);
    ExpectPaddedSave(original, second, c.Opus, c.NewTitle + 37);
    EXPECT_EQ(AudioPlaceOf(second).Offset % kBlock, after.Offset % kBlock);
    EXPECT_TRUE(SaveTitle(path, c.NewTitle + 37) == second);
}

// A title of 70,000 bytes takes the comment header over more than one page.
INSTANTIATE_TEST_SUITE_P(Layouts, PaddedSave,
                         ::testing::Values(PaddedSaveCase{"VorbisGrowsOnItsPage", false, 10, 900, true},
                                           PaddedSaveCase{"VorbisShrinksOnItsPage", false, 900, 10, true},
                                           PaddedSaveCase{"VorbisGrowsOntoMorePages", false, 10, 70000, false},
                                           PaddedSaveCase{"VorbisGrowsOnSeveralPages", false, 70000, 71000, true},
                                           PaddedSaveCase{"VorbisShrinksOnSeveralPages", false, 71000, 70000, true},
                                           PaddedSaveCase{"VorbisShrinksOntoOnePage", false, 70000, 10, false},
                                           PaddedSaveCase{"OpusGrowsOnItsPage", true, 10, 900, true},
                                           PaddedSaveCase{"OpusShrinksOnItsPage", true, 900, 10, true},
                                           PaddedSaveCase{"OpusGrowsOntoMorePages", true, 10, 70000, false},
                                           PaddedSaveCase{"OpusGrowsOnSeveralPages", true, 70000, 71000, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The comment packet and the setup header fill the second page almost to its 255 lacing values: the
// padding is written where the page holds it (the smaller titles) and left out where it would not.
TEST(PaddedSave, PadsAnAlmostFullPageOnlyAsFarAsItHolds) {
    const PadAsIfShared sharing;
    const std::string original = MakeFile(false, 56000);
    for (const std::size_t title : {55000, 57000, 59000, 60500, 61000, 61640}) {
        const test::TempDir dir;
        const std::string path = dir.Write("a.ogg", original).string();
        const std::string saved = SaveTitle(path, title);
        ExpectPaddedSave(original, saved, false, title);
        EXPECT_EQ(AudioPlaceOf(saved).PagesBefore, AudioPlaceOf(original).PagesBefore) << title;
        const bool aligned = AudioPlaceOf(saved).Offset % kBlock == AudioPlaceOf(original).Offset % kBlock;
        EXPECT_TRUE(aligned || test::ReadCommentHeader(saved).Tail == KeptTail(false)) << title;
    }
}

struct TailCase {
    const char* Name;
    bool Opus;
    std::string OldTail;  // after the last comment (after Vorbis's framing byte)
    bool Shared;
    bool Padded;  // the tail becomes the kept bytes and fresh padding; else it stays byte for byte
};

void PrintTo(const TailCase& c, std::ostream* out) { *out << c.Name; }

class CommentTail : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommentTail, PaddingIsReplacedOnlyWhereBlocksAreSharedAndDataIsKept) {
    const TailCase& c = GetParam();
    std::unique_ptr<PadAsIfShared> sharing;
    if (c.Shared) sharing = std::make_unique<PadAsIfShared>();
    const test::TempDir dir;
    const std::string original = MakeFile(c.Opus, 10, c.OldTail);
    const std::string path = dir.Write(c.Opus ? "a.opus" : "a.ogg", original).string();
    const std::string saved = SaveTitle(path, 20);
    EXPECT_TRUE(test::IsValidOgg(saved));
    EXPECT_TRUE(test::SameAudio(original, saved));
    const std::string tail = test::ReadCommentHeader(saved).Tail;
    if (!c.Padded) {
        EXPECT_TRUE(tail == KeptTail(c.Opus) + c.OldTail);
        return;
    }
    ExpectPaddedSave(original, saved, c.Opus, 20);
    EXPECT_EQ(AudioPlaceOf(saved).Offset % kBlock, AudioPlaceOf(original).Offset % kBlock);
}

const std::string kZeros(2000, '\0');
const std::string kManyZeros(3 * kBlock, '\0');

INSTANTIATE_TEST_SUITE_P(
    Tails, CommentTail,
    ::testing::Values(TailCase{"VorbisWithoutPaddingUnshared", false, "", false, false},
                      TailCase{"VorbisPaddingUnsharedIsKept", false, kZeros, false, false},
                      TailCase{"VorbisPaddingSharedIsReused", false, kZeros, true, true},
                      TailCase{"VorbisLongPaddingSharedShrinks", false, kManyZeros, true, true},
                      TailCase{"VorbisDataAfterTheFramingByteIsKept", false, std::string("\0\x07 data", 7), true, false},
                      TailCase{"OpusWithoutPaddingUnshared", true, "", false, false},
                      TailCase{"OpusPaddingUnsharedIsKept", true, kZeros, false, false},
                      TailCase{"OpusLongPaddingSharedShrinks", true, kManyZeros, true, true},
                      TailCase{"OpusBinaryDataIsKept", true, std::string("\x01\0binary", 8), true, false},
                      TailCase{"OpusOtherPaddingIsKept", true, std::string("\x02pad", 4), true, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PaddedSave, LongPaddingShrinksToLessThanABlock) {
    const PadAsIfShared sharing;
    const test::TempDir dir;
    const std::string original = MakeFile(false, 10, kManyZeros);
    const std::string path = dir.Write("a.ogg", original).string();
    const std::string saved = SaveTitle(path, 10);
    EXPECT_LT(saved.size(), original.size() - 2 * kBlock);
    EXPECT_EQ(AudioPlaceOf(saved).Offset % kBlock, AudioPlaceOf(original).Offset % kBlock);
}

// Peers must read a padded file as they read any other: the encoders' files, saved twice.
class PaddedRealFile : public ::testing::TestWithParam<const char*> {};

Strings UpperNames(Strings comments) {
    for (std::string& comment : comments)
        for (std::size_t k = 0; k < comment.find('=') && k < comment.size(); ++k)
            comment[k] = static_cast<char>(std::toupper(static_cast<unsigned char>(comment[k])));
    return comments;
}

TEST_P(PaddedRealFile, ReadsTheSameInEveryPeer) {
    const PadAsIfShared sharing;
    const test::TempDir dir;
    const std::string original = ReadAll(std::string(PARVEX_TEST_DATA) + "/" + GetParam());
    const std::string path = dir.Write(GetParam(), original).string();
    const bool opus = std::string(GetParam()).ends_with(".opus");
    for (const char* genre : {"Padded", "Padded once more"}) {
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(path));
        file.Genre = genre;
        ASSERT_TRUE(file.SaveToFile(path));
        const std::string saved = ReadAll(path);
        EXPECT_TRUE(test::IsValidOgg(saved));
        EXPECT_TRUE(test::SameAudio(original, saved));
        const Strings comments = test::ReadCommentHeader(saved).Comments;
        const Strings upper = UpperNames(comments);
        EXPECT_NE(std::find(upper.begin(), upper.end(), std::string("GENRE=") + genre), upper.end());
        EXPECT_TRUE(opus ? test::OpusinfoAccepts(path) : test::OgginfoAccepts(path));
        bool available = false;
        const Strings listed = opus ? Strings{} : test::VorbiscommentList(path, available);
        if (available) {
            EXPECT_EQ(listed, comments);
        }
        // mutagen reads no file with an ID3v2 tag in front, padded or not.
        if (const auto read = test::MutagenComments(path); read && !std::string(GetParam()).starts_with("id3v2")) {
            EXPECT_EQ(UpperNames(*read), UpperNames(comments));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Encoded, PaddedRealFile,
                         ::testing::Values("stereo-44khz.ogg", "id3v2-front.ogg", "cover-art.ogg", "stereo-48khz.opus",
                                           "cover-art.opus"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(HeaderLayout, CountsThePagesAndBytesTheHeadersAreLaidOn) {
    OggPageHeader model;
    model.Serial = 7;
    for (const std::vector<std::size_t>& sizes :
         std::vector<std::vector<std::size_t>>{{0}, {254}, {255}, {300, 3000}, {254 * 255, 0}, {255 * 255, 1},
                                               {70000, 3000}, {1, 255 * 255 * 2}}) {
        std::vector<std::string> packets;
        for (const std::size_t size : sizes) packets.emplace_back(size, 'p');
        const auto pages = LayHeaderPages({packets.begin(), packets.end()}, model, false);
        std::size_t bytes = 0;
        for (const std::string& page : pages) bytes += page.size();
        const HeaderLayout layout = HeaderLayoutOf(sizes);
        EXPECT_EQ(layout.Pages, pages.size()) << sizes.front();
        EXPECT_EQ(layout.Bytes, bytes) << sizes.front();
    }
}

// Copies between files in `folder` from offsets that do and do not agree with the target's modulo
// the block size, in whole blocks and with ragged ends; returns the bytes the copies left shared.
uint64_t ExpectCopiesWhole(const std::filesystem::path& folder, std::size_t shareBlock) {
    const std::string source = test::FillerBytes(8 * kBlock + 123, 5);
    const std::string from = (folder / "from").string();
    std::ofstream(from, std::ios::binary) << source;
    const TUniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    uint64_t shared = 0;
    struct CopyCase {
        std::size_t Prefix, Offset, Count;
    };
    for (const CopyCase& c : {CopyCase{0, 0, source.size()}, CopyCase{100, 100, source.size() - 100},
                              CopyCase{904, 5000, 2 * kBlock + 7}, CopyCase{100, 100, 3 * kBlock},
                              CopyCase{7, 100, source.size() - 100}, CopyCase{0, kBlock, 10}, CopyCase{5, 5, 0}}) {
        const std::string to = (folder / "to").string();
        std::ofstream(to, std::ios::binary | std::ios::trunc) << std::string(c.Prefix, 'x');
        {
            const TUniqueFd out(::open(to.c_str(), O_RDWR | O_CLOEXEC));
            EXPECT_GE(::lseek(out.Get(), 0, SEEK_END), 0);
            CopyRange(in.Get(), static_cast<int64_t>(c.Offset), static_cast<int64_t>(c.Count), out.Get(), shareBlock);
            WriteAll(out.Get(), "end");
        }
        EXPECT_TRUE(ReadAll(to) == std::string(c.Prefix, 'x') + source.substr(c.Offset, c.Count) + "end")
            << c.Prefix << " " << c.Offset << " " << c.Count;
        shared += test::SharedBytes(to);
    }
    return shared;
}

TEST(CopyRange, CopiesEveryByteWhereBlocksCannotBeShared) {
    const test::TempDir dir;
    ExpectCopiesWhole(dir.Path(), 0);
    ExpectCopiesWhole(dir.Path(), kBlock);
}

// Real file systems on a loop device: whether blocks are shared is found out, never assumed.
struct FileSystemCase {
    const char* Name;
    const char* Mkfs;
    bool Shares;
};

void PrintTo(const FileSystemCase& c, std::ostream* out) { *out << c.Name; }

class OnFileSystem : public ::testing::TestWithParam<FileSystemCase> {
protected:
    void SetUp() override {
        ForgetBlockSharing();
        mount_ = std::make_unique<test::LoopMount>(GetParam().Mkfs);
        if (!mount_->Mounted()) GTEST_SKIP() << "skipped: " << mount_->Why();
    }
    void TearDown() override {
        mount_.reset();
        ForgetBlockSharing();
    }
    std::unique_ptr<test::LoopMount> mount_;
};

TEST_P(OnFileSystem, SavesShareTheAudioBlocksWhereTheFileSystemCan) {
    for (const bool opus : {false, true}) {
        const std::string original = MakeFile(opus, 10);
        const std::string path = (mount_->Path() / (opus ? "a.opus" : "a.ogg")).string();
        std::ofstream(path, std::ios::binary) << original;
        // A second name keeps the old file's blocks in use, so that sharing shows after the save.
        const std::string keep = path + ".old";
        ASSERT_EQ(::link(path.c_str(), keep.c_str()), 0);
        const std::string saved = SaveTitle(path, 900);
        ExpectPaddedSave(original, saved, opus, 900);
        const std::size_t audio = AudioPlaceOf(saved).Offset;
        if (GetParam().Shares) {
            EXPECT_EQ(audio % kBlock, AudioPlaceOf(original).Offset % kBlock);
            // The first bytes, read back at once, are copied through memory.
            EXPECT_GE(test::SharedBytes(path), saved.size() - std::max(audio, TFileHandle::kReadAhead) - 2 * kBlock);
        } else {
            EXPECT_TRUE(test::ReadCommentHeader(saved).Tail == KeptTail(opus)) << "no padding";
            EXPECT_EQ(test::SharedBytes(path), 0u);
        }
        std::filesystem::remove(keep);
    }
}

TEST_P(OnFileSystem, CopiesShareWholeBlocksAtCongruentOffsets) {
    const uint64_t shared = ExpectCopiesWhole(mount_->Path(), kBlock);
    if (GetParam().Shares)
        EXPECT_GE(shared, 8 * kBlock);
    else
        EXPECT_EQ(shared, 0u);
}

TEST(BlockSharing, NoneOnTheTemporaryFolder) {
    const test::TempDir dir;
    const std::string path = dir.Write("a", "some bytes").string();
    const TUniqueFd from(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    const TUniqueFd to(::open((path + ".new").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    int status = 0;
    const std::string type = test::RunCommand("stat -f -c %T " + test::ShellQuote(dir.Dir()), status);
    if (type.starts_with("xfs") || type.starts_with("btrfs")) GTEST_SKIP() << "the temporary folder is on " << type;
    EXPECT_EQ(SharedBlockSize(from.Get(), to.Get()), 0u);
}

INSTANTIATE_TEST_SUITE_P(LoopDevice, OnFileSystem,
                         ::testing::Values(FileSystemCase{"XfsWithReflink", "mkfs.xfs -q -m reflink=1", true},
                                           FileSystemCase{"XfsWithoutReflink", "mkfs.xfs -q -m reflink=0", false},
                                           FileSystemCase{"Btrfs", "mkfs.btrfs -q", true}),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace parvex
