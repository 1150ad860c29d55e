#include "scan/found_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "scan/find_file.h"
#include "text/text_utils.h"
#include "scan_test_tree.h"

namespace parvex::test {
namespace {

using testing::ElementsAre;

std::vector<std::string> Entries(const TFoundFileList& list) { return {list.begin(), list.end()}; }

TEST(FoundFileListTest, KeepsInsertionOrderAndRefusesExactDuplicatesOnly) {
    TFoundFileList list;
    EXPECT_TRUE(list.Add("/m", "b.ogg"));
    EXPECT_TRUE(list.Add("/m/", "a.ogg"));
    EXPECT_FALSE(list.Add("/m/", "b.ogg"));
    EXPECT_TRUE(list.Add("/m/", "A.ogg"));  // another file on a case-sensitive file system
    EXPECT_TRUE(list.Add("/M/", "a.ogg"));
    EXPECT_TRUE(list.Add("/", "root.ogg"));
    EXPECT_THAT(Entries(list), ElementsAre("/m/*b.ogg", "/m/*a.ogg", "/m/*A.ogg", "/M/*a.ogg", "/*root.ogg"));
    EXPECT_EQ(list.Count(), 5u);
    EXPECT_EQ(list[1], "/m/*a.ogg");
    EXPECT_EQ(NthField(list[0], "*", 1), "/m/");
    EXPECT_EQ(NthField(list[0], "*", 2), "b.ogg");
}

TEST(FoundFileListTest, ClearEmptiesTheDuplicateTestToo) {
    TFoundFileList list;
    for (int i = 0; i < 1000; ++i) list.Add("/m/", std::to_string(i) + ".ogg");
    EXPECT_EQ(list.Count(), 1000u);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.Add("/m/", "5.ogg"));
    EXPECT_FALSE(list.Add("/m/", "5.ogg"));
}

// Large lists grow their duplicate test many times over; nothing listed before may get lost on the
// way.
TEST(FoundFileListTest, RefusesEveryDuplicateOfALargeList) {
    TFoundFileList list;
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(list.Add("/m", std::to_string(i) + ".ogg"));
    int added = 0;
    for (int i = 0; i < kFiles; ++i) added += list.Add("/m/", std::to_string(i) + ".ogg");
    EXPECT_EQ(added, 0);
    EXPECT_TRUE(list.Add("/other", "0.ogg"));
    EXPECT_EQ(list.Count(), std::size_t{kFiles} + 1);
    EXPECT_EQ(list[kFiles - 1], "/m/*" + std::to_string(kFiles - 1) + ".ogg");
}

class FoundFilesFromScanTest : public ScanTreeTest {};

TEST_F(FoundFilesFromScanTest, AFileFoundByTwoMasksIsListedOnce) {
    Make("song.ogg");
    Make("Song.ogg");
    Make("track.ogg");
    TFindFile finder;
    TFoundFileList list;
    finder.OnFound = [&list](TFindFile&, const std::string& folder, const DirEntry& entry) {
        list.Add(folder, entry.Name);
    };
    finder.Filename = "*.ogg;s*.ogg";
    finder.SetLocation(Root());
    finder.Search();
    // Search again without emptying the list: nothing is added twice.
    finder.Search();
    EXPECT_THAT(Entries(list), ElementsAre(Root() + "*Song.ogg", Root() + "*song.ogg", Root() + "*track.ogg"));
}

// The list holds every name a scan finds: a link to a file of another folder of the walk (a
// playlist folder) and a second name of a file are listed too; a second operand naming the same
// folder adds nothing. (A batch run then plans each file once, see PlanRun.)
TEST_F(FoundFilesFromScanTest, EveryNameOfAFileIsListed) {
    Make("album/a.ogg");
    Make("album/b.ogg");
    MakeFolder("playlist");
    std::filesystem::create_symlink(tree_.Path() / "album" / "a.ogg", tree_.Path() / "playlist" / "a.ogg");
    std::filesystem::create_hard_link(tree_.Path() / "album" / "b.ogg",
                                      tree_.Path() / "playlist" / "also b.ogg");
    Make("playlist/c.ogg");
    TFindFile finder;
    TFoundFileList names;
    finder.OnFound = [&](TFindFile&, const std::string& folder, const DirEntry& entry) {
        names.Add(folder, entry.Name);
    };
    finder.Filename = "*.ogg";
    finder.SetLocation(Root() + ";" + Root() + "album/..");
    finder.Search();
    const std::string album = Root() + "album/*";
    const std::string playlist = Root() + "playlist/*";
    EXPECT_THAT(Entries(names), ElementsAre(album + "a.ogg", album + "b.ogg", playlist + "a.ogg",
                                            playlist + "also b.ogg", playlist + "c.ogg"));
    EXPECT_THAT(names.Names(), ElementsAre("a.ogg", "b.ogg", "a.ogg", "also b.ogg", "c.ogg"));
    EXPECT_EQ(TFoundFileList::Split(names[4]), std::make_pair(Root() + "playlist/", std::string("c.ogg")));
}

}  // namespace
}  // namespace parvex::test
