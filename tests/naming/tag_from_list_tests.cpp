#include "naming/tag_from_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "naming_fixture.h"
#include "fs/open_error.h"
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
        return Apply(PlanTagFromList(options_, table_, file_, record_, dir_.Dir(), name));
    }

    TTagFromListOptions options_;
    TStringHash table_{kTagListStartSize};
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

// The list of a Linux editor or spreadsheet: every line names its own file.
TEST_F(TagFromListTest, LinesEndingInALineFeedAloneAreLinesOfTheirOwn) {
    const std::vector<TListedKey> keys = LoadTagList(dir_.Write("list.csv",
                                                                "\xEF\xBB\xBF"
                                                                "a.ogg;Band;Song\nb.ogg;B;T\n\nc.ogg;C;U")
                                                         .string(),
                                                     options_, table_);
    EXPECT_EQ(table_.Count(), 3);
    EXPECT_EQ(table_.GetString("a.ogg"), "a.ogg;Band;Song")
        << "a byte-order mark is not part of the first name";
    EXPECT_EQ(table_.GetString("b.ogg"), "b.ogg;B;T");
    EXPECT_EQ(table_.GetString("c.ogg"), "c.ogg;C;U");
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[2].Line, 4) << "empty lines are counted";
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
    EXPECT_EQ(log_.Lines.front(), "Tag from List: " + PathOf("a.ogg"));
    log_.Lines.clear();
    EXPECT_EQ(Tag("A.OGG"), TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines,
              (Lines{"Tag from List: " + PathOf("A.OGG"), "     skipped: the list has no line for it"}));
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

// The vendor string is no tag: a file that holds nothing else is tagged; one with a comment is
// passed over, and the log says why.
TEST_F(TagFromListTest, IgnoreTaggedPassesOverTaggedFilesOnly) {
    options_.Overwrite = TOverwriteChoice::IgnoreTagged;
    AddFile("a.ogg", {{"MOOD", "calm"}});
    AddFile("b.ogg", {});
    const std::string before = Bytes("a.ogg");
    LoadList("a.ogg;Band;Song\r\nb.ogg;Band;Song\r\n");
    EXPECT_EQ(Tag("a.ogg"), TFileOutcome::Skipped);
    EXPECT_EQ(log_.Lines,
              (Lines{"Tag from List: " + PathOf("a.ogg"), "     skipped: the file has tags"}));
    EXPECT_EQ(Bytes("a.ogg"), before);
    EXPECT_EQ(Tag("b.ogg"), TFileOutcome::Written);
    EXPECT_EQ(Reload("b.ogg").Artist, "Band");
}

TEST_F(TagFromListTest, ListedFileThatVanishedFailsWithTheReason) {
    LoadList("gone.ogg;Band;Song\r\n");
    EXPECT_EQ(Tag("gone.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines, (Lines{"Tag from List: " + PathOf("gone.ogg"),
                                 "     cannot be opened: no such file or directory"}));
}

// Lists as spreadsheets save them: a field that starts with a quote runs to its closing quote and
// may hold the separator, doubled quotes and line ends (kept as written); other fields read as they
// stand, quotes included.
struct QuotedList {
    const char* Case;
    std::string Bytes;
    std::string Artist;
    std::string Title;
};

class QuotedListTest : public TagFromListTest, public ::testing::WithParamInterface<QuotedList> {};

TEST_P(QuotedListTest, SetsTheUnquotedValues) {
    AddFile("a.ogg", {});
    LoadList(GetParam().Bytes);
    EXPECT_EQ(Tag("a.ogg"), TFileOutcome::Written);
    EXPECT_EQ(record_.Artist, GetParam().Artist);
    EXPECT_EQ(record_.Title, GetParam().Title);
}

INSTANTIATE_TEST_SUITE_P(
    Spreadsheets, QuotedListTest,
    ::testing::Values(
        QuotedList{"EveryFieldQuotedCrLf", "\"Target\";\"Artist\";\"Title\"\r\n\"a.ogg\";\"Smith; John\";\"Song \"\"One\"\"\"\r\n",
                   "Smith; John", "Song \"One\""},
        QuotedList{"LineFeedInsideACrLfList", "a.ogg;\"Band\";\"Verse\nChorus\"\r\nb.ogg;B;T\r\n", "Band",
                   "Verse\nChorus"},
        QuotedList{"CrLfInsideKept", "\"a.ogg\";Band;\"1\r\n2\r\n\"\r\n", "Band", "1\r\n2\r\n"},
        QuotedList{"QuotesInsideUnquotedFields", "a.ogg;12\" Single;Say \"hi\"", "12\" Single", "Say \"hi\""},
        QuotedList{"TextAfterTheClosingQuote", "a.ogg;\"Heroes\" (Live);\"\"\n", "Heroes (Live)", ""},
        QuotedList{"QuotedSeparatorAtTheEnd", "a.ogg;Band;\"x;\";ignored\n", "Band", "x;"}),
    [](const auto& info) { return std::string(info.param.Case); });

// The sheet tag-list.fods saved as CSV by LibreOffice Calc (tests/data/make_data.sh).
TEST_F(TagFromListTest, ListSavedByLibreOfficeCalcSetsTheCellsValues) {
    options_.Format = "<Target file>;<Artist>;<Title>;<Comment>";
    AddFile("a.ogg", {});
    AddFile("b;c.ogg", {});
    LoadTagList(std::string(PARVEX_TEST_DATA) + "/libreoffice-calc.csv", options_, table_);
    Tag("a.ogg");
    EXPECT_EQ(Reload("a.ogg").Artist, "Smith; John");
    EXPECT_EQ(Reload("a.ogg").Title, "Song \"One\"");
    EXPECT_EQ(Reload("a.ogg").Comment, "First line\nSecond line");
    Tag("b;c.ogg");
    EXPECT_EQ(Reload("b;c.ogg").Artist, "\xC3\x9Cml\xC3\xA4ut");
    EXPECT_EQ(Reload("b;c.ogg").Title, "12\" Single");
}

TEST_F(TagFromListTest, RecordOverSeveralLinesKeepsTheLineNumbersOfTheFile) {
    const std::vector<TListedKey> keys =
        LoadTagList(dir_.Write("list.csv", "\"x.ogg\";A;\"1\n2\n3\"\n\ny.ogg;\"B\r\n\";T\n").string(),
                    options_, table_);
    EXPECT_EQ(UnmatchedListLines(keys, {}),
              (Lines{"List line 1 matched no file: \"x.ogg\"", "List line 5 matched no file: \"y.ogg\""}));
}

// A quote that is never closed would take the rest of the list as one value: the list is refused.
TEST_F(TagFromListTest, QuoteNeverClosedRefusesTheList) {
    try {
        LoadList("a.ogg;A;T\nb.ogg;\"B;T\nc.ogg;C;T\n");
        FAIL() << "the list was loaded";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "List line 2: a field opened by a double quote is not closed before the list ends");
    }
}

// After the run, the lines whose file was never found are named, each key once, by its last line.
TEST_F(TagFromListTest, LinesThatMatchedNoFileAreNamedAtTheEnd) {
    const std::vector<TListedKey> keys = LoadTagList(
        dir_.Write("list.csv",
                   "Target;Artist;Title\r\na.ogg;A;1\r\nx.ogg;X;1\r\n\r\nx.ogg;X;2\r\n;no;target\r\n")
            .string(),
        options_, table_);
    EXPECT_EQ(UnmatchedListLines(keys, {"a.ogg", "b.ogg"}),
              (Lines{"List line 1 matched no file: \"Target\"", "List line 5 matched no file: \"x.ogg\"",
                     "List line 6 matched no file: \"\""}));
    EXPECT_TRUE(UnmatchedListLines(keys, {"Target", "a.ogg", "x.ogg", ""}).empty());
}

}  // namespace
}  // namespace parvex
