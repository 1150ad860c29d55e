#include "ogg/header_reader.h"

#include <gtest/gtest.h>
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "support/address_space.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::TempDir;
using Entries = std::vector<std::pair<std::string, std::string>>;

class HeaderReader : public ::testing::Test {
protected:
    bool Read(const std::string& bytes) {
        info_ = FileInfo{};
        return ReadFileInfo(dir_.Write("a.ogg", bytes).string(), info_);
    }
    bool ReadComments(const std::vector<std::string>& comments, const test::VorbisFileOptions& options = {}) {
        return Read(test::MakeVorbisFileFromPacket(test::CommentPacket(options.Vendor, comments), options));
    }
    std::vector<std::pair<std::string, std::string>> Comments() const {
        std::vector<std::pair<std::string, std::string>> out;
        for (std::size_t k = 1; k < info_.Tag.Count(); ++k) out.emplace_back(info_.Tag.Names[k], info_.Tag.Values[k]);
        return out;
    }
    TempDir dir_;
    FileInfo info_;
};

TEST_F(HeaderReader, ReadsStreamInformationAndLayout) {
    test::VorbisFileOptions options;
    options.Id3TagSize = 300;
    ASSERT_TRUE(ReadComments({"TITLE=Song"}, options));
    EXPECT_EQ(info_.OggDataStart, 300);
    EXPECT_EQ(info_.IdentHeader[11], 2);
    EXPECT_EQ(info_.SecondPagePos, 300 + 28 + 30);
    EXPECT_EQ(info_.Samples, 12 * 1024);
    EXPECT_TRUE(info_.IdentEndsPage);
    EXPECT_TRUE(info_.CommentOnSecondPage);
    EXPECT_TRUE(info_.LastHeaderEndsPage);
    EXPECT_TRUE(info_.HeadersComplete);
    EXPECT_FALSE(info_.CommentDamaged);
    EXPECT_FALSE(info_.Interleaved);
    ASSERT_EQ(info_.HeaderPages.size(), 1u);
    EXPECT_EQ(info_.Tag.CommentCount, 1u);
    EXPECT_EQ(info_.CommentTail, "\x01");
    // The comment packet: id (7), vendor length and vendor, count, one comment.
    const int64_t body = info_.SecondPagePos + 27 + info_.SecondPage.SegmentCount;
    EXPECT_EQ(info_.CommentsEnd, body + 7 + 4 + 19 + 4 + 4 + 10);
}

TEST_F(HeaderReader, VendorAloneGivesOneEntry) {
    ASSERT_TRUE(ReadComments({}));
    EXPECT_EQ(info_.Tag.Count(), 1u);
    EXPECT_EQ(info_.Tag.Values[0], "Parvex test encoder");
}

TEST_F(HeaderReader, VendorIsTakenWholeAndAsStored) {
    test::VorbisFileOptions options;
    options.Vendor = " Encoder=1.0 \xE9";
    ASSERT_TRUE(ReadComments({}, options));
    EXPECT_EQ(info_.Tag.Names[0], "");
    EXPECT_EQ(info_.Tag.Values[0], " Encoder=1.0 \xE9");
}

TEST_F(HeaderReader, SplitsNamesAndValues) {
    ASSERT_TRUE(ReadComments({"artist=Foo", "Artist = Foo ", "TITLE=", "no equals sign", "=x",
                              "a=b=c", "\t TITLE=\x01padded\x1F ", "Caf=Caf\xC3\xA9"}));
    EXPECT_EQ(Comments(), (Entries{{"artist", "Foo"},
                                   {"Artist ", "Foo"},
                                   {"TITLE", ""},
                                   {"", "no equals sign"},
                                   {"", "x"},
                                   {"a", "b=c"},
                                   {"\t TITLE", "padded"},  // a name keeps every byte, its letter case too
                                   {"Caf", "Caf\xC3\xA9"}}));
}

TEST_F(HeaderReader, LatinOneValuesBecomeUtf8) {
    ASSERT_TRUE(ReadComments({"TITLE=Caf\xE9", "ARTIST=\xC3"}));
    EXPECT_EQ(Comments(), (Entries{{"TITLE", "Caf\xC3\xA9"}, {"ARTIST", "\xC3\x83"}}));
}

TEST_F(HeaderReader, NothingIsCutShort) {
    std::vector<std::string> comments;
    for (int i = 0; i < 300; ++i) comments.push_back("N" + std::to_string(i) + "=" + std::string(300 + i, 'v'));
    ASSERT_TRUE(ReadComments(comments));
    ASSERT_EQ(info_.Tag.Count(), 301u);
    EXPECT_EQ(info_.Tag.Values[300], std::string(599, 'v'));
    EXPECT_FALSE(info_.CommentOnSecondPage);
    EXPECT_GT(info_.HeaderPages.size(), 1u);
}

TEST_F(HeaderReader, JoinsACommentPacketSpreadOverPages) {
    test::VorbisFileOptions options;
    options.HeaderSegmentsPerPage = 3;
    const std::string art(5000, 'A');
    ASSERT_TRUE(ReadComments({"TITLE=Song", "METADATA_BLOCK_PICTURE=" + art, "ARTIST=Band"}, options));
    EXPECT_EQ(Comments(), (Entries{{"TITLE", "Song"}, {"METADATA_BLOCK_PICTURE", art}, {"ARTIST", "Band"}}));
    EXPECT_FALSE(info_.CommentOnSecondPage);
    EXPECT_TRUE(info_.HeadersComplete);
    EXPECT_TRUE(info_.LastHeaderEndsPage);
    EXPECT_EQ(info_.SetupPacket, test::SetupPacket(3000));
    EXPECT_EQ(info_.CommentTail, "\x01");
    // About 20 segments of comments and 12 of setup header, three to a page.
    EXPECT_EQ(info_.HeaderPages.size(), 11u);
    for (std::size_t i = 1; i < info_.HeaderPages.size(); ++i)
        EXPECT_EQ(info_.HeaderPages[i].Pos, info_.HeaderPages[i - 1].End());
}

TEST_F(HeaderReader, LengthRunningPastThePacketMarksItDamaged) {
    std::string packet = test::CommentPacket("v", {"TITLE=A", "ARTIST=B"});
    // The second comment's length field claims more bytes than the packet holds.
    const std::size_t at = packet.find("ARTIST") - 4;
    packet[at + 2] = '\x10';
    ASSERT_TRUE(Read(test::MakeVorbisFileFromPacket(packet)));
    EXPECT_TRUE(info_.CommentDamaged);
    EXPECT_EQ(Comments(), (Entries{{"TITLE", "A"}}));
}

TEST_F(HeaderReader, HugeCommentCountIsDamageNotAnEndlessLoop) {
    std::string packet = test::CommentPacket("v", {"TITLE=A"});
    packet[7 + 4 + 1] = '\xFF', packet[7 + 4 + 1 + 1] = '\xFF';
    packet[7 + 4 + 1 + 2] = '\xFF', packet[7 + 4 + 1 + 3] = '\xFF';
    ASSERT_TRUE(Read(test::MakeVorbisFileFromPacket(packet)));
    EXPECT_TRUE(info_.CommentDamaged);
    EXPECT_EQ(info_.Tag.Count(), 2u);
}

// A comment packet of `count` empty comments: 4 bytes each on disk, far more in memory.
std::string EmptyComments(uint32_t count) {
    std::string packet("\x03vorbis\x01\x00\x00\x00v", 12);
    for (int i = 0; i < 4; ++i) packet += static_cast<char>((count >> (8 * i)) & 0xFF);
    packet.append(std::size_t{count} * 4, '\0');
    return packet + '\x01';
}

// Each empty comment costs 64 bytes in the table: 5,000,000 of them are beyond what a file's
// comments may take; 1,000,000 are not.
TEST_F(HeaderReader, ManyEmptyCommentsAreRefusedAsTooLargeRatherThanHeld) {
    ASSERT_TRUE(Read(test::MakeVorbisFileFromPacket(EmptyComments(5000000))));
    EXPECT_TRUE(info_.TooLarge);
    EXPECT_EQ(info_.Tag.Count(), 1u);  // the vendor alone
    ASSERT_TRUE(Read(test::MakeVorbisFileFromPacket(EmptyComments(1000000))));
    EXPECT_FALSE(info_.TooLarge);
    EXPECT_EQ(info_.Tag.Count(), 1000001u);
}

// A 32 MB header read under a limit on the address space: `extra` bytes beyond what the process
// holds before. The reader must stay within it and say the header is too large, never abort.
class MemoryLimit : public HeaderReader, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(MemoryLimit, LargeHeaderIsReadWithinAFewTimesItsSizeOrRefused) {
    if (test::kSanitized) GTEST_SKIP() << "address space limits do not work under the sanitizers";
    const std::string path =
        dir_.Write("big.ogg", test::MakeVorbisFileFromPacket(EmptyComments(8 << 20))).string();
    const int status = test::RunWithinAddressSpace(GetParam(), [&path] {
        TOggVorbis file;
        const bool loaded = file.LoadFromFile(path);
        return loaded && file.HeaderDamage == "the headers are too large to hold in memory" ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "-1: the reader was killed by a signal";
}

// Six times the header: enough for the reader's own bound. 16 MB: not even the packet fits.
INSTANTIATE_TEST_SUITE_P(Limits, MemoryLimit,
                         ::testing::Values(std::size_t{6} * (32 << 20), std::size_t{16} << 20));

TEST_F(HeaderReader, SecondPacketThatIsNoCommentHeaderLeavesTheTableEmpty) {
    std::string packet = test::CommentPacket("v", {"TITLE=A"});
    packet[0] = '\x04';
    ASSERT_TRUE(Read(test::MakeVorbisFileFromPacket(packet)));
    EXPECT_EQ(info_.Tag.Count(), 0u);
    EXPECT_EQ(info_.CommentsEnd, 0);
}

TEST_F(HeaderReader, RejectsWhatIsNeitherVorbisNorOpus) {
    EXPECT_FALSE(Read(""));
    EXPECT_FALSE(Read("OggS"));
    EXPECT_FALSE(Read(test::FillerBytes(100000, 3)));
    test::OggStreamBuilder speex(1);
    speex.AddPacket("Speex   1.2rc1" + std::string(66, '\0'), 0);
    speex.Flush();
    speex.AddPacket(test::CommentPacket("v", {}).substr(7), 0);
    speex.Flush(true);
    EXPECT_FALSE(Read(test::Concat(speex.TakePages())));
    test::OggStreamBuilder opus(1);
    opus.AddPacket(test::OpusHeadPacket(2, 312, 48000).substr(0, 18), 0);
    opus.Flush();
    opus.AddPacket(test::OpusTagsPacket("v", {}), 0);
    opus.Flush(true);
    EXPECT_FALSE(Read(test::Concat(opus.TakePages()))) << "an identification header cut short";
    test::OggStreamBuilder flac(2);
    flac.AddPacket("\x7F" "FLAC\x01\x00" + std::string(40, '\0'), 0);
    flac.Flush(true);
    EXPECT_FALSE(Read(test::Concat(flac.TakePages())));
}

TEST_F(HeaderReader, ADirectoryOrFifoIsNotRead) {
    std::filesystem::create_directory(dir_.Path() / "d.ogg");
    FileInfo info;
    EXPECT_FALSE(ReadFileInfo((dir_.Path() / "d.ogg").string(), info));
    const std::string fifo = (dir_.Path() / "f.ogg").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileInfo(fifo, info));
}

TEST_F(HeaderReader, MissingFileRaisesTheOpenErrorWithItsReason) {
    FileInfo info;
    const std::string path = (dir_.Path() / "missing.ogg").string();
    try {
        ReadFileInfo(path, info);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + path + ": no such file or directory");
        EXPECT_EQ(e.Reason(), "cannot be opened: no such file or directory");
    }
}

TEST_F(HeaderReader, HeadersInterleavedWithAnotherStreamAreReadButFlagged) {
    auto pages = test::VorbisStreamPages(test::CommentPacket("v", {"TITLE=A"}), {});
    test::OggStreamBuilder other(77);
    other.AddPacket("other stream", 0);
    other.Flush();
    pages.insert(pages.begin() + 1, other.TakePages().front());
    ASSERT_TRUE(Read(test::Concat(pages)));
    EXPECT_TRUE(info_.Interleaved);
    EXPECT_EQ(Comments(), (Entries{{"TITLE", "A"}}));
    EXPECT_EQ(info_.SecondPagePos, static_cast<int64_t>(pages[0].size() + pages[1].size()));
}

TEST_F(HeaderReader, EveryCutOfAFileReadsWithoutFault) {
    test::VorbisFileOptions options;
    options.HeaderSegmentsPerPage = 4;
    options.SetupSize = 700;
    options.AudioPages = 1;
    const auto pages = test::VorbisStreamPages(
        test::CommentPacket(options.Vendor, {"TITLE=Song", "ALBUM=" + std::string(600, 'a')}), options);
    const std::string file = test::Concat(pages);
    const std::size_t headersEnd = file.size() - pages.back().size();
    for (std::size_t size = 0; size <= file.size(); size += 7) {
        SCOPED_TRACE(size);
        if (Read(file.substr(0, size)))
            EXPECT_EQ(info_.HeadersComplete, size >= headersEnd);
        else
            EXPECT_EQ(info_.Tag.Count(), 0u);
    }
}

TEST_F(HeaderReader, CorruptedBytesNeverFault) {
    const std::string file = test::MakeVorbisFile({{"TITLE", "Song"}, {"ARTIST", "Band"}});
    for (uint32_t seed = 1; seed < 200; ++seed) {
        std::string damaged = file;
        const std::string noise = test::FillerBytes(8, seed);
        for (int k = 0; k < 4; ++k)
            damaged[static_cast<uint8_t>(noise[k]) * 7 % 400] = noise[k + 4];
        Read(damaged);
    }
}

}  // namespace
}  // namespace parvex
