// Files encoded by oggenc (tests/data/make_data.sh): what the reader reports must agree with the
// encoder's settings and with what vorbiscomment lists.
#include <gtest/gtest.h>

#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "support/page_walker.h"

namespace parvex {
namespace {

struct RealFile {
    const char* Name;
    int Channels;
    uint32_t SampleRate;
    double Seconds;
    int64_t OggDataStart;
};

class RealFiles : public ::testing::TestWithParam<RealFile> {
protected:
    static std::string PathOf(const RealFile& f) { return std::string(PARVEX_TEST_DATA) + "/" + f.Name; }
};

TEST_P(RealFiles, StreamInformationMatchesTheEncoding) {
    const RealFile& f = GetParam();
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(PathOf(f)));
    EXPECT_EQ(file.Channels, f.Channels);
    EXPECT_EQ(file.SampleRate, f.SampleRate);
    EXPECT_EQ(file.OggDataStart, f.OggDataStart);
    EXPECT_NEAR(file.Duration(), f.Seconds, 0.01);
    EXPECT_GT(file.BitRate(), 0);
    EXPECT_NE(file.Vendor.find("Xiph.Org libVorbis"), std::string::npos);
}

TEST_P(RealFiles, CommentsMatchVorbiscomment) {
    const RealFile& f = GetParam();
    bool available = false;
    const std::vector<std::string> expected = test::VorbiscommentList(PathOf(f), available);
    if (!available) GTEST_SKIP() << "vorbiscomment is not installed";
    FileInfo info;
    ASSERT_TRUE(ReadFileInfo(PathOf(f), info));
    std::vector<std::string> read;
    for (std::size_t k = 1; k < info.Tag.Count(); ++k) read.push_back(info.Tag.Names[k] + "=" + info.Tag.Values[k]);
    EXPECT_EQ(read, expected);
    EXPECT_TRUE(info.HeadersComplete);
    EXPECT_FALSE(info.CommentDamaged);
}

INSTANTIATE_TEST_SUITE_P(Encoded, RealFiles,
                         ::testing::Values(RealFile{"mono-8khz.ogg", 1, 8000, 1.5, 0},
                                           RealFile{"stereo-44khz.ogg", 2, 44100, 1.0, 0},
                                           RealFile{"stereo-96khz.ogg", 2, 96000, 0.5, 0},
                                           RealFile{"unicode.ogg", 1, 22050, 0.5, 0},
                                           RealFile{"id3v2-front.ogg", 2, 44100, 1.0, 1034},
                                           RealFile{"cover-art.ogg", 1, 8000, 1.0, 0}),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(RealFileFields, SortedAsTheFileObjectShowsThem) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(std::string(PARVEX_TEST_DATA) + "/stereo-44khz.ogg"));
    EXPECT_EQ(file.Title, "Two tones");
    EXPECT_EQ(file.Artist, "First");
    EXPECT_EQ(file.Comment, "Made by a script");
    EXPECT_EQ(file.OtherTags, (std::vector<std::string>{"ARTIST=Second", "MOOD=calm"}));
    ASSERT_TRUE(file.LoadFromFile(std::string(PARVEX_TEST_DATA) + "/unicode.ogg"));
    EXPECT_EQ(file.Album, "Ελληνικά 🎵 emoji 🎸");
    ASSERT_TRUE(file.LoadFromFile(std::string(PARVEX_TEST_DATA) + "/cover-art.ogg"));
    ASSERT_EQ(file.OtherTags.size(), 1u);
    EXPECT_GT(file.OtherTags[0].size(), 120000u);
}

}  // namespace
}  // namespace parvex
