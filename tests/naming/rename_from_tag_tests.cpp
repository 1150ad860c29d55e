#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "fs/no_replace_rename.h"
#include "naming/rename_from_tag.h"
#include "naming_fixture.h"

namespace parvex {
namespace {

using test::CommentList;
using test::NamingTest;
using Lines = std::vector<std::string>;

struct RenameCase {
    const char* What;
    std::string Format;
    CommentList Tags;
    std::string NewName;
    std::vector<std::string> CaseFixWords = {};  // the case fix is checked when not empty
    const char* SpaceReplacement = nullptr;      // "Replace spaces with:" checked when set
};

class RenamesByTags : public NamingTest, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(RenamesByTags, ToTheFormattedName) {
    const RenameCase& c = GetParam();
    AddFile("old.ogg", c.Tags);
    const std::string before = Bytes("old.ogg");
    TRenameFromTagOptions options;
    options.Format = c.Format;
    options.CaseFixChecked = !c.CaseFixWords.empty();
    options.CaseFixWords = c.CaseFixWords;
    options.ReplaceSpacesChecked = c.SpaceReplacement != nullptr;
    options.SpaceReplacement = c.SpaceReplacement ? c.SpaceReplacement : "";
    TPlannedNames planned;
    EXPECT_EQ(Apply(PlanRenameFromTag(options, planned, file_, record_, dir_.Dir(), "old.ogg")),
              TFileOutcome::Written);
    EXPECT_EQ(log_.Lines, (Lines{"Renaming: " + PathOf("old.ogg"), "     to: " + PathOf(c.NewName)}));
    EXPECT_EQ(Names(), Lines{c.NewName});
    EXPECT_EQ(Bytes(c.NewName), before);
}

INSTANTIATE_TEST_SUITE_P(
    RenameFromTag, RenamesByTags,
    ::testing::Values(
        RenameCase{
            "NoZeroPadding", "<Track> - <Title>", {{"TRACKNUMBER", "3"}, {"TITLE", "Song"}}, "3 - Song.ogg"},
        RenameCase{"NineCharactersRemoved", "<Title>", {{"TITLE", "AC/DC: Live?"}}, "ACDC Live.ogg"},
        RenameCase{
            "EveryRemovedCharacter", "<Title>", {{"TITLE", "a\\b/c:d*e?f\"g<h>i|j"}}, "abcdefghij.ogg"},
        RenameCase{"SpacesReplaced",
                   "<Artist> - <Title>",
                   {{"ARTIST", "Band"}, {"TITLE", "Song"}},
                   "Band_-_Song.ogg",
                   {},
                   "_"},
        RenameCase{"SpacesRemoved",
                   "<Artist> - <Title>",
                   {{"ARTIST", "Band"}, {"TITLE", "Song"}},
                   "Band-Song.ogg",
                   {},
                   ""},
        RenameCase{"CaseFixBeforeSpaces",
                   "<Title>",
                   {{"TITLE", "The Beat The Band"}},
                   "The_Beat_the_Band.ogg",
                   {"the"},
                   "_"},
        RenameCase{"EmptyValueDropsItsPlaceholder", "<Artist><Title>", {{"TITLE", "Song"}}, "Song.ogg"},
        RenameCase{"LaterPlaceholderInAValue",
                   "<Title>",
                   {{"TITLE", "x <Artist>"}, {"ARTIST", "Band"}},
                   "x Band.ogg"},
        RenameCase{"AnyCommentMakesAFileTagged", "<Title>x", {{"MOOD", "calm"}}, "x.ogg"},
        RenameCase{"TrackOfTotalGivesTheTrack",
                   "<Track> - <Title>",
                   {{"TRACKNUMBER", "3/12"}, {"TITLE", "Song"}},
                   "3 - Song.ogg"},
        RenameCase{"LineBreaksBecomeOneBlank",
                   "<Title>",
                   {{"TITLE", "Line 1\r\nLine 2\tEnd"}},
                   "Line 1 Line 2 End.ogg"},
        RenameCase{"OtherControlCharactersToo",
                   "<Artist> - <Title>",
                   {{"ARTIST", "A\x1b[31mB"}, {"TITLE", "x\x7fy"}},
                   "A [31mB - x y.ogg"}),
    [](const auto& info) { return std::string(info.param.What); });

class RenameTest : public NamingTest {
protected:
    // Carried out at once: the folder itself tells which names are taken.
    TFileOutcome Rename(const std::string& name, const std::string& dir = "") {
        TPlannedNames planned;
        return Apply(
            PlanRenameFromTag(options_, planned, file_, record_, dir.empty() ? dir_.Dir() : dir, name));
    }
    TRenameFromTagOptions options_ = [] {
        TRenameFromTagOptions options;
        options.Format = "<Artist> - <Title>";
        return options;
    }();
};

TEST_F(RenameTest, CollidingNamesKeepBothFiles) {
    AddFile("a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    AddFile("b.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"MOOD", "second"}});
    const std::string first = Bytes("a.ogg");
    const std::string second = Bytes("b.ogg");
    EXPECT_EQ(Rename("a.ogg"), TFileOutcome::Written);
    EXPECT_EQ(Rename("b.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(Names(), (Lines{"Band - Song.ogg", "b.ogg"}));
    EXPECT_EQ(Bytes("Band - Song.ogg"), first);
    EXPECT_EQ(Bytes("b.ogg"), second);
    EXPECT_EQ(log_.Lines.back(), "     not renamed: a file of that name already exists");
    EXPECT_EQ(log_.Lines[log_.Lines.size() - 2], "     to: " + PathOf("Band - Song.ogg"));
}

TEST_F(RenameTest, FileAlreadyNamedSoIsLeftAsItIs) {
    AddFile("Band - Song.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    EXPECT_EQ(Rename("Band - Song.ogg"), TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines,
              (Lines{"Renaming: " + PathOf("Band - Song.ogg"), "     to: " + PathOf("Band - Song.ogg"),
                     "     skipped: the name is already right"}));
    EXPECT_EQ(Names(), Lines{"Band - Song.ogg"});
}

TEST_F(RenameTest, EmptyNameIsRefusedInsteadOfMakingDotOgg) {
    AddFile("a.ogg", {{"MOOD", "calm"}});
    options_.Format = "<Artist><Title>";
    EXPECT_EQ(Rename("a.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines, (Lines{"Renaming: " + PathOf("a.ogg"), "     to: " + PathOf(".ogg"),
                                 "     not renamed: the tags give no name"}));
    EXPECT_EQ(Names(), Lines{"a.ogg"});
}

// A rename keeps the file's own extension, as it is spelt, whichever codec the file holds.
TEST_F(RenameTest, KeepsTheFilesOwnExtension) {
    AddOpusFile("a.opus", {{"TITLE", "Voice"}});
    AddOpusFile("b.OGA", {{"TITLE", "Podcast"}});
    AddFile("c.Ogg", {{"TITLE", "Tune"}});
    options_.Format = "<Title>";
    for (const char* name : {"a.opus", "b.OGA", "c.Ogg"})
        EXPECT_EQ(Rename(name), TFileOutcome::Written) << name;
    EXPECT_EQ(Names(), (Lines{"Podcast.OGA", "Tune.Ogg", "Voice.opus"}));
    EXPECT_EQ(Reload("Voice.opus").Codec, OggCodec::Opus);
}

TEST_F(RenameTest, OtherFailuresAreLoggedWithTheReason) {
    AddFile("a.ogg", {{"TITLE", std::string(300, 'x')}});
    options_.Format = "<Title>";
    EXPECT_EQ(Rename("a.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines.back(), "     not renamed: file name too long");
    EXPECT_EQ(Names(), Lines{"a.ogg"});
}

// A file without a comment header and one with only the encoder's vendor string: neither has tags.
TEST_F(RenameTest, UntaggedFilesKeepTheirNamesUnlessAsked) {
    AddFileWithoutCommentHeader("a.ogg");
    AddFile("b.ogg", {});
    options_.Format = "<Title>x";
    for (const char* name : {"a.ogg", "b.ogg"}) {
        log_.Lines.clear();
        EXPECT_EQ(Rename(name), TFileOutcome::Skipped);
        EXPECT_EQ(log_.Lines, (Lines{"Renaming: " + PathOf(name), "     skipped: the file has no tags"}));
    }
    options_.DontRenameUntagged = false;
    EXPECT_EQ(Rename("a.ogg"), TFileOutcome::Written);
    EXPECT_EQ(Names(), (Lines{"b.ogg", "x.ogg"}));
}

TEST_F(RenameTest, VanishedFileFailsWithTheReason) {
    EXPECT_EQ(Rename("gone.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines,
              (Lines{"Renaming: " + PathOf("gone.ogg"), "     cannot be opened: no such file or directory"}));
}

TEST_F(RenameTest, DoubledSeparatorInTheFolderIsCollapsed) {
    std::filesystem::create_directory(dir_.Path() / "Album");
    test::WriteVorbisFile(dir_.Path() / "Album" / "a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    EXPECT_EQ(Rename("a.ogg", dir_.Dir() + "/Album//"), TFileOutcome::Written);
    const std::string clean = dir_.Dir() + "Album/";
    EXPECT_EQ(log_.Lines, (Lines{"Renaming: " + clean + "a.ogg", "     to: " + clean + "Band - Song.ogg"}));
    EXPECT_TRUE(Exists("Album/Band - Song.ogg"));
}

TEST_F(RenameTest, RenamingByLinkNeverReplacesEither) {
    dir_.Write("a", "first");
    dir_.Write("b", "second");
    EXPECT_EQ(RenameByLink(PathOf("a"), PathOf("b")), EEXIST);
    EXPECT_EQ(RenameNoReplace(PathOf("a"), PathOf("b")), EEXIST);
    EXPECT_EQ(Bytes("a"), "first");
    EXPECT_EQ(Bytes("b"), "second");
    EXPECT_EQ(RenameByLink(PathOf("a"), PathOf("c")), 0);
    EXPECT_EQ(Names(), (Lines{"b", "c"}));
    EXPECT_EQ(Bytes("c"), "first");
    EXPECT_EQ(RenameNoReplace(PathOf("c") + std::string(1, '\0') + "x", PathOf("d")), EINVAL);
}

// Runs `check` in a child process as the user "nobody"; the test is skipped where that is not
// possible. Root ignores permissions, so the paths below need another user to be reached.
void ExpectAsNobody(const std::function<bool()>& check) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and the user nobody";
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        const bool dropped = setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(RenameTest, UnwritableFolderAndUnreadableFileAreReportedAndTheRunGoesOn) {
    std::filesystem::permissions(dir_.Path(), std::filesystem::perms::all);
    std::filesystem::create_directory(dir_.Path() / "ro");
    test::WriteVorbisFile(dir_.Path() / "ro" / "a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    AddFile("locked.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    chmod((dir_.Path() / "ro").c_str(), 0555);
    chmod((dir_.Path() / "locked.ogg").c_str(), 0600);
    ExpectAsNobody([&] {
        const bool keptInFolder = Rename("a.ogg", dir_.Dir() + "ro/") == TFileOutcome::Failed &&
                                  log_.Lines.back() == "     not renamed: permission denied";
        const bool keptUnreadable = Rename("locked.ogg") == TFileOutcome::Failed &&
                                    log_.Lines.back() == "     cannot be opened: permission denied";
        return keptInFolder && keptUnreadable;
    });
    EXPECT_TRUE(Exists("ro/a.ogg"));
    EXPECT_TRUE(Exists("locked.ogg"));
}

}  // namespace
}  // namespace parvex
