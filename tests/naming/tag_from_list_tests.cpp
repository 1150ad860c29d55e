#include "naming/tag_from_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "naming_fixture.h"
#include "ogg/open_error.h"
#include "text/string_hash.h"

namespace parvex {
namespace {

using test::NamingTest;
using Lines = std::vector<std::string>;

TEST(TagListCheck, GivesTheButtonsMessages) {
    test::TempDir dir;
    EXPECT_EQ(CheckInputList(""), "You need to select an input list csv file.");
    EXPECT_EQ(CheckInputList(dir.Dir() + "missing.csv"), "I can't find the input list csv file.");
    EXPECT_EQ(CheckInputList(dir.Dir()), "I can't find the input list csv file.");
    EXPECT_EQ(CheckInputList(dir.Write("list.csv", "").string()), "");
}

class TagFromListTest : public NamingTest {
protected:
    TagFromListTest() {
        options_.Format = "<Target file>;<Artist>;<Title>";
        options_.Separator = ";";
    }
    void LoadList(const std::string& bytes) {
        LoadTagList(dir_.Write("list.csv", bytes).string(), options_, table_);
    }
    TFileOutcome Tag(const std::string& name) {
        return TagFromList(options_, table_, file_, record_, log_, dir_.Dir(), name);
    }

    TTagFromListOptions options_;
    TStringHash table_{kTagListBuckets};
};

TEST_F(TagFromListTest, LaterLineForOneFileWinsAndOthersStay) {
    LoadList("Target;Artist;Title\r\na.ogg;Old;Gone\r\nb.ogg;B;Kept\r\na.ogg;Band;Song\r\n");
    EXPECT_EQ(table_.Count(), 3);
    EXPECT_EQ(table_.GetString("a.ogg"), "a.ogg;Band;Song");
    EXPECT_EQ(table_.GetString("b.ogg"), "b.ogg;B;Kept");
}

TEST_F(TagFromListTest, LoadingReplacesTheLastList) {
    LoadList("a.ogg;A;T\r\n");
    LoadList("b.ogg;B;T\r\n");
    EXPECT_EQ(table_.GetString("a.ogg"), "");
    EXPECT_EQ(table_.Count(), 1);
}

TEST_F(TagFromListTest, EmptyLinesAreSkippedAndByte26EndsTheList) {
    LoadList("a.ogg;A;1\r\n\r\n\rb.ogg;B;2\r\nc.ogg;C\x1a;3\r\nd.ogg;D;4\r\n");
    EXPECT_EQ(table_.Count(), 3);
    EXPECT_EQ(table_.GetString("b.ogg"), "b.ogg;B;2");
    EXPECT_EQ(table_.GetString("c.ogg"), "c.ogg;C");
}

TEST_F(TagFromListTest, LineFeedOnlyListIsOneLine) {
    LoadList("a.ogg;Band;Song\nb.ogg;B;T\n");
    EXPECT_EQ(table_.Count(), 1);
    EXPECT_EQ(table_.GetString("a.ogg"), "a.ogg;Band;Song\nb.ogg;B;T\n");
}

TEST_F(TagFromListTest, EmptySeparatorStoresNothingForASeveralEntryFormat) {
    options_.Separator = "";
    options_.Format = "<Target file><Artist>";
    LoadList("a.ogg\r\n");
    EXPECT_EQ(table_.Count(), 0);
}

TEST_F(TagFromListTest, CallsBackBeforeEachLine) {
    int calls = 0;
    LoadTagList(dir_.Write("list.csv", "a\r\n\r\nb\r\n").string(), options_, table_, [&] { ++calls; });
    EXPECT_EQ(calls, 3);
}

TEST_F(TagFromListTest, UnreadableListRaises) {
    EXPECT_THROW(LoadTagList(dir_.Dir() + "missing.csv", options_, table_), EFOpenError);
    EXPECT_THROW(LoadTagList(dir_.Dir(), options_, table_), std::system_error);
}

TEST_F(TagFromListTest, TagsTheNamedFileByExactName) {
    AddFile("a.ogg", {{"TITLE", "old"}, {"MOOD", "calm"}});
    AddFile("A.OGG", {{"TITLE", "old"}});
    LoadList("a.ogg;Band;Song\r\n");
    EXPECT_NE(Tag("a.ogg"), TFileOutcome::Skipped);
    EXPECT_EQ(record_.Artist, "Band");
    EXPECT_EQ(record_.Title, "Song");
    EXPECT_EQ(record_.OtherTags, Lines{"MOOD=calm"});
    EXPECT_EQ(log_.Lines.front(), "Tag from filename: " + PathOf("a.ogg"));
    const std::size_t linesBefore = log_.Lines.size();
    EXPECT_EQ(Tag("A.OGG"), TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines.size(), linesBefore);
}

TEST_F(TagFromListTest, MissingColumnEmptiesItsFieldUnlessKept) {
    AddFile("a.ogg", {{"TITLE", "old"}});
    AddFile("b.ogg", {{"TITLE", "old"}});
    LoadList("a.ogg;Band\r\nb.ogg;Band\r\n");
    Tag("a.ogg");
    EXPECT_EQ(Reload("a.ogg").Title, "");
    EXPECT_EQ(Reload("a.ogg").Artist, "Band");
    options_.Overwrite = TOverwriteChoice::KeepExisting;
    Tag("b.ogg");
    EXPECT_EQ(Reload("b.ogg").Title, "old");
    EXPECT_EQ(Reload("b.ogg").Artist, "Band");
}

TEST_F(TagFromListTest, TargetColumnAnywhereAndTrashColumnsSkipped) {
    options_.Format = "<Artist>;<TRASH>;<Target file>";
    AddFile("a.ogg", {});
    LoadList("Band;x;a.ogg\r\n");
    Tag("a.ogg");
    EXPECT_EQ(record_.Artist, "Band");
    EXPECT_EQ(record_.Title, "");
}

TEST_F(TagFromListTest, SeparatorOfSeveralCharactersAndCaseFix) {
    options_.Format = "<Target file> | <Title>";
    options_.Separator = " | ";
    options_.CaseFixChecked = true;
    options_.CaseFixWords = {"of"};
    AddFile("a.ogg", {});
    LoadList("a.ogg | Best Of Both | x\r\n");
    Tag("a.ogg");
    EXPECT_EQ(record_.Title, "Best of Both");
}

TEST_F(TagFromListTest, IgnoreTaggedPassesOverAVendorOnlyFileSilently) {
    options_.Overwrite = TOverwriteChoice::IgnoreTagged;
    AddFile("a.ogg", {});
    const std::string before = Bytes("a.ogg");
    LoadList("a.ogg;Band;Song\r\n");
    EXPECT_EQ(Tag("a.ogg"), TFileOutcome::Skipped);
    EXPECT_TRUE(log_.Lines.empty());
    EXPECT_EQ(Bytes("a.ogg"), before);
}

TEST_F(TagFromListTest, ListedFileThatVanishedRaisesTheOpenError) {
    LoadList("gone.ogg;Band;Song\r\n");
    EXPECT_EQ(Tag("unlisted.ogg"), TFileOutcome::Skipped);
    EXPECT_THROW(Tag("gone.ogg"), EFOpenError);
    EXPECT_EQ(log_.Lines, Lines{"Tag from filename: " + PathOf("gone.ogg")});
}

}  // namespace
}  // namespace parvex
