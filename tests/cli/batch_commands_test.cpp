// The batch commands of parvex-cli end to end: the real binary on real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <map>

#include "cli_runner.h"
#include "settings/settings_env.h"
#include "support/long_path.h"
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

    // The lines of a run's log that name a file, without the lines that say what happened to it.
    static Strings Headings(const std::string& out) {
        Strings headings;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            const std::string line = out.substr(start, end - start);
            if (!line.empty() && line[0] != ' ' && line.rfind("Done: ", 0) != 0) headings.push_back(line);
            start = end == std::string::npos ? out.size() : end + 1;
        }
        return headings;
    }
    // The last line of a run's log.
    static std::string Summary(const std::string& out) {
        const std::size_t start = out.rfind('\n', out.size() - 2);
        return out.substr(start == std::string::npos ? 0 : start + 1);
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
    EXPECT_EQ(r.Out, "Mass Tag: " + Dir() + "a.ogg\n" +
                         "     ARTIST: \"Band\" -> \"Group\"\n     TITLE: \"Song\" -> \"The Song\"\n"
                         "     ALBUM: \"Best\" -> \"Best (Live)\"\n     MOOD: (none) -> \"happy\"\n" +
                         "Mass Tag: " + Dir() + "b.ogg\n" +
                         "     TITLE: \"Other\" -> \"The Other\"\n     ARTIST: (none) -> \"Group\"\n"
                         "     ALBUM: (none) -> \"(Live)\"\n     MOOD: (none) -> \"happy\"\n"
                         "Done: 2 files changed, 0 left unchanged, 0 failed.\n");
    EXPECT_EQ(test::CommentsOnDisk(a),
              (Strings{"ARTIST=Group", "TITLE=The Song", "ALBUM=Best (Live)", "MOOD=calm", "MOOD=happy"}));
    // Values are written without blanks at their ends.
    EXPECT_EQ(test::CommentsOnDisk(b),
              (Strings{"TITLE=The Other", "ARTIST=Group", "ALBUM=(Live)", "MOOD=happy"}));
    EXPECT_TRUE(ReadAll(c) == originalC) << "a subfolder is only walked with --recurse";
    EXPECT_TRUE(test::SameAudio(originalA, ReadAll(a)));

    r = RunCli({"mass", "-r", Dir(), "--mode", "append", "--set", "title=!"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(c), (Strings{"TITLE=Deep!"}));
    EXPECT_EQ(test::CommentsOnDisk(a)[1], "TITLE=The Song!");
}

TEST_F(BatchCli, SubfoldersWhoseNamesHoldAStarAreWorkedOnLikeAnyOther) {
    const std::string deep = Make("a*b/c*d.ogg", {{"TITLE", "Deep"}});

    auto r = RunCli({"mass", Dir(), "--recurse", "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Headings(r.Out), Strings{"Mass Tag: " + deep});
    EXPECT_EQ(test::CommentsOnDisk(deep), (Strings{"TITLE=Deep", "GENRE=Jazz"}));
}

TEST_F(BatchCli, AFileDatedInTheFutureIsWorkedOnLikeAnyOther) {
    const std::string later = Make("later.ogg", {{"TITLE", "Later"}});
    fs::last_write_time(later, fs::file_time_type::clock::now() + std::chrono::hours(24 * 365));

    auto r = RunCli({"mass", Dir(), "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Headings(r.Out), Strings{"Mass Tag: " + later});
    EXPECT_EQ(test::CommentsOnDisk(later), (Strings{"TITLE=Later", "GENRE=Jazz"}));
}

TEST_F(BatchCli, MassRemovesWithAnEmptyOverwriteAndReplacesOtherTags) {
    const std::string a =
        Make("a.ogg", {{"TITLE", "Song"}, {"COMMENT", "old"}, {"MOOD", "calm"}, {"X", "1"}});
    auto r = RunCli({"mass", Dir(), "--set", "comment=", "--replace-other", "--other", "Y=2"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song", "Y=2"}));

    r = RunCli({"mass", Dir(), "--replace-other"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song"}));
}

TEST_F(BatchCli, MassSetsAndRemovesTheFrontCoverAndItsDryRunShowsNoBase64) {
    const std::string a = Make("a.ogg", {{"TITLE", "Song"}});
    const std::string image = std::string(PARVEX_TEST_DATA) + "/cover-48x40.jpg";
    auto r = RunCli({"mass", Dir(), "--picture", image, "--dry-run"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(
        r.Out.find("     METADATA_BLOCK_PICTURE: (none) -> [Front cover, image/jpeg, 837 bytes, 48 x 40]\n"),
        std::string::npos)
        << r.Out;
    r = RunCli({"mass", Dir(), "--picture", image});
    EXPECT_EQ(r.Status, 0) << r.Err;
    ASSERT_EQ(test::CommentsOnDisk(a).size(), 2u);
    const std::string shown = RunCli({"show", a}).Out;
    EXPECT_NE(shown.find("    Front cover, image/jpeg, 837 bytes, 48 x 40\n"), std::string::npos) << shown;
    r = RunCli({"mass", Dir(), "--remove-picture"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song"}));
    EXPECT_EQ(RunCli({"mass", Dir(), "--picture", image, "--remove-picture"}).Status, 2);
}

TEST_F(BatchCli, ClearRemovesChosenFieldsOrEverythingButPerformer) {
    const std::string a = Make(
        "a.ogg",
        {{"TITLE", "Song"}, {"ARTIST", "Band"}, {"TRACKNUMBER", "3"}, {"MOOD", "calm"}, {"PERFORMER", "P"}});
    auto r = RunCli({"clear", Dir(), "--field", "title,TRACKNUMBER", "--other-tags"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Headings(r.Out), Strings{"Clear Tags: " + Dir() + "a.ogg"});
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"ARTIST=Band", "PERFORMER=P"}));

    r = RunCli({"clear", Dir(), "--all"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"PERFORMER=P"}));
    EXPECT_TRUE(test::IsValidOgg(ReadAll(a)));
}

TEST_F(BatchCli, FromFilenameCutsNamesByATypedOrABuiltFormat) {
    const std::string a = Make("01 - Band - Song.ogg", {{"ARTIST", "Kept"}});
    auto r =
        RunCli({"from-filename", Dir(), "--format", "<Track> - <TRASH> - <Title>", "--separator", " - "});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Tag from filename: " + Dir() + "01 - Band - Song.ogg\n" +
                         "     TITLE: (none) -> \"Song\"\n     TRACKNUMBER: (none) -> \"01\"\n"
                         "Done: 1 file changed, 0 left unchanged, 0 failed.\n");
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"ARTIST=Kept", "TITLE=Song", "TRACKNUMBER=01"}));

    fs::remove(a);
    const std::string b = Make("The_Band-Some_Song.ogg", {{"TITLE", "Kept"}});
    r = RunCli(
        {"from-filename", Dir(), "--fields", "artist,title", "-s", "-", "--replace", "_", "--keep-existing"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(b), (Strings{"TITLE=Kept", "ARTIST=The Band"}));
}

// --skip-tagged passes over a file with a comment and says so; the vendor string is no tag, and a
// name with too few pieces for the format is left alone rather than cut into the wrong tags.
TEST_F(BatchCli, FromFilenameSaysWhyItLeavesAFileAlone) {
    const std::string tagged = Make("Band - Song.ogg", {{"MOOD", "calm"}});
    const std::string vendorOnly = Make("Other - Tune.ogg", {});
    const std::string short_ = Make("Song.ogg", {});
    const std::string taggedBytes = ReadAll(tagged);
    const std::string shortBytes = ReadAll(short_);
    const auto r = RunCli({"from-filename", Dir(), "-f", "<Artist> - <Title>", "-s", " - ", "--skip-tagged"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "Tag from filename: " + tagged + "\n     skipped: the file has tags\n" +
                         "Tag from filename: " + vendorOnly +
                         "\n     ARTIST: (none) -> \"Other\"\n     TITLE: (none) -> \"Tune\"\n" +
                         "Tag from filename: " + short_ +
                         "\n     skipped: the name has 1 piece where the format has 2\n" +
                         "Done: 1 file changed, 2 left unchanged, 0 failed.\n");
    EXPECT_TRUE(ReadAll(tagged) == taggedBytes);
    EXPECT_TRUE(ReadAll(short_) == shortBytes);
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
                         "c.ogg\n     to: " + Dir() + "_-_ACDC_Live.ogg\n" +
                         "Done: 2 files changed, 0 left unchanged, 1 failed.\n");
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
    EXPECT_EQ(dry.Out, real.Out);
    EXPECT_NE(real.Out.find("junk.ogg\n     skipped: the file has no tags\n"), std::string::npos) << real.Out;
    EXPECT_NE(real.Out.find("d.ogg\n     to: " + Dir() + "d.ogg\n     skipped: the name is already right\n"),
              std::string::npos)
        << real.Out;
    EXPECT_NE(real.Out.find("b.ogg\n     to: " + Dir() +
                            "Song.ogg\n     not renamed: a file of that name already exists\n"),
              std::string::npos)
        << real.Out;
    EXPECT_EQ(test::CommentsOnDisk(Dir() + "a.ogg"), (Strings{"TITLE=a"}));
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
    EXPECT_EQ(r.Out, "Tag from List: " + Dir() + "a.ogg\n     ARTIST: (none) -> \"Band\"\n" +
                         "     TITLE: (none) -> \"Song\"\n" + "Tag from List: " + Dir() +
                         "b.ogg\n     TITLE: \"Old\" -> (none)\n     ARTIST: (none) -> \"Other\"\n" +
                         "Tag from List: " + Dir() +
                         "d.ogg\n     skipped: the list has no line for it\n" +
                         "List line 3 matched no file: \"A.OGG\"\n" +
                         "Done: 2 files changed, 1 left unchanged, 0 failed.\n");
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song", "ARTIST=Band"}));
    EXPECT_EQ(test::CommentsOnDisk(b), (Strings{"ARTIST=Other"}));
    EXPECT_TRUE(ReadAll(d) == dBytes);

    Make("b.ogg", {{"TITLE", "Old"}});
    r = RunCli({"from-list", Dir(), "-l", list, "-f", "<Target file>;<Artist>;<Title>", "-s", ";",
                "--keep-existing"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(b), (Strings{"TITLE=Old", "ARTIST=Other"}));
}

// Lists as Linux editors and spreadsheets write them (LF line ends, a byte-order mark), and lists
// that come from another program through a pipe: standard input ("-l -") or "-l <(command)".
TEST_F(BatchCli, FromListReadsLinuxListsAndPipes) {
    const std::string a = Make("a.ogg", {});
    const std::string b = Make("b.ogg", {});
    const std::string lines =
        "\xEF\xBB\xBF"
        "a.ogg;Band;Song\nb.ogg;Other;Tune\n";
    const Strings format = {"--fields", "target,artist,title", "-s", ";"};
    const auto run = [&](const std::string& list, const std::string* input) {
        Strings args = {"from-list", Dir(), "--list", list};
        args.insert(args.end(), format.begin(), format.end());
        return input ? test::RunCliWithInput(args, *input) : RunCli(args);
    };
    for (const auto& [list, input] : std::vector<std::pair<std::string, const std::string*>>{
             {dir_.Write("list/tags.csv", lines).string(), nullptr}, {"-", &lines}, {"/dev/stdin", &lines}}) {
        Make("a.ogg", {});
        Make("b.ogg", {});
        const auto r = run(list, input);
        EXPECT_EQ(r.Status, 0) << list << ": " << r.Err;
        EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song", "ARTIST=Band"})) << list;
        EXPECT_EQ(test::CommentsOnDisk(b), (Strings{"TITLE=Tune", "ARTIST=Other"})) << list;
    }
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

// A list exported, then read back with the same fields, changes nothing, whatever the values hold:
// the separator, quotes, line ends of every kind, other scripts, nothing at all.
TEST_F(BatchCli, ExportThenFromListChangesNothing) {
    Make("a.ogg", {{"ARTIST", "Smith; John"}, {"TITLE", "Song \"One\""}, {"COMMENT", "1\r\n2\n3\r4"}});
    Make("b.ogg", {{"TITLE", "\"Heroes\" (Live)"}, {"ALBUM", " spaced "}});
    Make("x;y.ogg", {{"ARTIST", "\xC3\x9Cml\xC3\xA4ut"}, {"TITLE", "\""}});
    Make("sub/c.ogg", {{"ARTIST", "Deep"}});
    const Strings format = {"--fields", "target,artist,trash,title,album,comment", "-s", ";"};
    const std::string list = Dir() + "list/tags.csv";
    fs::create_directory(Dir() + "list");
    Strings args = {"export", Dir(), "-r", "-o", list};
    args.insert(args.end(), format.begin(), format.end());
    auto r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(ReadAll(list), "a.ogg;\"Smith; John\";;\"Song \"\"One\"\"\";;\"1\r\n2\n3\r4\"\n"
                             "b.ogg;;;\"\"\"Heroes\"\" (Live)\";spaced;\n"
                             "c.ogg;Deep;;;;\n"
                             "\"x;y.ogg\";\xC3\x9Cml\xC3\xA4ut;;\"\"\"\";;\n");
    const auto before = Snapshot();
    args = {"from-list", Dir(), "-r", "--list", list};
    args.insert(args.end(), format.begin(), format.end());
    r = RunCli(args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Summary(r.Out), "Done: 0 files changed, 4 left unchanged, 0 failed.\n") << r.Out;
    EXPECT_TRUE(Snapshot() == before);
}

TEST_F(BatchCli, ExportNamesTheFilesItLeavesOutOrCannotTellApart) {
    Make("a.ogg", {{"TITLE", "Top"}});
    Make("sub/a.ogg", {{"TITLE", "Deep"}});
    const std::string junk = dir_.Write("junk.ogg", "not ogg").string();
    const auto r = RunCli({"export", Dir(), "-r", "--fields", "target,title", "-s", ",", Dir() + "gone.ogg"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "a.ogg,Top\na.ogg,Deep\n");
    EXPECT_NE(r.Err.find(Dir() + "gone.ogg: cannot be opened: no such file or directory"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(junk + ": not an Ogg Vorbis or Opus file"), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(Dir() + "sub/a.ogg: an earlier file of the list has the same name"), std::string::npos)
        << r.Err;
}

struct DryRunCase {
    Strings Args;          // after the command's folder
    std::string Expected;  // the dry run's output for the one file, "DIR/" standing for the folder
};

class DryRun : public BatchCli, public ::testing::WithParamInterface<DryRunCase> {};

// A dry run touches nothing and prints, line for line, what the real run then prints and does.
TEST_P(DryRun, ShowsWhatTheRealRunDoesAndLeavesEveryFileAsItWas) {
    const std::string file =
        Make("Band - Song.ogg", {{"ARTIST", "Old"}, {"TITLE", "Song"}, {"MOOD", "calm"}});
    const std::string list = dir_.Write("list.csv", "Band - Song.ogg;New\r\n").string();
    Strings args = GetParam().Args;
    args.insert(args.begin() + 1, Dir());
    for (std::string& arg : args)
        if (arg == "LIST") arg = list;
    const auto before = Snapshot();
    Strings dryArgs = args;
    dryArgs.push_back("--dry-run");
    const auto dry = RunCli(dryArgs);
    EXPECT_TRUE(Snapshot() == before);
    EXPECT_EQ(dry.Status, 0) << dry.Err;
    std::string expected = GetParam().Expected;
    for (std::size_t at = expected.find("DIR/"); at != std::string::npos; at = expected.find("DIR/", at + 1))
        expected.replace(at, 4, Dir());
    EXPECT_EQ(dry.Out, expected);

    const auto real = RunCli(args);
    EXPECT_EQ(real.Out, dry.Out);
    EXPECT_EQ(real.Err, dry.Err);
    EXPECT_EQ(real.Status, dry.Status);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, DryRun,
    ::testing::Values(
        DryRunCase{{"mass", "--prepend", "artist=The ", "--other", "x=1"},
                   "Mass Tag: DIR/Band - Song.ogg\n     ARTIST: \"Old\" -> \"The Old\"\n"
                   "     X: (none) -> \"1\"\nDone: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{{"mass", "--set", "title=Song"},
                   "Mass Tag: DIR/Band - Song.ogg\n     no change\nDone: 0 files changed, 1 left unchanged, "
                   "0 failed.\n"},
        // The writer drops blanks at the ends of values: appending one changes nothing.
        DryRunCase{{"mass", "--append", "title= ", "--other", "mood= calm"},
                   "Mass Tag: DIR/Band - Song.ogg\n     MOOD: (none) -> \"calm\"\n"
                   "Done: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{{"clear", "--field", "title", "--other-tags"},
                   "Clear Tags: DIR/Band - Song.ogg\n     TITLE: \"Song\" -> (none)\n"
                   "     MOOD: \"calm\" -> (none)\nDone: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{{"clear", "--field", "comment,genre"},
                   "Clear Tags: DIR/Band - Song.ogg\n     no change\nDone: 0 files changed, 1 left "
                   "unchanged, 0 failed.\n"},
        DryRunCase{{"from-filename", "--fields", "artist,title", "-s", " - "},
                   "Tag from filename: DIR/Band - Song.ogg\n     ARTIST: \"Old\" -> \"Band\"\n"
                   "Done: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{{"from-filename", "--fields", "artist,title,album", "-s", " - "},
                   "Tag from filename: DIR/Band - Song.ogg\n     skipped: the name has 2 pieces where the "
                   "format has 3\n"
                   "Done: 0 files changed, 1 left unchanged, 0 failed.\n"},
        DryRunCase{{"from-filename", "--fields", "artist,title", "-s", " - ", "--skip-tagged"},
                   "Tag from filename: DIR/Band - Song.ogg\n     skipped: the file has tags\n"
                   "Done: 0 files changed, 1 left unchanged, 0 failed.\n"},
        DryRunCase{{"rename", "--format", "<Title> by <Artist>"},
                   "Renaming: DIR/Band - Song.ogg\n     to: DIR/Song by Old.ogg\n"
                   "Done: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{{"from-list", "--list", "LIST", "--fields", "target,album", "-s", ";"},
                   "Tag from List: DIR/Band - Song.ogg\n     ALBUM: (none) -> \"New\"\n"
                   "Done: 1 file changed, 0 left unchanged, 0 failed.\n"},
        DryRunCase{
            {"from-list", "--list", "LIST", "--fields", "artist,target", "-s", ";"},
            "Tag from List: DIR/Band - Song.ogg\n     skipped: the list has no line for it\n"
            "List line 1 matched no file: \"New\"\nDone: 0 files changed, 1 left unchanged, 0 failed.\n"}));

// A file that keeps its comment as DESCRIPTION keeps it so through any run: a clear of another
// field leaves the file as it is, and a change of the comment goes into the DESCRIPTION.
TEST_F(BatchCli, ADescriptionStaysADescription) {
    const std::string a = Make("a.ogg", {{"TITLE", "Song"}, {"DESCRIPTION", "notes"}});
    const std::string bytes = ReadAll(a);
    auto dry = RunCli({"clear", Dir(), "--field", "artist", "--dry-run"});
    auto real = RunCli({"clear", Dir(), "--field", "artist"});
    EXPECT_EQ(real.Out,
              "Clear Tags: " + a + "\n     no change\nDone: 0 files changed, 1 left unchanged, 0 failed.\n");
    EXPECT_EQ(dry.Out, real.Out);
    EXPECT_TRUE(ReadAll(a) == bytes);

    real = RunCli({"mass", Dir(), "--append", "comment= and more", "--set", "artist=Band"});
    EXPECT_EQ(real.Status, 0) << real.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"TITLE=Song", "DESCRIPTION=notes and more", "ARTIST=Band"}));
    EXPECT_NE(real.Out.find("     DESCRIPTION: \"notes\" -> \"notes and more\"\n"), std::string::npos)
        << real.Out;
}

// Fields given without a separator run together into one: the error says a separator is missing.
TEST_F(BatchCli, FieldsWithoutASeparatorAskForOne) {
    const std::string list = dir_.Write("list.csv", "a.ogg;x\n").string();
    for (const Strings& args : {Strings{"from-list", Dir(), "--list", list, "--fields", "target,artist"},
                                Strings{"from-filename", Dir(), "--fields", "artist,title"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2);
        EXPECT_NE(r.Err.find("(give --separator when it has several)"), std::string::npos) << r.Err;
    }
}

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
             {"mass", Dir(), "--other", "MOODX \xC3\xA9=x"},
             {"mass", Dir(), "--other", "TAB\tNAME=x"},
             {"mass", Dir(), "--bogus", "--set", "artist=x"},
             {"mass", Dir(), "-x", "--set", "artist=x"},
             {"mass", missing, "--set", "artist=x"},
             {"mass", Dir(), missing, "--set", "artist=x"},
             {"mass", "/dev/null", "--set", "artist=x"},
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
             {"rename", Dir(), "--format", "<artist> - <Title>"},
             {"from-filename", Dir(), "-f", "<Titel>-<Artist>", "-s", "-"},
             {"from-list", Dir(), "--list", list, "-f", "<Target File>;<Artist>", "-s", ";"},
             {"export", Dir(), "--fields", "artist,title", "-s", ";"},
             {"export", Dir(), "--fields", "target,title"},
         }) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.Err.find("Try 'parvex-cli " + args[0] + " --help'"), std::string::npos) << r.Err;
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_TRUE(Snapshot() == before);
}

// A mistyped placeholder is named with the one it likely stands for and the known ones; a "<" that
// opens no placeholder, and a separator holding one, are taken as they stand.
TEST_F(BatchCli, UnknownPlaceholdersAreNamedAndALiteralLessThanIsKept) {
    for (const auto& [args, message] : std::vector<std::pair<Strings, std::string>>{
             {{"rename", Dir(), "-f", "<Track> - <artist>"}, "unknown field <artist>; did you mean <Artist>? (known: "
                                                             "<Artist>, <Title>, <Album>, <Track>, <Date>, <Genre>, "
                                                             "<Comment>)"},
             {{"from-filename", Dir(), "-f", "<Titel>-<Artist>", "-s", "-"}, "unknown field <Titel>; did you mean <Title>?"},
             {{"rename", Dir(), "-f", "<Title> <TRASH>"}, "unknown field <TRASH> (known: <Artist>,"},
             {{"from-filename", Dir(), "-f", "<Title>-<Target file>", "-s", "-"}, "unknown field <Target file> (known:"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2);
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    }
    Make("a.ogg", {{"TRACKNUMBER", "3"}, {"TITLE", "Song"}});
    auto r = RunCli({"rename", Dir(), "-f", "<Track> <- <Title>", "-n"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("to: " + Dir() + "3 - Song.ogg"), std::string::npos) << r.Out;
    r = RunCli({"from-filename", Dir(), "--fields", "artist,title", "-s", "<x>", "-n"});
    EXPECT_EQ(r.Status, 0) << r.Err;
}

// A playlist folder of links to the album's files, a second name of a file, the same folder given
// twice: each file is still worked on once, so a prepend is not applied twice.
TEST_F(BatchCli, AFileReachedByTwoPathsIsDoneOnce) {
    const std::string a = Make("album/a.ogg", {{"ARTIST", "Band"}});
    const std::string b = Make("album/b.ogg", {{"ARTIST", "Band"}});
    fs::create_directory(Dir() + "playlist");
    fs::create_symlink(a, Dir() + "playlist/a.ogg");
    fs::create_hard_link(b, Dir() + "playlist/b.ogg");
    auto r = RunCli({"mass", Dir(), "-r", "--prepend", "artist=The "});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Headings(r.Out), (Strings{"Mass Tag: " + a, "Mass Tag: " + b}));
    EXPECT_EQ(test::CommentsOnDisk(a), Strings{"ARTIST=The Band"});
    EXPECT_EQ(test::CommentsOnDisk(b), Strings{"ARTIST=The Band"});

    r = RunCli(
        {"mass", Dir() + "album", Dir() + "album/", Dir() + "playlist/../album", "--append", "artist=!"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(a), Strings{"ARTIST=The Band!"});
    EXPECT_EQ(Summary(r.Out), "Done: 2 files changed, 0 left unchanged, 0 failed.\n");
}

// Files given on their own are worked on as they are, with the files of a folder given beside them,
// in one run that one undo takes back; the folder's other files are left alone.
TEST_F(BatchCli, FilesGivenAreOneRunWithTheFoldersGiven) {
    const test::TempDir state;  // undo takes this test's run, not one of a test beside it
    const test::TScopedEnv stateEnv("XDG_STATE_HOME", state.Path().c_str());
    const std::string a = Make("album/a.ogg", {{"ARTIST", "Band"}});
    const std::string b = Make("album/b.ogg", {{"ARTIST", "Band"}});
    const std::string c = Make("single/c.opus", {{"ARTIST", "Band"}});
    const std::string d = Make("other/d.ogg", {{"ARTIST", "Band"}});
    const auto before = Snapshot();
    auto r = RunCli({"mass", a, c, Dir() + "other", "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Headings(r.Out), (Strings{"Mass Tag: " + a, "Mass Tag: " + c, "Mass Tag: " + d}));
    EXPECT_EQ(test::CommentsOnDisk(b), Strings{"ARTIST=Band"});
    r = RunCli({"undo"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(Snapshot() == before);
}

// A folder deeper than the longest path the system opens cannot be walked: the run names it, does
// the other files and ends with status 1.
TEST_F(BatchCli, AFolderThatCannotBeOpenedIsNamedAndTheRunFails) {
    const std::string a = Make("a.ogg", {});
    const test::TLongPath deep(dir_.Path(), PATH_MAX + 10);
    deep.Write("lost.ogg", test::MakeVorbisFile({}));
    const auto r = RunCli({"mass", Dir(), "-r", "--set", "genre=Jazz"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("parvex-cli: Cannot read folder " + Dir(), 0), 0u) << r.Err;
    EXPECT_NE(r.Err.find(": file name too long\n"), std::string::npos) << r.Err;
    EXPECT_EQ(Headings(r.Out).back(), "Mass Tag: " + a);
    EXPECT_EQ(Summary(r.Out),
              "Done: 1 file changed, 0 left unchanged, 0 failed. 1 folder could not be read.\n");
    EXPECT_EQ(test::CommentsOnDisk(a), Strings{"GENRE=Jazz"});
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
    EXPECT_EQ(r.Err, "parvex-cli: " + junk + ": not an Ogg Vorbis or Opus file: left unchanged\n");
    EXPECT_EQ(Summary(r.Out), "Done: 1 file changed, 0 left unchanged, 1 failed.\n");
    EXPECT_EQ(ReadAll(junk), "not an ogg file");
    EXPECT_EQ(test::CommentsOnDisk(good), (Strings{"GENRE=Test"}));
}

// A file whose headers a save would refuse fails in the plan, whatever the run would change, so
// that the dry run says what the run then does; the other files are done.
TEST_F(BatchCli, AFileWithDamagedHeadersFailsAlikeInTheDryRunAndTheRun) {
    std::string flipped = ReadAll(Make("a-flipped.ogg", {{"TITLE", "Song"}}));
    flipped[flipped.find("Song")] = 'X';  // the page's checksum no longer matches
    const std::string cutBytes = ReadAll(Make("b-cut.ogg", {{"TITLE", "Song"}}));
    dir_.Write("a-flipped.ogg", flipped);
    dir_.Write("b-cut.ogg", cutBytes.substr(0, cutBytes.find("Song")));
    const std::string good = Make("c.ogg", {});
    const std::string failures =
        "parvex-cli: " + Dir() +
        "a-flipped.ogg: could not be written: the checksum of header page 2 is wrong; "
        "the file is unchanged\n"
        "parvex-cli: " +
        Dir() +
        "b-cut.ogg: could not be written: the headers are incomplete or damaged; "
        "the file is unchanged\n";
    for (const Strings& run :
         {Strings{"mass", Dir(), "--set", "genre=Test"}, Strings{"clear", Dir(), "--all"}}) {
        const auto before = Snapshot();
        Strings dryRun = run;
        dryRun.push_back("--dry-run");
        const auto dry = RunCli(dryRun);
        EXPECT_TRUE(Snapshot() == before);
        const auto real = RunCli(run);
        EXPECT_EQ(dry.Out, real.Out);
        EXPECT_EQ(real.Status, 1);
        EXPECT_EQ(dry.Err, failures);
        EXPECT_EQ(real.Err, failures);
    }
    EXPECT_EQ(ReadAll(Dir() + "a-flipped.ogg"), flipped);
    EXPECT_EQ(ReadAll(Dir() + "b-cut.ogg"), cutBytes.substr(0, cutBytes.find("Song")));
    EXPECT_EQ(test::CommentsOnDisk(good), Strings{});
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
        // The runs journal the files they change, where the user running them may write.
        fs::permissions(state_.Path(), fs::perms::all);
        stateEnv_.emplace("XDG_STATE_HOME", state_.Path().c_str());
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
    test::TempDir state_;
    std::optional<test::TScopedEnv> stateEnv_;
    std::optional<uid_t> user_;
    std::string a_, locked_, c_, lockedBytes_;
};

TEST_F(Unreadable, MassNamesTheFileItCannotOpenAndDoesTheOthers) {
    const auto r = Run({"mass", Dir(), "--set", "artist=X"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "parvex-cli: " + locked_ + ": cannot be opened: permission denied\n");
    EXPECT_EQ(Headings(r.Out), (Strings{"Mass Tag: " + a_, "Mass Tag: " + locked_, "Mass Tag: " + c_}));
    EXPECT_EQ(Summary(r.Out), "Done: 2 files changed, 0 left unchanged, 1 failed.\n");
    EXPECT_EQ(test::CommentsOnDisk(a_), (Strings{"TITLE=a", "ARTIST=X"}));
    EXPECT_EQ(test::CommentsOnDisk(c_), (Strings{"TITLE=c", "ARTIST=X"}));
    EXPECT_TRUE(ReadAll(locked_) == lockedBytes_);
}

// A folder the user may not read, named on the command line or met below one: it is named with the
// reason, the other files are done and the run ends with status 1.
TEST_F(Unreadable, AFolderThatCannotBeReadIsNamedAndTheRunFails) {
    const std::string closed = Dir() + "closed";
    fs::create_directory(closed);
    test::WriteVorbisFile(closed + "/d.ogg", {});
    fs::permissions(closed, fs::perms::none);
    for (const Strings& args :
         {Strings{"mass", closed, "--set", "artist=X"}, Strings{"mass", Dir(), "-r", "--set", "artist=Y"},
          Strings{"clear", closed, Dir(), "--all", "--dry-run"}}) {
        const auto r = Run(args);
        EXPECT_EQ(r.Status, 1) << ::testing::PrintToString(args);
        EXPECT_NE(r.Err.find("parvex-cli: Cannot read folder " + closed + ": permission denied\n"),
                  std::string::npos)
            << r.Err;
        EXPECT_NE(Summary(r.Out).find(" 1 folder could not be read."), std::string::npos) << r.Out;
    }
    EXPECT_EQ(test::CommentsOnDisk(a_), (Strings{"TITLE=a", "ARTIST=Y"}));
}

TEST_F(Unreadable, RenameNamesTheFileItCannotOpenAndDoesTheOthers) {
    const auto r = Run({"rename", Dir(), "--format", "<Title>-x"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "parvex-cli: " + locked_ + ": cannot be opened: permission denied\n");
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
