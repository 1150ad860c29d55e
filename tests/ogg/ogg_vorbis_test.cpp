#include "ogg/ogg_vorbis.h"

#include <gtest/gtest.h>

#include <limits>

#include "fs/open_error.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::TempDir;
using Lines = std::vector<std::string>;

class FileObject : public ::testing::Test {
protected:
    bool Load(const test::CommentList& comments, const test::VorbisFileOptions& options = {}) {
        return file_.LoadFromFile(test::WriteVorbisFile(dir_.Path() / "a.ogg", comments, options).string());
    }
    TempDir dir_;
    TOggVorbis file_;
};

TEST_F(FileObject, FillsStreamInformation) {
    test::VorbisFileOptions options;
    options.Channels = 1;
    options.SampleRate = 96000;
    options.NominalBitRate = 129500;
    options.Id3TagSize = 100;
    options.Vendor = "Xiph.Org libVorbis I 20200704 (Reducing Environment)";
    ASSERT_TRUE(Load({}, options));
    EXPECT_EQ(file_.Channels, 1);
    EXPECT_EQ(file_.SampleRate, 96000u);
    EXPECT_EQ(file_.NominalBitRate, 130);
    EXPECT_EQ(file_.OggDataStart, 100);
    EXPECT_EQ(file_.Samples, 12 * 1024);
    EXPECT_EQ(file_.FileSize, static_cast<int64_t>(std::filesystem::file_size(dir_.Path() / "a.ogg")));
    EXPECT_EQ(file_.Vendor, options.Vendor);
    EXPECT_EQ(file_.EntryCount, 1);
}

TEST_F(FileObject, NominalBitRateRoundsHalvesToEven) {
    test::VorbisFileOptions options;
    options.NominalBitRate = 128500;
    ASSERT_TRUE(Load({}, options));
    EXPECT_EQ(file_.NominalBitRate, 128);
    options.NominalBitRate = -1;
    ASSERT_TRUE(Load({}, options));
    EXPECT_EQ(file_.NominalBitRate, 0);
}

TEST_F(FileObject, SortsCommentsIntoFieldsFirstComeFirst) {
    ASSERT_TRUE(Load({{"TITLE", "A"},
                      {"TITLE", "B"},
                      {"DESCRIPTION", "X"},
                      {"COMMENT", "C"},
                      {"tracknumber", "3"},
                      {"mood", "calm"},
                      {"ARTIST", ""},
                      {"ARTIST", "Band"},
                      {"ALBUM", "Al"},
                      {"PERFORMER", "P"},
                      {"DATE", "2001"},
                      {"GENRE", "Rock"},
                      {"VERSION", "v"},
                      {"COPYRIGHT", "c"},
                      {"LICENSE", "l"},
                      {"ORGANIZATION", "o"},
                      {"LOCATION", "loc"},
                      {"CONTACT", "ct"},
                      {"ISRC", "i"}}));
    EXPECT_EQ(file_.Title, "A");
    EXPECT_EQ(file_.Comment, "X");
    EXPECT_EQ(file_.Track, "3");
    EXPECT_EQ(file_.Artist, "Band");
    EXPECT_EQ(file_.Album, "Al");
    EXPECT_EQ(file_.Performer, "P");
    EXPECT_EQ(file_.Date, "2001");
    EXPECT_EQ(file_.Genre, "Rock");
    EXPECT_EQ(file_.Version, "v");
    EXPECT_EQ(file_.Copyright, "c");
    EXPECT_EQ(file_.License, "l");
    EXPECT_EQ(file_.Organization, "o");
    EXPECT_EQ(file_.Location, "loc");
    EXPECT_EQ(file_.Contact, "ct");
    EXPECT_EQ(file_.ISRC, "i");
    EXPECT_EQ(file_.OtherTags, (Lines{"TITLE=B", "COMMENT=C", "mood=calm", "ARTIST="}));
    EXPECT_EQ(file_.EntryCount, 20);
}

TEST_F(FileObject, CommentBeforeDescriptionKeepsComment) {
    ASSERT_TRUE(Load({{"COMMENT", "C"}, {"DESCRIPTION", "X"}}));
    EXPECT_EQ(file_.Comment, "C");
    EXPECT_EQ(file_.OtherTags, (Lines{"DESCRIPTION=X"}));
}

// An empty value fills no field (a save would take an empty field for a removed comment): it is
// kept as a line of its own.
TEST_F(FileObject, EmptyValueLeavesTheFieldForALaterEntry) {
    ASSERT_TRUE(Load({{"TITLE", ""}, {"TITLE", "B"}}));
    EXPECT_EQ(file_.Title, "B");
    EXPECT_EQ(file_.OtherTags, (Lines{"TITLE="}));
}

TEST_F(FileObject, FailedLoadClearsWhatWasThere) {
    ASSERT_TRUE(Load({{"TITLE", "A"}, {"MOOD", "x"}}));
    const std::string junk = dir_.Write("junk.ogg", "not an ogg file at all").string();
    EXPECT_FALSE(file_.LoadFromFile(junk));
    EXPECT_EQ(file_.Title, "");
    EXPECT_EQ(file_.EntryCount, 0);
    EXPECT_EQ(file_.FileSize, 0);
    EXPECT_TRUE(file_.OtherTags.empty());
}

TEST_F(FileObject, MissingFileRaisesAndLeavesTheObjectCleared) {
    ASSERT_TRUE(Load({{"TITLE", "A"}}));
    EXPECT_THROW(file_.LoadFromFile((dir_.Path() / "gone.ogg").string()), EFOpenError);
    EXPECT_EQ(file_.Title, "");
    EXPECT_EQ(file_.EntryCount, 0);
}

TEST_F(FileObject, FileWithoutCommentHeaderReadsEmpty) {
    std::string packet = test::CommentPacket("v", {"TITLE=A"});
    packet[0] = '\x04';
    const std::string path = dir_.Write("b.ogg", test::MakeVorbisFileFromPacket(packet)).string();
    ASSERT_TRUE(file_.LoadFromFile(path));
    EXPECT_EQ(file_.EntryCount, 0);
    EXPECT_EQ(file_.Vendor, "");
    EXPECT_EQ(file_.Channels, 2);
}

TEST(FileObjectTiming, DurationAndBitRateFromTheSampleCount) {
    TOggVorbis f;
    f.Samples = 441000;
    f.SampleRate = 44100;
    f.FileSize = 160000 + 500;
    f.OggDataStart = 500;
    EXPECT_DOUBLE_EQ(f.Duration(), 10.0);
    EXPECT_EQ(f.BitRate(), 128);
    f.SampleRate = 0;
    EXPECT_EQ(f.Duration(), 0.0);
    EXPECT_EQ(f.BitRate(), 0);
}

TEST(FileObjectTiming, BitRateIsDefinedForEveryInput) {
    struct Case {
        int64_t FileSize;
        int64_t Samples;
        uint32_t SampleRate;
        int Expected;
    };
    constexpr int kMax = std::numeric_limits<int>::max();
    for (const Case& c :
         {Case{160000, 441000, 44100, 128}, Case{int64_t{1} << 50, 1, 48000, kMax},
          Case{int64_t{1} << 62, 1, 1, kMax}, Case{0, 441000, 44100, 0}, Case{1000, 1, 0, 0}}) {
        TOggVorbis f;
        f.FileSize = c.FileSize;
        f.Samples = c.Samples;
        f.SampleRate = c.SampleRate;
        EXPECT_EQ(f.BitRate(), c.Expected) << c.FileSize << " bytes, " << c.Samples << " samples";
    }
}

TEST(FileObjectTiming, LongRecordingsKeepTheirLength) {
    TOggVorbis f;
    f.Samples = int64_t{3} << 31;  // past 32 bits: about 40 hours at 44.1 kHz
    f.SampleRate = 44100;
    EXPECT_NEAR(f.Duration(), 146087.0, 1.0);
}

TEST(FileObjectTiming, EstimatedFromTheNominalBitRateWithoutSamples) {
    TOggVorbis f;
    f.NominalBitRate = 128;
    f.Channels = 2;
    f.FileSize = 1600000;
    EXPECT_DOUBLE_EQ(f.Duration(), 100.0);
    f.Channels = 1;
    EXPECT_DOUBLE_EQ(f.Duration(), 200.0);
    f.Samples = -1;
    EXPECT_DOUBLE_EQ(f.Duration(), 200.0);
    f.Channels = 0;
    EXPECT_EQ(f.Duration(), 0.0);
    EXPECT_EQ(f.BitRate(), 0);
}

TEST(FileObjectTiming, ClearResetsEverything) {
    TOggVorbis f;
    f.Title = "x";
    f.SetTrack("4");
    f.AddOtherTag("MOOD", "a=b");
    EXPECT_EQ(f.Track, "4");
    EXPECT_EQ(f.OtherTags, (Lines{"MOOD=a=b"}));
    f.Clear();
    EXPECT_EQ(f.Title, "");
    EXPECT_EQ(f.Track, "");
    EXPECT_TRUE(f.OtherTags.empty());
}

}  // namespace
}  // namespace parvex
