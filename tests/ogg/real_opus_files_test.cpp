// Files encoded by opusenc (tests/data/make_data.sh): what the reader reports must agree with the
// encoding and with mutagen, and every saved file must satisfy opusinfo, decode with opusdec to the
// same samples and read back in mutagen as written.
#include <gtest/gtest.h>

#include <algorithm>

#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/picture.h"
#include "support/mutagen.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using Strings = std::vector<std::string>;

struct RealOpusFile {
    const char* Name;
    int Channels;
    uint32_t InputRate;
    double Seconds;
};

std::string DataPath(const char* name) { return std::string(PARVEX_TEST_DATA) + "/" + name; }

class RealOpusFiles : public ::testing::TestWithParam<RealOpusFile> {
protected:
    void SetUp() override {
        original_ = ReadAll(DataPath(GetParam().Name));
        path_ = dir_.Write(GetParam().Name, original_).string();
    }
    // Every check a saved file must pass; `expected` is what mutagen must list.
    void CheckSaved(const Strings& expected) {
        const std::string saved = ReadAll(path_);
        EXPECT_TRUE(test::IsValidOgg(saved));
        EXPECT_TRUE(test::SameAudio(original_, saved));
        EXPECT_TRUE(test::OpusinfoAccepts(path_));
        bool available = false;
        const std::string samples = test::OpusdecSamples(path_, available);
        if (available) {
            EXPECT_GT(samples.size(), 1000u);
            EXPECT_TRUE(samples == test::OpusdecSamples(DataPath(GetParam().Name), available));
        }
        if (const auto listed = test::MutagenComments(path_)) {
            EXPECT_EQ(*listed, expected);
        }
    }
    Strings CommentsOnDisk() const { return test::ReadCommentHeader(ReadAll(path_)).Comments; }

    test::TempDir dir_;
    std::string path_;
    std::string original_;
};

TEST_P(RealOpusFiles, StreamInformationMatchesTheEncoding) {
    const RealOpusFile& f = GetParam();
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    EXPECT_EQ(file.Codec, OggCodec::Opus);
    EXPECT_EQ(file.Channels, f.Channels);
    EXPECT_EQ(file.SampleRate, f.InputRate);
    EXPECT_NEAR(file.Duration(), f.Seconds, 0.001);
    EXPECT_GT(file.BitRate(), 8);
    EXPECT_NE(file.Vendor.find("libopus"), std::string::npos);
    EXPECT_EQ(file.HeaderDamage, "");
}

TEST_P(RealOpusFiles, CommentsMatchMutagen) {
    const auto listed = test::MutagenComments(path_);
    if (!listed) GTEST_SKIP() << "mutagen is not installed";
    FileInfo info;
    ASSERT_TRUE(ReadFileInfo(path_, info));
    Strings read;
    for (std::size_t k = 1; k < info.Tag.Count(); ++k)
        read.push_back(info.Tag.Names[k] + "=" + info.Tag.Values[k]);
    EXPECT_EQ(read, *listed);
    // opusenc pads its comment header.
    ASSERT_FALSE(info.CommentTail.empty());
    EXPECT_EQ(info.CommentTail[0] & 1, 0);
}

TEST_P(RealOpusFiles, EditsSurviveEveryTool) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Title = "Edited title";
    file.Genre = "Tested";
    ASSERT_TRUE(file.SaveToFile(path_));
    Strings expected = CommentsOnDisk();
    EXPECT_NE(std::find(expected.begin(), expected.end(), "title=Edited title"), expected.end())
        << "a changed value keeps the name its comment has in the file";
    CheckSaved(expected);

    // A cover larger than a page: the comment header is laid out over new pages. A real JPEG with
    // bytes after its end, so that opusinfo, which looks into the picture, finds nothing amiss.
    const auto cover =
        FrontCoverFromImage(ReadAll(DataPath("cover-48x40.jpg")) + test::FillerBytes(150000, 9));
    ASSERT_TRUE(cover);
    const std::string art = PictureCommentValue(*cover);
    file.OtherTags.insert(file.OtherTags.begin(), "METADATA_BLOCK_PICTURE=" + art);
    ASSERT_TRUE(file.SaveToFile(path_));
    expected = CommentsOnDisk();
    EXPECT_EQ(expected.back(), "METADATA_BLOCK_PICTURE=" + art);
    CheckSaved(expected);

    ASSERT_TRUE(file.LoadFromFile(path_));
    file.OtherTags.clear();
    ASSERT_TRUE(file.SaveToFile(path_));
    CheckSaved(CommentsOnDisk());
}

// opusenc writes lower-case names ("title"); they come back as they were, every comment in its
// place, and the padding after them as it was: the file is the same byte for byte.
TEST_P(RealOpusFiles, UnchangedSaveKeepsEveryComment) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    ASSERT_TRUE(file.SaveToFile(path_));
    const test::CommentHeader before = test::ReadCommentHeader(original_);
    const test::CommentHeader after = test::ReadCommentHeader(ReadAll(path_));
    EXPECT_EQ(after.Comments, before.Comments);
    EXPECT_TRUE(ReadAll(path_) == original_);
    EXPECT_EQ(after.Vendor, before.Vendor);
    EXPECT_TRUE(after.Tail == before.Tail);
    CheckSaved(after.Comments);
}

INSTANTIATE_TEST_SUITE_P(Encoded, RealOpusFiles,
                         ::testing::Values(RealOpusFile{"mono-16khz.opus", 1, 16000, 1.0},
                                           RealOpusFile{"stereo-48khz.opus", 2, 48000, 1.0},
                                           RealOpusFile{"surround-51.opus", 6, 44100, 0.5},
                                           RealOpusFile{"cover-art.opus", 1, 16000, 0.5}),
                         [](const auto& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(RealOpusFields, SortedAsTheFileObjectShowsThem) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(DataPath("stereo-48khz.opus")));
    EXPECT_EQ(file.Title, "Two voices");
    EXPECT_EQ(file.Artist, "First");
    EXPECT_EQ(file.Comment, "Made by a script");
    EXPECT_EQ(file.CommentName, "DESCRIPTION");
    EXPECT_EQ(file.OtherTags, (Strings{"ENCODER=opusenc from opus-tools 0.2", "artist=Second", "MOOD=calm",
                                       "R128_TRACK_GAIN=-256", "R128_ALBUM_GAIN=128"}));
}

}  // namespace
}  // namespace parvex
