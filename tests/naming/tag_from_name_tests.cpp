#include "naming/tag_from_name.h"

#include <gtest/gtest.h>

#include "naming_fixture.h"
#include "fs/open_error.h"

namespace parvex {
namespace {

using test::NamingTest;
using Lines = std::vector<std::string>;

struct NameCase {
    const char* What;
    std::string Format;
    std::string Separator;
    std::string FileName;
    std::string Artist;  // expected values; the file starts with Artist, Title and Track "old"
    std::string Title;
    std::string Track = "old";
    std::string ReplaceText = "";  // "Replace" checked when not empty
    TFileOutcome Outcome = TFileOutcome::Written;
};

class CutsTheName : public NamingTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(CutsTheName, IntoTheFormatsFields) {
    const NameCase& c = GetParam();
    AddFile(c.FileName, {{"ARTIST", "old"}, {"TITLE", "old"}, {"TRACKNUMBER", "old"}});
    TTagFromFileNameOptions options;
    options.Format = c.Format;
    options.Separator = c.Separator;
    options.ReplaceChecked = !c.ReplaceText.empty();
    options.ReplaceText = c.ReplaceText;
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), c.FileName)), c.Outcome);
    const TOggVorbis stored = Reload(c.FileName);
    EXPECT_EQ(stored.Artist, c.Artist);
    EXPECT_EQ(stored.Title, c.Title);
    EXPECT_EQ(stored.Track, c.Track);
}

INSTANTIATE_TEST_SUITE_P(
    TagFromFileName, CutsTheName,
    ::testing::Values(
        NameCase{"Plain", "<Artist> - <Title>", " - ", "Band - Song.ogg", "Band", "Song"},
        NameCase{"SurplusFieldIsLost", "<Artist> - <Title>", " - ", "Band - Song - Live.ogg", "Band", "Song"},
        // A name with fewer pieces than the format has fields would put them in the wrong tags.
        NameCase{"TooFewPiecesLeaveTheFile", "<Artist> - <Title>", " - ", "Song.ogg", "old", "old", "old", "",
                 TFileOutcome::Skipped},
        NameCase{"NoPiecesLeaveTheFile", "<Title>", " - ", ".ogg", "old", "old", "old", "",
                 TFileOutcome::Skipped},
        NameCase{"TrashCountsAsAField", "<Track> - <TRASH> - <Title>", " - ", "01 - Song.ogg", "old", "old",
                 "old", "", TFileOutcome::Skipped},
        NameCase{"EmptySeparatorWholeName", "<Title>", "", "Whole Name.ogg", "old", "Whole Name"},
        NameCase{"EmptySeparatorTwoFieldsMatchNothing", "<Artist><Title>", "", "Band Song.ogg", "old", "old",
                 "old", "", TFileOutcome::Skipped},
        NameCase{"TrashSkipsAField", "<Track> - <TRASH> - <Title>", " - ", "01 - Band - Song.ogg", "old",
                 "Song", "01"},
        NameCase{"TrackIsKeptAsText", "<Track>.<Title>", ".", "007.Song.ogg", "old", "Song", "007"},
        NameCase{"LongSeparator", "<Artist> -- <Title>", " -- ", "A-B -- C - D.ogg", "A-B", "C - D"},
        NameCase{"PlaceholdersMatchCase", "<artist> - <Title>", " - ", "Band - Song.ogg", "old", "Song"},
        NameCase{"ReplaceBeforeCutting", "<Artist>-<Title>", "-", "The_Band-Some_Song.ogg", "The Band",
                 "Some Song", "old", "_"},
        NameCase{"ReplacedSeparatorNoLongerCuts", "<Artist>_<Title>", "_", "The_Band-Some_Song.ogg", "old",
                 "old", "old", "_", TFileOutcome::Skipped},
        NameCase{"ExtensionCutAfterReplace", "<Title>", "", "Song.ogg", "old", "Son", "old", "gg"},
        // The file's own extension is cut, however long and in whatever letter case.
        NameCase{"OpusExtension", "<Artist> - <Title>", " - ", "Band - Song.opus", "Band", "Song"},
        NameCase{"UpperCaseOgaExtension", "<Artist> - <Title>", " - ", "Band - Song.OGA", "Band", "Song"}),
    [](const auto& info) { return std::string(info.param.What); });

TEST_F(NamingTest, CaseFixLowersListedWordsBetweenSpacesOnly) {
    AddFile("Queen - Best Of The Best.ogg", {});
    AddFile("Of Mice - Of.ogg", {});
    TTagFromFileNameOptions options;
    options.Format = "<Artist> - <Title>";
    options.Separator = " - ";
    options.CaseFixChecked = true;
    options.CaseFixWords = {"of", "the"};
    Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Queen - Best Of The Best.ogg"));
    EXPECT_EQ(record_.Title, "Best of the Best");
    Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Of Mice - Of.ogg"));
    EXPECT_EQ(record_.Artist, "Of Mice");
    EXPECT_EQ(record_.Title, "Of");
}

TEST_F(NamingTest, KeepExistingFillsOnlyEmptyFields) {
    AddFile("Band - Song.ogg", {{"TITLE", "Kept"}, {"MOOD", "calm"}});
    TTagFromFileNameOptions options;
    options.Format = "<Artist> - <Title>";
    options.Separator = " - ";
    options.Overwrite = TOverwriteChoice::KeepExisting;
    Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Band - Song.ogg"));
    const TOggVorbis stored = Reload("Band - Song.ogg");
    EXPECT_EQ(stored.Title, "Kept");
    EXPECT_EQ(stored.Artist, "Band");
    EXPECT_EQ(stored.OtherTags, Lines{"MOOD=calm"});
}

TEST_F(NamingTest, IgnoreTaggedLeavesATaggedFileAndTagsAVendorOnlyFile) {
    AddFile("Band - Song.ogg", {{"MOOD", "calm"}});
    AddFile("Other - Tune.ogg", {});  // the vendor string alone is no tag
    const std::string before = Bytes("Band - Song.ogg");
    TTagFromFileNameOptions options;
    options.Format = "<Artist> - <Title>";
    options.Separator = " - ";
    options.Overwrite = TOverwriteChoice::IgnoreTagged;
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Band - Song.ogg")),
              TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines,
              (Lines{"Tag from filename: " + PathOf("Band - Song.ogg"), "     skipped: the file has tags"}));
    EXPECT_EQ(Bytes("Band - Song.ogg"), before);
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Other - Tune.ogg")),
              TFileOutcome::Written);
    EXPECT_EQ(Reload("Other - Tune.ogg").Title, "Tune");
}

TEST_F(NamingTest, ANameWithTooFewPiecesIsLoggedAndLeftAlone) {
    AddFile("Song.ogg", {{"TITLE", "Kept"}});
    const std::string before = Bytes("Song.ogg");
    TTagFromFileNameOptions options;
    options.Format = "<Artist> - <TRASH> - <Title>";
    options.Separator = " - ";
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Song.ogg")),
              TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines, (Lines{"Tag from filename: " + PathOf("Song.ogg"),
                                 "     skipped: the name has 1 piece where the format has 3"}));
    EXPECT_EQ(Bytes("Song.ogg"), before);
}

TEST_F(NamingTest, IgnoreTaggedStillTagsAFileWithoutCommentHeader) {
    AddFileWithoutCommentHeader("Band - Song.ogg");
    TTagFromFileNameOptions options;
    options.Format = "<Artist> - <Title>";
    options.Separator = " - ";
    options.Overwrite = TOverwriteChoice::IgnoreTagged;
    EXPECT_NE(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "Band - Song.ogg")),
              TFileOutcome::Skipped);
    EXPECT_EQ(record_.Artist, "Band");
}

TEST_F(NamingTest, NonVorbisFileIsLoggedAndLeftAlone) {
    dir_.Write("fake.ogg", "not an ogg stream");
    TTagFromFileNameOptions options;
    options.Format = "<Title>";
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "fake.ogg")),
              TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines.front(), "Tag from filename: " + PathOf("fake.ogg"));
    EXPECT_EQ(Bytes("fake.ogg"), "not an ogg stream");
}

TEST_F(NamingTest, VanishedFileFailsWithTheReason) {
    TTagFromFileNameOptions options;
    options.Format = "<Title>";
    EXPECT_EQ(Apply(PlanTagFromFileName(options, file_, record_, dir_.Dir(), "gone.ogg")),
              TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines, (Lines{"Tag from filename: " + PathOf("gone.ogg"),
                                 "     cannot be opened: no such file or directory"}));
}

}  // namespace
}  // namespace parvex
