// Saving the oggenc-made files: the result must satisfy ogginfo and vorbiscomment as well as our
// own page walker.
#include <gtest/gtest.h>

#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;

class SaveRealFile : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        original_ = ReadAll(std::string(PARVEX_TEST_DATA) + "/" + GetParam());
        path_ = dir_.Write(GetParam(), original_).string();
    }
    void Check(const std::vector<std::string>& expected) {
        const std::string saved = ReadAll(path_);
        EXPECT_TRUE(test::IsValidOgg(saved));
        EXPECT_TRUE(test::SameAudio(original_, saved));
        EXPECT_TRUE(test::OgginfoAccepts(path_));
        bool available = false;
        const auto listed = test::VorbiscommentList(path_, available);
        if (available) {
            EXPECT_EQ(listed, expected);
        }
    }
    test::TempDir dir_;
    std::string path_;
    std::string original_;
};

TEST_P(SaveRealFile, EditsSurviveEveryTool) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Genre = "Tested";
    ASSERT_TRUE(file.SaveToFile(path_));
    std::vector<std::string> expected = test::ReadCommentHeader(ReadAll(path_)).Comments;
    EXPECT_NE(std::find(expected.begin(), expected.end(), "GENRE=Tested"), expected.end());
    Check(expected);

    const std::string art = test::CoverArtValue(150000);
    file.OtherTags.insert(file.OtherTags.begin(), "METADATA_BLOCK_PICTURE=" + art);  // lines go last to first
    ASSERT_TRUE(file.SaveToFile(path_));
    expected.push_back("METADATA_BLOCK_PICTURE=" + art);
    Check(expected);

    ASSERT_TRUE(file.LoadFromFile(path_));
    file.OtherTags.clear();
    file.Genre = "";
    ASSERT_TRUE(file.SaveToFile(path_));
    Check(test::ReadCommentHeader(ReadAll(path_)).Comments);
    EXPECT_EQ(file.EntryCount, static_cast<int>(expected.size()) + 1);
}

TEST_P(SaveRealFile, UnchangedSaveKeepsEveryComment) {
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    ASSERT_TRUE(file.SaveToFile(path_));
    // Every comment comes back under its own name and in its place, a DESCRIPTION (which fills the
    // Comment field) included.
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments, test::ReadCommentHeader(original_).Comments);
    Check(test::ReadCommentHeader(ReadAll(path_)).Comments);
}

INSTANTIATE_TEST_SUITE_P(Encoded, SaveRealFile,
                         ::testing::Values("mono-8khz.ogg", "stereo-44khz.ogg", "stereo-96khz.ogg", "unicode.ogg",
                                           "id3v2-front.ogg", "cover-art.ogg"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

}  // namespace
}  // namespace parvex
