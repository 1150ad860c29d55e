#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <functional>
#include <cmath>
#include <stdexcept>

#include "scan/find_file.h"
#include "scan_test_tree.h"
#include "support/long_path.h"

namespace parvex::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

class FindFileTest : public ScanTreeTest {
protected:
    FindFileTest() { Record(finder_, record_, *this); }

    // Searches the tree's folder for `masks`.
    void SearchTree(const std::string& masks, bool subfolders) {
        finder_.Filename = masks;
        finder_.Subfolders = subfolders;
        finder_.SetLocation(Root());
        finder_.Search();
    }

    TFindFile finder_;
    TScanRecord record_;
};

TEST_F(FindFileTest, ReportsOneFolderOrItsWholeTreeWithEachFoldersOwnFilesFirst) {
    Make("b.ogg");
    Make("a.ogg");
    Make("notes.txt");
    Make("sub/c.ogg");
    Make("sub/deeper/d.ogg");
    Make("sub/e.ogg");
    Make("zsub/f.ogg");

    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg", "b.ogg"));
    EXPECT_THAT(record_.Folders, ElementsAre("."));
    EXPECT_EQ(record_.Completes, 1);

    record_ = {};
    SearchTree("*.ogg", true);
    EXPECT_THAT(record_.Found,
                ElementsAre("a.ogg", "b.ogg", "sub/c.ogg", "sub/e.ogg", "sub/deeper/d.ogg", "zsub/f.ogg"));
    EXPECT_THAT(record_.Folders, ElementsAre(".", "sub", "sub/deeper", "zsub"));
    EXPECT_EQ(record_.Completes, 1);
    EXPECT_FALSE(finder_.Busy());
    EXPECT_FALSE(finder_.Aborted());
}

TEST_F(FindFileTest, MasksIgnoreLetterCaseAndRepeatedMasksAreMerged) {
    Make("Song.OGG");
    Make("track.ogg");
    Make(".hidden.ogg");
    Make("cover.jpg");

    SearchTree("*.oGg", false);
    EXPECT_THAT(record_.Found, ElementsAre(".hidden.ogg", "Song.OGG", "track.ogg"));

    // One report per target: *.OGG repeats *.ogg and is dropped; s*.ogg finds Song.OGG a second time.
    record_ = {};
    SearchTree("*.ogg; *.OGG ;s*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre(".hidden.ogg", "Song.OGG", "track.ogg", "Song.OGG"));
}

// Several masks over one tree: each folder is listed once and reported once when it is missing, its
// own matches mask by mask before anything of its subfolders.
TEST_F(FindFileTest, SeveralMasksWalkTheTreeOnce) {
    Make("b.opus");
    Make("a.ogg");
    Make("sub/c.OGA");
    Make("sub/d.ogg");
    Make("sub/notes.txt");
    SearchTree("*.ogg;*.oga;*.opus", true);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg", "b.opus", "sub/d.ogg", "sub/c.OGA"));
    EXPECT_THAT(record_.Folders, ElementsAre(".", "sub"));

    record_ = {};
    finder_.SetLocation(Root() + "missing");
    finder_.Search();
    EXPECT_THAT(record_.FolderErrors, ElementsAre("missing: no such file or directory"));
}

TEST_F(FindFileTest, DefaultMaskFindsFilesWithAndWithoutExtension) {
    Make("README");
    Make("a.ogg");
    MakeFolder("plain");
    finder_.Filename = "";  // an empty mask is "*.*"
    finder_.Subfolders = false;
    finder_.SetLocation(Root());
    finder_.Search();
    // The plain folder carries only the folder attribute and is refused by the default set.
    EXPECT_THAT(record_.Found, ElementsAre("README", "a.ogg"));
}

TEST_F(FindFileTest, OnFoundGetsTheFolderWithoutItsSeparatorAndAFullEntry) {
    Make("sub/a.ogg", "12345");
    std::string folder;
    DirEntry entry;
    finder_.OnFound = [&](TFindFile&, const std::string& f, const DirEntry& e) {
        folder = f;
        entry = e;
    };
    SearchTree("*.ogg", true);
    EXPECT_EQ(folder, tree_.Path().string() + "/sub");
    EXPECT_EQ(entry.Name, "a.ogg");
    EXPECT_EQ(entry.Size, 5);
    EXPECT_EQ(entry.Attributes, ffArchive);
    EXPECT_LE(entry.Modified, std::chrono::system_clock::now());
}

TEST_F(FindFileTest, AttributesFollowModeBitsAndNames) {
    const auto readOnly = Make("locked.ogg");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    Make("plain.ogg");
    Make(".hidden.ogg");
    MakeFolder(".hidden-folder.ogg");
    MakeFolder("folder.ogg");

    SearchTree("*.ogg", false);
    // A hidden folder carries more than the folder attribute and passes; a plain one does not.
    EXPECT_THAT(record_.Found, ElementsAre(".hidden-folder.ogg", ".hidden.ogg", "locked.ogg", "plain.ogg"));

    record_ = {};
    finder_.Attributes = ffReadonly;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("locked.ogg"));

    record_ = {};
    finder_.Attributes = ffArchive;
    finder_.ExactAttribute = true;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("plain.ogg"));

    record_ = {};
    finder_.Attributes = ffDirectory;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("folder.ogg"));
}

TEST_F(FindFileTest, FifosAreNeverReported) {
    Make("song.ogg");
    ASSERT_EQ(mkfifo((tree_.Path() / "pipe.ogg").c_str(), 0644), 0);
    finder_.Containing = "x";  // reading the fifo would block the search
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, IsEmpty());
    finder_.Containing.clear();
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("song.ogg"));
}

TEST_F(FindFileTest, SizeLimitsAreInclusiveAndSkipFolders) {
    Make("empty.ogg");
    Make("ten.ogg", std::string(10, 'x'));
    Make("hundred.ogg", std::string(100, 'x'));
    Make("more.ogg", std::string(101, 'x'));
    MakeFolder(".folder.ogg");
    finder_.SizeMin = 10;
    finder_.SizeMax = 100;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre(".folder.ogg", "hundred.ogg", "ten.ogg"));
}

TEST_F(FindFileTest, ModifiedAndAccessedLimitsUseLocalDateTimes) {
    using namespace std::chrono;
    const TFileTime now = system_clock::now();
    SetFileTimes(Make("past.ogg"), now - hours(48), now - hours(48));
    SetFileTimes(Make("future.ogg"), now + hours(48), now + hours(48));
    Make("current.ogg");

    // As a batch run sets it: now. A file with a time in the future is left out.
    finder_.ModifiedBefore = Now();
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("current.ogg", "past.ogg"));

    record_ = {};
    finder_.ModifiedBefore = 0;
    finder_.ModifiedAfter = Now() - 1.0;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("current.ogg", "future.ogg"));

    record_ = {};
    finder_.ModifiedAfter = 0;
    finder_.AccessedBefore = std::trunc(Now()) - 1.0;  // a whole date: yesterday, any time of day
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("past.ogg"));
}

TEST_F(FindFileTest, TimeOnlyLimitsCompareTheTimeOfDay) {
    std::tm fields{};
    fields.tm_year = 2020 - 1900;
    fields.tm_mon = 5;
    fields.tm_mday = 15;
    fields.tm_hour = 10;
    fields.tm_isdst = -1;
    const TFileTime tenOClock = std::chrono::system_clock::from_time_t(std::mktime(&fields));
    SetFileTimes(Make("morning.ogg"), tenOClock, tenOClock);

    finder_.ModifiedAfter = 9.0 / 24.0;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("morning.ogg"));

    record_ = {};
    finder_.ModifiedAfter = 11.0 / 24.0;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, IsEmpty());
}

TEST_F(FindFileTest, CreatedLimitAtAWholeDateKeepsFilesCreatedThatDay) {
    Make("new.ogg");
    finder_.CreatedBefore = Now() - 1.0;  // a full date-time a day ago
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, IsEmpty());

    finder_.CreatedBefore = std::trunc(Now());  // today, no time part
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("new.ogg"));
}

TEST_F(FindFileTest, ContainingFindsTextAcrossReadBlocksWithOptionalCase) {
    std::string straddling(4094, '.');
    straddling += "Needle";  // starts two bytes before the end of the first 4096-byte block
    Make("straddling.ogg", straddling);
    Make("upper.ogg", "a NEEDLE here");
    Make("none.ogg", std::string(9000, 'n'));
    MakeFolder(".folder.ogg");

    finder_.Containing = "needle";
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre(".folder.ogg", "straddling.ogg", "upper.ogg"));

    record_ = {};
    finder_.IgnoreCase = false;
    finder_.Containing = "Needle";
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre(".folder.ogg", "straddling.ogg"));
}

TEST_F(FindFileTest, ExclusionsRefuseByNameAndByFolder) {
    Make("keep.ogg");
    Make("draft.tmp.ogg");
    Make("skip/inside.ogg");
    Make("other/inside.ogg");
    finder_.ExcludeFiles = {"*.TMP.ogg", "skip/*.*"};
    SearchTree("*.ogg", true);
    EXPECT_THAT(record_.Found, ElementsAre("keep.ogg", "other/inside.ogg"));
}

TEST_F(FindFileTest, IncludeFilesReplacesLocationAndFilename) {
    Make("a1.ogg");
    Make("b1.ogg");
    Make("sub/x.ogg");
    Make("sub/y.txt");
    finder_.SetLocation("/nonexistent");
    finder_.Filename = "*.none";
    finder_.Subfolders = false;
    finder_.IncludeFiles = {Root() + "a*.ogg", Root() + "sub/*.OGG"};
    finder_.Search();
    EXPECT_THAT(record_.Found, ElementsAre("a1.ogg", "sub/x.ogg"));
}

TEST_F(FindFileTest, SeveralLocationsAreWalkedInOrderAndRepeatsMerged) {
    Make("one/a.ogg");
    Make("two/b.ogg");
    finder_.Subfolders = false;
    finder_.Filename = "*.ogg";
    finder_.SetLocation(Root() + "two ; " + Root() + "one;" + Root() + "two/");
    finder_.Search();
    EXPECT_THAT(record_.Found, ElementsAre("two/b.ogg", "one/a.ogg"));
    EXPECT_THAT(record_.Folders, ElementsAre("two", "one"));
}

TEST_F(FindFileTest, FoldersDifferingInCaseAreBothWalked) {
    Make("Music/a.ogg");
    Make("music/b.ogg");
    finder_.Subfolders = false;
    finder_.Filename = "*.ogg";
    finder_.SetLocation(Root() + "Music;" + Root() + "music");
    finder_.Search();
    EXPECT_THAT(record_.Found, ElementsAre("Music/a.ogg", "music/b.ogg"));
}

TEST_F(FindFileTest, LocationWithWildcardsIsRefusedAndKept) {
    finder_.SetLocation("/music/");
    try {
        finder_.SetLocation("/music/*.ogg");
        FAIL() << "no error";
    } catch (const EFindFileError& error) {
        EXPECT_STREQ(error.what(), "/music/*.ogg\n\rlocation cannot to be contained wildcards");
    }
    EXPECT_THROW(finder_.SetLocation("/a?b"), EFindFileError);
    EXPECT_EQ(finder_.Location(), "/music/");
}

TEST_F(FindFileTest, NewFolderHandlerCanSkipAFolderWithItsTree) {
    Make("a.ogg");
    Make("skip/b.ogg");
    Make("skip/deeper/c.ogg");
    Make("walk/d.ogg");
    finder_.OnNewFolder = [this](TFindFile&, const std::string& folder, bool& ignore) {
        record_.Folders.push_back(Relative(folder));
        ignore = Relative(folder) == "skip";
    };
    SearchTree("*.ogg", true);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg", "walk/d.ogg"));
    EXPECT_THAT(record_.Folders, ElementsAre(".", "skip", "walk"));
}

TEST_F(FindFileTest, LinksAreFollowedButNoFolderIsWalkedTwice) {
    Make("a/song.ogg");
    Make("b/other.ogg");
    Make("target.ogg");
    std::filesystem::create_directory_symlink("..", tree_.Path() / "a" / "up");  // a loop to the top
    std::filesystem::create_directory_symlink("../a", tree_.Path() / "b" / "to-a");
    std::filesystem::create_symlink("target.ogg", tree_.Path() / "link.ogg");
    std::filesystem::create_symlink("missing.ogg", tree_.Path() / "dangling.ogg");

    SearchTree("*.ogg", true);
    EXPECT_THAT(record_.Found, ElementsAre("link.ogg", "target.ogg", "a/song.ogg", "b/other.ogg"));
    EXPECT_THAT(record_.Folders, ElementsAre(".", "a", "b"));
}

TEST_F(FindFileTest, NamesThatAreNotUtf8AreReportedByTheirBytes) {
    const std::string name = "caf\xE9 \xFF.ogg";
    Make(name);
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre(name));
}

TEST_F(FindFileTest, AMissingLocationIsReportedAndCompletes) {
    finder_.SetLocation(Root() + "missing");
    finder_.Search();
    EXPECT_THAT(record_.Found, IsEmpty());
    EXPECT_THAT(record_.Folders, ElementsAre("missing"));
    EXPECT_THAT(record_.FolderErrors, ElementsAre("missing: no such file or directory"));
    EXPECT_EQ(record_.Completes, 1);
    EXPECT_FALSE(finder_.Aborted());
}

TEST_F(FindFileTest, SearchWhileBusyIsIgnoredAndOnCompleteMayStartTheNext) {
    Make("a.ogg");
    Make("b.ogg");
    finder_.OnFound = [this](TFindFile& sender, const std::string&, const DirEntry& entry) {
        EXPECT_TRUE(sender.Busy());
        record_.Found.push_back(entry.Name);
        sender.Search();  // ignored
    };
    int starts = 0;
    finder_.OnComplete = [&](TFindFile& sender) {
        EXPECT_FALSE(sender.Busy());
        ++record_.Completes;
        if (++starts == 1) sender.Search();
    };
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg", "b.ogg", "a.ogg", "b.ogg"));
    EXPECT_EQ(record_.Completes, 2);
}

TEST_F(FindFileTest, HandlerErrorsEndTheWalkQuietlyButOnCompleteErrorsPass) {
    Make("a.ogg");
    Make("b.ogg");
    finder_.OnFound = [this](TFindFile&, const std::string&, const DirEntry& entry) {
        record_.Found.push_back(entry.Name);
        throw std::runtime_error("handler failed");
    };
    EXPECT_NO_THROW(SearchTree("*.ogg", false));
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg"));
    EXPECT_TRUE(finder_.Aborted());
    EXPECT_EQ(record_.Completes, 1);

    finder_.OnFound = nullptr;
    finder_.OnComplete = [](TFindFile&) { throw std::runtime_error("complete failed"); };
    EXPECT_THROW(SearchTree("*.ogg", false), std::runtime_error);
    EXPECT_FALSE(finder_.Aborted());  // cleared by the new search
    EXPECT_FALSE(finder_.Busy());
}

TEST_F(FindFileTest, ThreadedWithoutAHandOverRunsInTheCallersThread) {
    Make("a.ogg");
    finder_.Threaded = true;
    SearchTree("*.ogg", false);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg"));
    EXPECT_EQ(record_.Completes, 1);
}

// Root reads every folder; the unreadable case runs in a child that has dropped to "nobody". A folder
// that can be listed but not entered hides its files just the same.
TEST_F(FindFileTest, AFolderThatCannotBeListedIsReportedAndTheWalkGoesOn) {
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr) GTEST_SKIP() << "needs root and a 'nobody' user";
    Make("a.ogg");
    Make("closed/b.ogg");
    Make("open/c.ogg");
    Make("listonly/d.ogg");
    std::filesystem::permissions(tree_.Path(), std::filesystem::perms::owner_all |
                                                   std::filesystem::perms::group_read |
                                                   std::filesystem::perms::group_exec |
                                                   std::filesystem::perms::others_read |
                                                   std::filesystem::perms::others_exec);
    std::filesystem::permissions(tree_.Path() / "open", std::filesystem::perms::all);
    std::filesystem::permissions(tree_.Path() / "closed", std::filesystem::perms::none);
    std::filesystem::permissions(tree_.Path() / "listonly", std::filesystem::perms::others_read);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(10);
        SearchTree("*.ogg", true);
        const bool asExpected =
            record_.Found == std::vector<std::string>{"a.ogg", "open/c.ogg"} &&
            record_.Folders == std::vector<std::string>{".", "closed", "listonly", "open"} &&
            record_.FolderErrors ==
                std::vector<std::string>{"closed: permission denied", "listonly: permission denied"} &&
            record_.Completes == 1 && !finder_.Aborted();
        _exit(asExpected ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A folder deeper than the longest path the system opens is reported; the folders above it are still
// walked.
TEST_F(FindFileTest, APathTooLongToOpenIsReported) {
    Make("a.ogg");
    const TLongPath deep(tree_.Path(), PATH_MAX + 10);
    deep.Write("lost.ogg", "x");
    SearchTree("*.ogg", true);
    EXPECT_THAT(record_.Found, ElementsAre("a.ogg"));
    ASSERT_EQ(record_.FolderErrors.size(), 1u);
    EXPECT_THAT(record_.FolderErrors[0], testing::EndsWith(": file name too long"));
    EXPECT_EQ(record_.Completes, 1);
}

TEST(StripTrailingBackslashTest, DropsOneSeparatorButKeepsTheRoot) {
    EXPECT_EQ(StripTrailingBackslash("/music/"), "/music");
    EXPECT_EQ(StripTrailingBackslash("/music"), "/music");
    EXPECT_EQ(StripTrailingBackslash("/"), "/");
    EXPECT_EQ(StripTrailingBackslash(""), "");
}

// A caller that takes no details gets the same files, with the same identity, whichever filters
// are set: files are taken from the listing only where no filter needs to look them up.
struct DetailsCase {
    const char* What;
    std::function<void(TFindFile&)> Set;
    bool LooksUp;  // the filters need every file looked up: its entry is complete
};

class FindFileDetails : public FindFileTest, public testing::WithParamInterface<DetailsCase> {};

TEST_P(FindFileDetails, LeavingThemOutFindsTheSameFilesWithTheSameIdentity) {
    Make("a.ogg", "12345");
    Make("x.ogg", "xx");
    Make(".hidden.ogg", "h");
    std::filesystem::permissions(Make("locked.ogg", "locked"), std::filesystem::perms::owner_read);
    Make("sub/b.ogg", "b");
    Make("sub/deep/c.ogg", "ccc");
    MakeFolder("folder.ogg");
    MakeFolder(".hidden-folder.ogg");
    std::filesystem::create_symlink("a.ogg", tree_.Path() / "link.ogg");
    std::filesystem::create_symlink("missing.ogg", tree_.Path() / "dangling.ogg");
    std::filesystem::create_symlink("sub", tree_.Path() / "sublink");
    std::filesystem::create_hard_link(tree_.Path() / "a.ogg", tree_.Path() / "sub/hard.ogg");
    ASSERT_EQ(mkfifo((tree_.Path() / "pipe.ogg").c_str(), 0644), 0);

    const auto search = [&](bool details) {
        std::vector<std::pair<std::string, DirEntry>> found;
        TFindFile finder;
        GetParam().Set(finder);
        finder.Details = details;
        finder.Filename = "*.ogg";
        finder.SetLocation(Root());
        finder.OnFound = [&](TFindFile&, const std::string& folder, const DirEntry& entry) {
            found.emplace_back(Relative(folder + "/" + entry.Name), entry);
        };
        finder.Search();
        return found;
    };
    const auto full = search(true);
    const auto lean = search(false);
    ASSERT_EQ(lean.size(), full.size());
    ASSERT_FALSE(full.empty());
    for (std::size_t i = 0; i < full.size(); ++i) {
        const auto& [path, entry] = full[i];
        EXPECT_EQ(lean[i].first, path);
        EXPECT_EQ(lean[i].second.Device, entry.Device) << path;
        EXPECT_EQ(lean[i].second.Inode, entry.Inode) << path;
        EXPECT_EQ(lean[i].second.Attributes & ~ffReadonly, entry.Attributes & ~ffReadonly) << path;
        if (GetParam().LooksUp) {
            EXPECT_EQ(lean[i].second.Attributes, entry.Attributes) << path;
            EXPECT_EQ(lean[i].second.Size, entry.Size) << path;
            EXPECT_EQ(lean[i].second.Modified, entry.Modified) << path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FindFileDetails,
    testing::Values(DetailsCase{"none", [](TFindFile&) {}, false},
                    DetailsCase{"exclusions and content", [](TFindFile& f) {
                                    f.ExcludeFiles = {"*/b.ogg"};
                                    f.Containing = "X";
                                }, false},
                    DetailsCase{"read-only only", [](TFindFile& f) { f.Attributes = ffReadonly; }, true},
                    DetailsCase{"exact attributes", [](TFindFile& f) {
                                    f.Attributes = ffArchive;
                                    f.ExactAttribute = true;
                                }, true},
                    DetailsCase{"size", [](TFindFile& f) { f.SizeMin = 2; }, true},
                    DetailsCase{"modified before", [](TFindFile& f) { f.ModifiedBefore = Now() + 1.0; }, true},
                    DetailsCase{"created before", [](TFindFile& f) { f.CreatedBefore = Now() + 1.0; }, true},
                    DetailsCase{"accessed after", [](TFindFile& f) { f.AccessedAfter = Now() - 1.0; }, true}),
    [](const auto& info) {
        std::string name = info.param.What;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

}  // namespace
}  // namespace parvex::test
