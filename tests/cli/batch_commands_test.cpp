// The batch commands of parvex-cli end to end: the real binary on real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "cli_runner.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::RunCli;
using Strings = std::vector<std::string>;

class BatchCli : public ::testing::Test {
protected:
    // The folder as the log writes it, ending in "/".
    std::string Dir() const { return dir_.Dir(); }
    std::string Make(const std::string& relative, const test::CommentList& comments) {
        return test::WriteVorbisFile(dir_.Path() / relative, comments).string();
    }
    static Strings Comments(const std::string& path) {
        return test::ReadCommentHeader(ReadAll(path)).Comments;
    }

    // The bytes of every file under the folder, by path.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir_.Path()))
            if (entry.is_regular_file()) files[entry.path().string()] = ReadAll(entry.path());
        return files;
    }

    test::TempDir dir_;
};

TEST_F(BatchCli, MassSetsPrependsAndAppendsInTheFolderAndWithRecurseInSubfolders) {
    const std::string a =
        Make("a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"ALBUM", "Best"}, {"MOOD", "calm"}});
    const std::string b = Make("b.ogg", {{"TITLE", "Other"}});
    const std::string c = Make("sub/c.ogg", {{"TITLE", "Deep"}});
    const std::string originalA = ReadAll(a);
    const std::string originalC = ReadAll(c);
    const Strings args = {"mass",       Dir(),      "--set",         "artist=Group", "--prepend",
                          "title=The ", "--append", "ALBUM= (Live)", "--other",      "mood=happy"};

    auto r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Out, "Mass Tag: " + Dir() + "a.ogg\nMass Tag: " + Dir() + "b.ogg\n");
    EXPECT_EQ(Comments(a),
              (Strings{"ARTIST=Group", "TITLE=The Song", "ALBUM=Best (Live)", "MOOD=calm", "MOOD=happy"}));
    // Values are written without blanks at their ends.
    EXPECT_EQ(Comments(b), (Strings{"TITLE=The Other", "ARTIST=Group", "ALBUM=(Live)", "MOOD=happy"}));
    EXPECT_TRUE(ReadAll(c) == originalC) << "a subfolder is only walked with --recurse";
    EXPECT_TRUE(test::SameAudio(originalA, ReadAll(a)));

    r = RunCli({"mass", "-r", Dir(), "--mode", "append", "--set", "title=!"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(c), (Strings{"TITLE=Deep!"}));
    EXPECT_EQ(Comments(a)[1], "TITLE=The Song!");
}

TEST_F(BatchCli, SubfoldersWhoseNamesHoldAStarAreWorkedOnLikeAnyOther) {
    const std::string deep = Make("a*b/c*d.ogg", {{"TITLE", "Deep"}});

    auto r = RunCli({"mass", Dir(), "--recurse", "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Mass Tag: " + deep + "\n");
    EXPECT_EQ(Comments(deep), (Strings{"TITLE=Deep", "GENRE=Jazz"}));
}

TEST_F(BatchCli, AFileDatedInTheFutureIsWorkedOnLikeAnyOther) {
    const std::string later = Make("later.ogg", {{"TITLE", "Later"}});
    fs::last_write_time(later, fs::file_time_type::clock::now() + std::chrono::hours(24 * 365));

    auto r = RunCli({"mass", Dir(), "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Mass Tag: " + later + "\n");
    EXPECT_EQ(Comments(later), (Strings{"TITLE=Later", "GENRE=Jazz"}));
}

TEST_F(BatchCli, MassRemovesWithAnEmptyOverwriteAndReplacesOtherTags) {
    const std::string a =
        Make("a.ogg", {{"TITLE", "Song"}, {"COMMENT", "old"}, {"MOOD", "calm"}, {"X", "1"}});
    auto r = RunCli({"mass", Dir(), "--set", "comment=", "--replace-other", "--other", "Y=2"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(a), (Strings{"TITLE=Song", "Y=2"}));

    r = RunCli({"mass", Dir(), "--replace-other"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(a), (Strings{"TITLE=Song"}));
}

TEST_F(BatchCli, ClearRemovesChosenFieldsOrEverythingButPerformer) {
    const std::string a = Make(
        "a.ogg",
        {{"TITLE", "Song"}, {"ARTIST", "Band"}, {"TRACKNUMBER", "3"}, {"MOOD", "calm"}, {"PERFORMER", "P"}});
    auto r = RunCli({"clear", Dir(), "--field", "title,TRACKNUMBER", "--other-tags"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Clear Tags: " + Dir() + "a.ogg\n");
    EXPECT_EQ(Comments(a), (Strings{"ARTIST=Band", "PERFORMER=P"}));

    r = RunCli({"clear", Dir(), "--all"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(a), (Strings{"PERFORMER=P"}));
    EXPECT_TRUE(test::IsValidOgg(ReadAll(a)));
}

TEST_F(BatchCli, FromFilenameCutsNamesByATypedOrABuiltFormat) {
    const std::string a = Make("01 - Band - Song.ogg", {{"ARTIST", "Kept"}});
    auto r =
        RunCli({"from-filename", Dir(), "--format", "<Track> - <TRASH> - <Title>", "--separator", " - "});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Tag from filename: " + Dir() + "01 - Band - Song.ogg\n");
    EXPECT_EQ(Comments(a), (Strings{"ARTIST=Kept", "TITLE=Song", "TRACKNUMBER=01"}));

    fs::remove(a);
    const std::string b = Make("The_Band-Some_Song.ogg", {{"TITLE", "Kept"}});
    r = RunCli(
        {"from-filename", Dir(), "--fields", "artist,title", "-s", "-", "--replace", "_", "--keep-existing"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(b), (Strings{"TITLE=Kept", "ARTIST=The Band"}));
}

TEST_F(BatchCli, FromFilenameSkipTaggedLogsTheFileButLeavesItAlone) {
    const std::string a = Make("Band - Song.ogg", {});
    const std::string before = ReadAll(a);
    const auto r = RunCli({"from-filename", Dir(), "-f", "<Artist> - <Title>", "-s", " - ", "--skip-tagged"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Tag from filename: " + Dir() + "Band - Song.ogg\n");
    EXPECT_TRUE(ReadAll(a) == before) << "the vendor string alone counts as tags";
}

TEST_F(BatchCli, RenameNamesFilesAfterTheirTagsAndNeverReplacesOne) {
    const std::string a = Make("a.ogg", {{"TRACKNUMBER", "3"}, {"TITLE", "Song"}});
    const std::string b = Make("b.ogg", {{"TRACKNUMBER", "3"}, {"TITLE", "Song"}});
    const std::string c = Make("c.ogg", {{"TITLE", "AC/DC: Live?"}});
    const std::string bBytes = ReadAll(b);
    const std::string args[] = {"rename", Dir(), "--format", "<Track> - <Title>", "--replace-spaces", "_"};
    const auto r = RunCli(Strings(std::begin(args), std::end(args)));
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "Renaming: " + Dir() + "a.ogg\n     to: " + Dir() + "3_-_Song.ogg\n" +
                         "Renaming: " + Dir() + "b.ogg\n     to: " + Dir() + "3_-_Song.ogg\n" +
                         "     not renamed: a file of that name already exists\n" + "Renaming: " + Dir() +
                         "c.ogg\n     to: " + Dir() + "_-_ACDC_Live.ogg\n");
    EXPECT_EQ(r.Err, "parvex-cli: " + b + ": not renamed: a file of that name already exists\n");
    EXPECT_TRUE(ReadAll(b) == bBytes);
    EXPECT_TRUE(fs::exists(Dir() + "3_-_Song.ogg"));
    EXPECT_TRUE(fs::exists(Dir() + "_-_ACDC_Live.ogg"));
    EXPECT_FALSE(fs::exists(a));
}

TEST_F(BatchCli, RenameDryRunPrintsWhatTheRunWillLogAndPredictsCollisions) {
    Make("a.ogg", {{"TITLE", "Song"}});
    Make("b.ogg", {{"TITLE", "Song"}});
    Make("c.ogg", {{"TITLE", "a"}});  // takes the name a.ogg frees
    Make("d.ogg", {{"TITLE", "d"}});  // already named so
    dir_.Write("junk.ogg", "no tags at all");
    const auto before = Snapshot();
    const auto dry = RunCli({"rename", Dir(), "--fields", "title", "--dry-run"});
    EXPECT_TRUE(Snapshot() == before);
    const auto real = RunCli({"rename", Dir(), "--fields", "title"});
    EXPECT_EQ(dry.Status, 1);
    EXPECT_EQ(real.Status, 1);
    EXPECT_EQ(dry.Err, real.Err);
    // The dry run says why it passes over a file; the run's log has only its first line.
    std::string expected = real.Out;
    const std::string junk = "Renaming: " + Dir() + "junk.ogg\n";
    expected.insert(expected.find(junk) + junk.size(), "     skipped: the file has no tags\n");
    EXPECT_EQ(dry.Out, expected);
    EXPECT_NE(real.Out.find("b.ogg\n     to: " + Dir() +
                            "Song.ogg\n     not renamed: a file of that name already exists\n"),
              std::string::npos)
        << real.Out;
    EXPECT_EQ(Comments(Dir() + "a.ogg"), (Strings{"TITLE=a"}));
}

TEST_F(BatchCli, FromListTagsTheListedFilesOnly) {
    const std::string a = Make("a.ogg", {});
    const std::string b = Make("b.ogg", {{"TITLE", "Old"}});
    const std::string d = Make("d.ogg", {{"TITLE", "Unlisted"}});
    const std::string dBytes = ReadAll(d);
    const std::string list =
        dir_.Write("list/tags.csv", "a.ogg;Band;Song\r\nb.ogg;Other\r\nA.OGG;No;Match\r\n").string();
    auto r = RunCli({"from-list", Dir(), "--list", list, "--fields", "target,artist,title", "-s", ";"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Tag from filename: " + Dir() + "a.ogg\nTag from filename: " + Dir() + "b.ogg\n");
    EXPECT_EQ(Comments(a), (Strings{"TITLE=Song", "ARTIST=Band"}));
    EXPECT_EQ(Comments(b), (Strings{"ARTIST=Other"}));
    EXPECT_TRUE(ReadAll(d) == dBytes);

    Make("b.ogg", {{"TITLE", "Old"}});
    r = RunCli({"from-list", Dir(), "-l", list, "-f", "<Target file>;<Artist>;<Title>", "-s", ";",
                "--keep-existing"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(b), (Strings{"TITLE=Old", "ARTIST=Other"}));
}

TEST_F(BatchCli, FromListReportsAMissingListAsBadUsage) {
    Make("a.ogg", {});
    const std::string format[] = {"--fields", "target,artist", "-s", ";"};
    for (const auto& [list, message] : std::vector<std::pair<std::string, std::string>>{
             {Dir() + "missing.csv", "I can't find the input list csv file."},
             {Dir(), "I can't find the input list csv file."},
             {"", "You need to select an input list csv file."}}) {
        Strings args = {"from-list", Dir(), "--list", list};
        args.insert(args.end(), std::begin(format), std::end(format));
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << list;
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    }
}

struct DryRunCase {
    Strings Args;          // after the command's folder
    std::string Expected;  // the dry run's output for the one file, "DIR/" standing for the folder
};

class DryRun : public BatchCli, public ::testing::WithParamInterface<DryRunCase> {};

TEST_P(DryRun, ShowsTheChangeAndLeavesEveryFileAsItWas) {
    const std::string file =
        Make("Band - Song.ogg", {{"ARTIST", "Old"}, {"TITLE", "Song"}, {"MOOD", "calm"}});
    const std::string list = dir_.Write("list.csv", "Band - Song.ogg;New\r\n").string();
    Strings args = GetParam().Args;
    args.insert(args.begin() + 1, Dir());
    for (std::string& arg : args)
        if (arg == "LIST") arg = list;
    args.push_back("--dry-run");
    const auto before = Snapshot();
    const auto r = RunCli(args);
    EXPECT_TRUE(Snapshot() == before);
    EXPECT_EQ(r.Status, 0) << r.Err;
    std::string expected = GetParam().Expected;
    for (std::size_t at = expected.find("DIR/"); at != std::string::npos; at = expected.find("DIR/", at + 1))
        expected.replace(at, 4, Dir());
    EXPECT_EQ(r.Out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, DryRun,
    ::testing::Values(
        DryRunCase{{"mass", "--prepend", "artist=The ", "--other", "x=1"},
                   "Mass Tag: DIR/Band - Song.ogg\n     ARTIST: \"Old\" -> \"The Old\"\n"
                   "     other tag added: \"X=1\"\n"},
        DryRunCase{{"mass", "--set", "title=Song"}, "Mass Tag: DIR/Band - Song.ogg\n     no change\n"},
        // The writer drops blanks at the ends of values: appending one changes nothing.
        DryRunCase{{"mass", "--append", "title= ", "--other", "mood= calm"},
                   "Mass Tag: DIR/Band - Song.ogg\n     other tag added: \"MOOD=calm\"\n"},
        DryRunCase{{"clear", "--field", "title", "--other-tags"},
                   "Clear Tags: DIR/Band - Song.ogg\n     TITLE: \"Song\" -> (none)\n"
                   "     other tag removed: \"MOOD=calm\"\n"},
        DryRunCase{{"from-filename", "--fields", "artist,title,album", "-s", " - "},
                   "Tag from filename: DIR/Band - Song.ogg\n     ARTIST: \"Old\" -> \"Band\"\n"},
        DryRunCase{{"from-filename", "--fields", "artist,title", "-s", " - ", "--skip-tagged"},
                   "Tag from filename: DIR/Band - Song.ogg\n     skipped: the file has tags\n"},
        DryRunCase{{"rename", "--format", "<Title> by <Artist>"},
                   "Renaming: DIR/Band - Song.ogg\n     to: DIR/Song by Old.ogg\n"},
        DryRunCase{{"from-list", "--list", "LIST", "--fields", "target,album", "-s", ";"},
                   "Tag from filename: DIR/Band - Song.ogg\n     ALBUM: (none) -> \"New\"\n"},
        DryRunCase{{"from-list", "--list", "LIST", "--fields", "artist,target", "-s", ";"},
                   "Tag from filename: DIR/Band - Song.ogg\n     skipped: the list has no line for it\n"}));

TEST_F(BatchCli, BadUsageExitsWithTwoAndTouchesNothing) {
    const std::string file = Make("a.ogg", {{"TITLE", "Song"}});
    const std::string list = dir_.Write("list.csv", "a.ogg;x\r\n").string();
    const std::string missing = Dir() + "no-such-folder";
    const auto before = Snapshot();
    for (const Strings& args : std::vector<Strings>{
             {"mass", Dir()},
             {"mass", "--set", "artist=x"},
             {"mass", Dir(), "--set", "colour=x"},
             {"mass", Dir(), "--set", "artist"},
             {"mass", Dir(), "--set"},
             {"mass", Dir(), "--mode", "sideways", "--set", "artist=x"},
             {"mass", Dir(), "--other", "=x"},
             {"mass", Dir(), "--bogus", "--set", "artist=x"},
             {"mass", Dir(), "-x", "--set", "artist=x"},
             {"mass", missing, "--set", "artist=x"},
             {"mass", Dir(), missing, "--set", "artist=x"},
             {"mass", file, "--set", "artist=x"},
             {"mass", Dir() + "a;b", "--set", "artist=x"},
             {"clear", Dir()},
             {"clear", Dir(), "--field", "colour"},
             {"clear", Dir(), "--all=yes"},
             {"from-filename", Dir()},
             {"from-filename", Dir(), "--format", "<Artist> - <Title>"},
             {"from-filename", Dir(), "--format", "<artist>", "--separator", "-"},
             {"from-filename", Dir(), "--format", "<Title>", "--fields", "title"},
             {"from-filename", Dir(), "--fields", "artist,colour", "-s", "-"},
             {"from-filename", Dir(), "--fields", "target,title", "-s", "-"},
             {"from-filename", Dir(), "-f", "<Title>", "--keep-existing", "--skip-tagged"},
             {"rename", Dir()},
             {"rename", Dir(), "--format", "Song"},
             {"rename", Dir(), "--fields", "title,trash", "-s", "-"},
             {"from-list", Dir(), "--fields", "target,artist", "-s", ";"},
             {"from-list", Dir(), "--list", list, "--fields", "artist,title", "-s", ";"},
             {"from-list", Dir(), "--list", list, "--fields", "target", "-s", ";"},
         }) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.Err.find("Try 'parvex-cli " + args[0] + " --help'"), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_TRUE(Snapshot() == before);
}

TEST_F(BatchCli, AMissingFolderIsNamed) {
    const auto r = RunCli({"clear", Dir() + "gone", "--all"});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err.rfind("parvex-cli: cannot access '" + Dir() + "gone': No such file or directory\n", 0),
              0u)
        << r.Err;
}

TEST_F(BatchCli, AFileThatIsNotOggVorbisIsNamedAndTheOthersAreDone) {
    const std::string junk = dir_.Write("a-junk.ogg", "not an ogg file").string();
    const std::string good = Make("b.ogg", {});
    const auto r = RunCli({"mass", Dir(), "--set", "genre=Test"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "parvex-cli: " + junk + ": not an Ogg Vorbis file: left unchanged\n");
    EXPECT_EQ(ReadAll(junk), "not an ogg file");
    EXPECT_EQ(Comments(good), (Strings{"GENRE=Test"}));
}

// A file the program may not open, among files it may: as root nothing is unreadable, so the
// program then runs as "nobody".
class Unreadable : public BatchCli {
protected:
    void SetUp() override {
        if (geteuid() == 0) {
            user_ = test::NobodyUser();
            if (!user_) GTEST_SKIP() << "no user 'nobody' to run the program without root's rights";
            fs::permissions(dir_.Path(), fs::perms::all);
        }
        a_ = Make("a.ogg", {{"TITLE", "a"}});
        locked_ = Make("b.ogg", {{"TITLE", "b"}});
        c_ = Make("c.ogg", {{"TITLE", "c"}});
        constexpr fs::perms kReadWrite = fs::perms::owner_read | fs::perms::owner_write |
                                         fs::perms::group_read | fs::perms::group_write |
                                         fs::perms::others_read | fs::perms::others_write;
        for (const std::string& path : {a_, c_}) fs::permissions(path, kReadWrite);
        fs::permissions(locked_, fs::perms::none);
        lockedBytes_ = ReadAll(locked_);
        // The build or the temporary folder may lie in a folder closed to other users.
        if (user_ && RunCli({"show", a_}, user_).Status != 0)
            GTEST_SKIP() << "'nobody' cannot run the program on the test folder";
    }
    test::CliResult Run(const Strings& args) { return RunCli(args, user_); }
    std::optional<uid_t> user_;
    std::string a_, locked_, c_, lockedBytes_;
};

TEST_F(Unreadable, MassNamesTheFileItCannotOpenAndDoesTheOthers) {
    const auto r = Run({"mass", Dir(), "--set", "artist=X"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "parvex-cli: Cannot open file " + locked_ + "\n");
    EXPECT_EQ(r.Out, "Mass Tag: " + a_ + "\nMass Tag: " + c_ + "\n");
    EXPECT_EQ(Comments(a_), (Strings{"TITLE=a", "ARTIST=X"}));
    EXPECT_EQ(Comments(c_), (Strings{"TITLE=c", "ARTIST=X"}));
    EXPECT_TRUE(ReadAll(locked_) == lockedBytes_);
}

TEST_F(Unreadable, RenameNamesTheFileItCannotOpenAndDoesTheOthers) {
    const auto r = Run({"rename", Dir(), "--format", "<Title>-x"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "parvex-cli: " + locked_ + ": not renamed: Cannot open file " + locked_ + "\n");
    EXPECT_TRUE(fs::exists(Dir() + "a-x.ogg"));
    EXPECT_TRUE(fs::exists(Dir() + "c-x.ogg"));
    EXPECT_TRUE(fs::exists(locked_));
}

TEST_F(BatchCli, EveryBatchCommandHasHelp) {
    for (const std::string command : {"mass", "clear", "from-filename", "rename", "from-list"}) {
        const auto r = RunCli({command, "--help"});
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("Usage: parvex-cli " + command + " ", 0), 0u) << r.Out;
        EXPECT_NE(r.Out.find("--dry-run"), std::string::npos);
        EXPECT_NE(r.Out.find("Exit status:"), std::string::npos);
    }
}

}  // namespace
}  // namespace parvex
