// parvex-cli on a folder of Ogg Opus files made by opusenc, next to Vorbis files under every Ogg
// extension: each command finds them, and every file it writes passes opusinfo, decodes to the same
// samples and reads back in mutagen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_runner.h"
#include "support/mutagen.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::RunCli;
using Strings = std::vector<std::string>;

class OpusCli : public ::testing::Test {
protected:
    std::string Real(const char* dataName, const std::string& as) {
        return dir_.Write(as, ReadAll(test::TestData(dataName))).string();
    }
    std::string Dir() const { return dir_.Dir(); }
    static bool Has(const Strings& comments, const std::string& comment) {
        return std::find(comments.begin(), comments.end(), comment) != comments.end();
    }
    // What every rewritten Opus file must pass; `original` is a data file it was copied from.
    static void ExpectSoundOpus(const std::string& path, const char* original) {
        const std::string from = test::TestData(original);
        EXPECT_TRUE(test::IsValidOgg(ReadAll(path)));
        EXPECT_TRUE(test::SameAudio(ReadAll(from), ReadAll(path)));
        EXPECT_TRUE(test::OpusinfoAccepts(path));
        bool available = false;
        const std::string samples = test::OpusdecSamples(path, available);
        if (available) {
            EXPECT_TRUE(samples == test::OpusdecSamples(from, available)) << path;
        }
        if (const auto listed = test::MutagenComments(path)) {
            EXPECT_EQ(listed->size(), test::CommentsOnDisk(path).size()) << path;
        }
    }
    test::TempDir dir_;
};

TEST_F(OpusCli, ShowNamesTheCodec) {
    const std::string path = Real("surround-51.opus", "six.opus");
    const auto r = RunCli({"show", path});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("  Codec:            Opus\n"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("  Channels:         6\n"), std::string::npos);
    EXPECT_NE(r.Out.find("  Sample rate:      44100 Hz\n"), std::string::npos);
    EXPECT_NE(r.Out.find("  Duration:         0.500 s\n  Average bit rate: "), std::string::npos)
        << "Opus has no nominal bit rate to show";
    const auto json = RunCli({"show", "--json", path});
    EXPECT_NE(json.Out.find("\"codec\": \"Opus\""), std::string::npos) << json.Out;
    EXPECT_NE(json.Out.find("\"nominal_bitrate\": null, "), std::string::npos) << json.Out;
}

TEST_F(OpusCli, SetEditsTheTitleAndKeepsTheGainTags) {
    const std::string path = Real("stereo-48khz.opus", "song.opus");
    const auto r = RunCli({"set", path, "--tag", "TITLE=New title"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const Strings comments = test::CommentsOnDisk(path);
    EXPECT_TRUE(Has(comments, "title=New title")) << "the comment keeps the name opusenc gave it";
    EXPECT_TRUE(Has(comments, "R128_TRACK_GAIN=-256"));
    EXPECT_TRUE(Has(comments, "R128_ALBUM_GAIN=128"));
    ExpectSoundOpus(path, "stereo-48khz.opus");
}

// The batch commands find .ogg, .oga and .opus in any letter case, and nothing else.
TEST_F(OpusCli, MassFindsEveryOggExtensionAndOnlyThose) {
    const std::string opus = Real("mono-16khz.opus", "voice.OPUS");
    const std::string oga = Real("stereo-48khz.opus", "talk.oga");
    const std::string ogg = Real("stereo-44khz.ogg", "tune.Ogg");
    dir_.Write("notes.txt", "not audio");
    dir_.Write("copy.flac", ReadAll(std::string(PARVEX_TEST_DATA) + "/mono-16khz.opus"));
    const auto r = RunCli({"mass", Dir(), "--set", "ARTIST=Band"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("Done: 3 files changed, 0 left unchanged, 0 failed."), std::string::npos) << r.Out;
    for (const auto& [path, artist] :
         {std::pair{opus, "artist=Band"}, {oga, "artist=Band"}, {ogg, "ARTIST=Band"}})
        EXPECT_TRUE(Has(test::CommentsOnDisk(path), artist)) << path;
    ExpectSoundOpus(opus, "mono-16khz.opus");
    ExpectSoundOpus(oga, "stereo-48khz.opus");
    EXPECT_TRUE(ReadAll(Dir() + "copy.flac") == ReadAll(std::string(PARVEX_TEST_DATA) + "/mono-16khz.opus"));
}

TEST_F(OpusCli, RenameAndTagFromFilenameKeepTheExtension) {
    Real("mono-16khz.opus", "01 - Low.opus");
    Real("cover-art.opus", "02 - Covered.OPUS");
    auto r = RunCli({"from-filename", Dir(), "--format", "<Track> - <Title>", "--separator", " - "});
    EXPECT_EQ(r.Status, 0) << r.Err;
    r = RunCli({"rename", Dir(), "--format", "<Title> (<Track>)"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::FileNames(dir_.Path()), (Strings{"Covered (02).OPUS", "Low (01).opus"}));
    ExpectSoundOpus(Dir() + "Low (01).opus", "mono-16khz.opus");
    ExpectSoundOpus(Dir() + "Covered (02).OPUS", "cover-art.opus");
}

}  // namespace
}  // namespace parvex
