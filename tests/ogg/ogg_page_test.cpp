#include "ogg/ogg_page.h"

#include <gtest/gtest.h>

#include "fs/file_handle.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::TempDir;

TEST(PageCrc, MatchesTheChecksumsOfBuiltPages) {
    const auto pages = test::VorbisStreamPages(test::CommentPacket("v", {"A=b"}), {});
    ASSERT_GT(pages.size(), 3u);
    for (const std::string& page : pages) EXPECT_EQ(PageCrc(page), ReadLe32(page.data() + 22));
}

TEST(PageCrc, SealStoresLittleEndianAtOffset22) {
    std::string page = test::VorbisStreamPages(test::CommentPacket("v", {}), {})[1];
    const std::string original = page;
    page[22] = page[23] = page[24] = page[25] = '\x55';
    SealPage(page);
    EXPECT_EQ(page, original);
}

// The register stepped one bit at a time, straight from the polynomial.
uint32_t BitwiseCrc(uint32_t crc, std::string_view bytes) {
    for (const char c : bytes) {
        crc ^= static_cast<uint32_t>(static_cast<uint8_t>(c)) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

TEST(PageCrc, KnownValueOfTheCheckString) {
    uint32_t crc = 0;
    UpdatePageCrc(crc, "123456789", 9);
    EXPECT_EQ(crc, 0x89A1897Fu);
}

// Every length from 0 to 300 at every alignment, in one call and split in two: the eight-byte
// steps, the 16- and 64-byte folds and the byte-by-byte rest must agree with the bitwise register
// wherever they meet.
TEST(PageCrc, AgreesWithTheBitwiseRegisterAtEveryLengthAndAlignment) {
    std::string bytes(320, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 151 + 7);
    for (std::size_t start = 0; start < 16; ++start) {
        for (std::size_t length = 0; length <= 300; ++length) {
            const std::string_view piece = std::string_view(bytes).substr(start, length);
            uint32_t whole = 0xDEADBEEF;
            UpdatePageCrc(whole, piece.data(), piece.size());
            EXPECT_EQ(whole, BitwiseCrc(0xDEADBEEF, piece)) << start << " " << length;
            uint32_t split = 0xDEADBEEF;
            UpdatePageCrc(split, piece.data(), length / 3);
            UpdatePageCrc(split, piece.data() + length / 3, length - length / 3);
            EXPECT_EQ(split, whole) << start << " " << length;
        }
    }
}

TEST(PageCrc, ZeroRunEqualsFeedingZeroBytes) {
    const std::string zeros(1000, '\0');
    uint32_t a = 0x12345678, b = 0x12345678;
    UpdatePageCrc(a, zeros.data(), zeros.size());
    UpdatePageCrcWithZeros(b, zeros.size());
    EXPECT_EQ(a, b);
}

TEST(PageHeader, ParsesAndSerializesA255SegmentTable) {
    test::OggStreamBuilder stream(7);
    stream.AddPacket(std::string(255 * 254 + 3, 'x'), 42);
    stream.Flush();
    const std::string page = stream.TakePages().front();
    OggPageHeader header;
    ASSERT_TRUE(ParsePageHeader(page, header));
    EXPECT_EQ(header.SegmentCount, 255);
    EXPECT_EQ(header.BodySize(), 255u * 254 + 3);
    EXPECT_EQ(header.Serial, 7u);
    EXPECT_EQ(header.GranulePos, 42);
    EXPECT_EQ(header.Serialize(), page.substr(0, 282));
    EXPECT_FALSE(ParsePageHeader(page.substr(0, 281), header));
    EXPECT_FALSE(ParsePageHeader("OggT" + page.substr(4), header));
}

struct LeadingTagCase {
    std::string Head;
    std::size_t FileSize;
    int64_t Expected;
};

class LeadingTag : public ::testing::TestWithParam<LeadingTagCase> {};

TEST_P(LeadingTag, SizeOfTheTagInFront) {
    const LeadingTagCase& c = GetParam();
    TempDir dir;
    std::string bytes = c.Head;
    bytes.resize(c.FileSize, '\0');
    const TFileHandle file(dir.Write("a.ogg", bytes).string());
    EXPECT_EQ(LeadingTagSize(file), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeadingTag,
    ::testing::Values(LeadingTagCase{"OggS", 100, 0},
                      LeadingTagCase{std::string("ID3\4\0\0\0\0\2\1", 10), 300, 267},
                      LeadingTagCase{std::string("ID3\4\0\x10\0\0\2\1", 10), 300, 277},
                      LeadingTagCase{std::string("ID3\4\0\0\0\0\2\1", 10), 266, 0},
                      LeadingTagCase{std::string("ID3\4\0\0\0\0\2\1", 10), 267, 267},
                      LeadingTagCase{std::string("id3\4\0\0\0\0\2\1", 10), 300, 0},
                      LeadingTagCase{"ID3", 9, 0}));

class LastGranule : public ::testing::Test {
protected:
    int64_t Find(const std::string& bytes, uint32_t serial = 0x5EED1234, int64_t start = 0) {
        const TFileHandle file(dir_.Write("a.ogg", bytes).string());
        return FindLastGranule(file, serial, start);
    }
    TempDir dir_;
};

TEST_F(LastGranule, TakesTheLastPageOfTheStream) {
    test::VorbisFileOptions options;
    options.AudioPages = 5;
    options.SamplesPerPacket = 1000;
    const std::string file = test::MakeVorbisFile({}, options);
    EXPECT_EQ(Find(file), 5 * 4 * 1000);
    EXPECT_EQ(Find(file + std::string(9, '\0')), 20000);
    EXPECT_EQ(Find(file, 99), 0);
}

TEST_F(LastGranule, IgnoresALaterPageOfAnotherStream) {
    test::OggStreamBuilder other(99);
    other.AddPacket("other", 777777);
    other.Flush(true);
    const std::string file = test::MakeVorbisFile({}) + other.TakePages().front();
    EXPECT_EQ(Find(file), 12 * 1024);
    EXPECT_EQ(Find(file, 99), 777777);
}

// Normally the last page starts within the final 12 KB; a larger last page (as a second of surround
// Opus makes) is still found, as far back as the largest page reaches.
TEST_F(LastGranule, ReachesBackAsFarAsTheLargestPage) {
    test::VorbisFileOptions options;
    options.AudioPages = 1;
    const std::string file = test::MakeVorbisFile({}, options);
    const std::size_t lastPage = file.rfind("OggS");
    const std::size_t padTo = 12060 - (file.size() - lastPage);
    EXPECT_EQ(Find(file + std::string(padTo, '\0')), 4 * 1024);
    EXPECT_EQ(Find(file + std::string(padTo + 1, '\0')), 4 * 1024);
    const std::size_t largest = 27 + 255 + 255 * 255;
    EXPECT_EQ(Find(file + std::string(largest - (file.size() - lastPage), '\0')), 4 * 1024);
    EXPECT_EQ(Find(file + std::string(largest - (file.size() - lastPage) + 1, '\0')), 0);

    test::OggStreamBuilder stream(0x5EED1234);
    stream.AddPacket(std::string(200, 'h'), 0);
    stream.Flush();
    for (int k = 1; k <= 60; ++k) stream.AddPacket(std::string(900, 'a'), 960 * k);
    stream.Flush(true);
    const std::string bigPages = test::Concat(stream.TakePages());
    ASSERT_GT(bigPages.size() - bigPages.rfind("OggS"), 50000u);
    EXPECT_EQ(Find(bigPages), 60 * 960);
}

// A last page on which no packet ends (granule -1, as an empty end-of-stream page has) leaves the
// length to the page before it; only a stream of such pages has no known length.
TEST_F(LastGranule, APageWithoutGranuleLeavesItToThePageBefore) {
    test::OggStreamBuilder stream(0x5EED1234);
    stream.AddPacket(std::string(600, 'x'), 5);
    stream.Flush();
    stream.AddPacket(std::string(255 * 3, 'y'), 0);  // a packet still open at the page's end
    stream.SetMaxSegmentsPerPage(2);
    stream.Flush();
    const auto pages = stream.TakePages();
    EXPECT_EQ(Find(pages[0] + pages[1]), 5);
    EXPECT_EQ(Find(pages[1]), -1);
}

TEST_F(LastGranule, ShortFilesLookOnlyAtTheirOwnBytes) {
    EXPECT_EQ(Find(""), 0);
    EXPECT_EQ(Find("OggS"), 0);
    const std::string page = test::VorbisStreamPages(test::CommentPacket("v", {}), {}).back();
    EXPECT_EQ(Find(page), 12 * 1024);
    EXPECT_EQ(Find(page, 0x5EED1234, 1), 0);  // the page starts before the Ogg data
    EXPECT_EQ(Find(page.substr(0, 26)), 0);
    // A page whose fixed header just fits is found, among near misses of the page mark.
    EXPECT_EQ(Find(page.substr(0, 27)), 12 * 1024);
    EXPECT_EQ(Find("OgOggOO" + page.substr(0, 27) + "OggOgO"), 12 * 1024);
}

}  // namespace
}  // namespace parvex
