// The plan of a file's change and what carrying it out leaves in the file: which comments count as
// changed, names and DESCRIPTION written back as they were read, which files count as tagged, and
// the run's summary line.

#include "batch/file_plan.h"

#include <gtest/gtest.h>

#include "batch/clear_tags.h"
#include "batch/log_sink.h"
#include "batch/mass_tag.h"
#include "batch/run_tally.h"
#include "ogg/ogg_vorbis.h"
#include "support/apply_plan.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using Strings = std::vector<std::string>;

// ---- Which comments a change touches ----

struct ChangeCase {
    const char* What;
    std::function<void(tagrecord&)> Before;
    std::function<void(tagrecord&)> After;  // applied to a copy of the record made by Before
    Strings Lines;
};

class ChangeLinesTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeLinesTest, NameEachCommentThatTheWriterWouldStoreDifferently) {
    tagrecord before;
    GetParam().Before(before);
    tagrecord after = before;
    GetParam().After(after);
    EXPECT_EQ(ChangeLines(before, after), GetParam().Lines);
}

void Nothing(tagrecord&) {}

std::string Repeated(const std::string& text, std::size_t times) {
    std::string repeated;
    for (std::size_t i = 0; i < times; ++i) repeated += text;
    return repeated;
}

INSTANTIATE_TEST_SUITE_P(
    Records, ChangeLinesTest,
    ::testing::Values(ChangeCase{"Unchanged", [](tagrecord& r) { r.Artist = "Band"; }, Nothing, {}},
                      ChangeCase{"BlanksTheWriterDrops",
                                 [](tagrecord& r) { r.Artist = "Band"; },
                                 [](tagrecord& r) { r.Artist = " Band\t"; },
                                 {}},
                      ChangeCase{"FieldChangedAddedRemoved",
                                 [](tagrecord& r) { r.Artist = "Old", r.Title = "Song"; },
                                 [](tagrecord& r) { r.Artist = "New", r.Title = "", r.ISRC = "X1"; },
                                 {"     ARTIST: \"Old\" -> \"New\"", "     TITLE: \"Song\" -> (none)",
                                  "     ISRC: (none) -> \"X1\""}},
                      ChangeCase{"CommentUnderItsOwnName",
                                 [](tagrecord& r) { r.Comment = "notes", r.CommentName = "DESCRIPTION"; },
                                 [](tagrecord& r) { r.Comment = ""; },
                                 {"     DESCRIPTION: \"notes\" -> (none)"}},
                      ChangeCase{"OtherTagWithAFieldsNameIsItsSecondValue",
                                 [](tagrecord& r) { r.Artist = "Band"; },
                                 [](tagrecord& r) { r.OtherTags = {"ARTIST=Listed"}; },
                                 {"     ARTIST: (none) -> \"Listed\""}},
                      ChangeCase{"EqualNamesComparedInTurn",
                                 [](tagrecord& r) {
                                     r.OtherTags = {"A=1", "A=2"};
                                 },
                                 [](tagrecord& r) {
                                     r.OtherTags = {"A=2", "A=1"};
                                 },
                                 {"     A: \"1\" -> \"2\"", "     A: \"2\" -> \"1\""}},
                      ChangeCase{"AValueKeptIsNotNamedWhereverItStands",
                                 [](tagrecord& r) { r.Artist = "First", r.OtherTags = {"ARTIST=Second"}; },
                                 [](tagrecord& r) { r.Artist = ""; },
                                 {"     ARTIST: \"First\" -> (none)"}},
                      ChangeCase{"OnlyTheValuesThatGoAndComeArePaired",
                                 [](tagrecord& r) {
                                     r.OtherTags = {"A=1", "A=2", "A=3", "A=3"};
                                 },
                                 [](tagrecord& r) {
                                     r.OtherTags = {"A=2", "A=3", "A=4"};
                                 },
                                 {"     A: \"1\" -> \"4\"", "     A: \"3\" -> (none)"}},
                      ChangeCase{"DistinctNamesInAnotherOrder",
                                 [](tagrecord& r) {
                                     r.OtherTags = {"A=1", "B=2"};
                                 },
                                 [](tagrecord& r) {
                                     r.OtherTags = {"B=2", "A=1"};
                                 },
                                 {}},
                      ChangeCase{"NameWithABlankIsItsOwnName",
                                 [](tagrecord& r) { r.OtherTags = {"ARTIST =Band"}; },
                                 [](tagrecord& r) { r.Artist = "Band"; },
                                 {"     ARTIST: (none) -> \"Band\""}},
                      ChangeCase{"ValuesStayOnOneLine",
                                 Nothing,
                                 [](tagrecord& r) { r.OtherTags = {"NOTE=a\r\nb \"c\""}; },
                                 {"     NOTE: (none) -> \"a\\r\\nb \\\"c\\\"\""}},
                      // A large value by its start, cut before a character, and its size.
                      ChangeCase{"LargeValueShownByItsStartAndSize",
                                 [](tagrecord& r) { r.Comment = "a" + Repeated("\u00e9", 3000); },
                                 [](tagrecord& r) { r.Comment = "short"; },
                                 {"     COMMENT: \"a" + Repeated("\u00e9", 29) + "\"... (6001 bytes) -> \"short\""}}),
    [](const auto& info) { return std::string(info.param.What); });

// ---- What a save leaves in the file ----

class FilePlanTest : public ::testing::Test {
protected:
    std::string Make(const test::CommentList& comments) {
        test::WriteVorbisFile(dir_.Path() / "a.ogg", comments);
        return "a.ogg";
    }
    Strings Comments() const {
        return test::ReadCommentHeader(test::ReadAll(dir_.Path() / "a.ogg")).Comments;
    }
    TFileOutcome Mass(const TMassTagOptions& options) {
        return test::ApplyPlan(PlanMassTag(options, file_, record_, dir_.Dir(), "a.ogg"), log_);
    }
    static TMassTagOptions SetRow(TTagField field, const std::string& text,
                                  TMassMode mode = TMassMode::Overwrite) {
        TMassTagOptions options;
        options.Rows.push_back({field, text, mode});
        return options;
    }

    test::TempDir dir_;
    TOggVorbis file_;
    tagrecord record_;
    TLineLog log_;
};

struct KeptNameCase {
    const char* What;
    test::CommentList Comments;
    TTagField Field;
    std::string Text;
    Strings Expected;  // the file's comments afterwards, in file order
};

class KeptNames : public FilePlanTest, public ::testing::WithParamInterface<KeptNameCase> {};

// A comment keeps the name it was read under, letter case included: DESCRIPTION stays DESCRIPTION
// (other programs look for it there), a name with a blank is not turned into another comment's
// name, and a comment kept with an empty value stays.
TEST_P(KeptNames, ASaveWritesEveryNameBackAsItWasRead) {
    Make(GetParam().Comments);
    EXPECT_EQ(Mass(SetRow(GetParam().Field, GetParam().Text)), TFileOutcome::Written);
    EXPECT_EQ(Comments(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Saves, KeptNames,
                         ::testing::Values(KeptNameCase{"DescriptionUntouchedByAnotherField",
                                                        {{"DESCRIPTION", "notes"}, {"TITLE", "Song"}},
                                                        TTagField::Artist,
                                                        "Band",
                                                        {"DESCRIPTION=notes", "TITLE=Song", "ARTIST=Band"}},
                                           KeptNameCase{"DescriptionTakesTheNewComment",
                                                        {{"DESCRIPTION", "notes"}, {"TITLE", "Song"}},
                                                        TTagField::Comment,
                                                        "new",
                                                        {"DESCRIPTION=new", "TITLE=Song"}},
                                           KeptNameCase{"CommentStaysComment",
                                                        {{"COMMENT", "notes"}},
                                                        TTagField::Comment,
                                                        "new",
                                                        {"COMMENT=new"}},
                                           KeptNameCase{"DescriptionBeforeComment",
                                                        {{"DESCRIPTION", "d"}, {"COMMENT", "c"}},
                                                        TTagField::Artist,
                                                        "B",
                                                        {"DESCRIPTION=d", "COMMENT=c", "ARTIST=B"}},
                                           KeptNameCase{"CommentBeforeDescription",
                                                        {{"COMMENT", "c"}, {"DESCRIPTION", "d"}},
                                                        TTagField::Comment,
                                                        "x",
                                                        {"COMMENT=x", "DESCRIPTION=d"}},
                                           KeptNameCase{"EmptyDescriptionThenComment",
                                                        {{"DESCRIPTION", ""}, {"COMMENT", "c"}},
                                                        TTagField::Comment,
                                                        "x",
                                                        {"DESCRIPTION=", "COMMENT=x"}},
                                           KeptNameCase{"NameWithATrailingBlank",
                                                        {{"Artist ", "Band"}, {"TITLE", "Song"}},
                                                        TTagField::Title,
                                                        "New",
                                                        {"Artist =Band", "TITLE=New"}},
                                           KeptNameCase{"NameWithALeadingBlank",
                                                        {{" MOOD", "calm"}},
                                                        TTagField::Title,
                                                        "Song",
                                                        {" MOOD=calm", "TITLE=Song"}}),
                         [](const auto& info) { return std::string(info.param.What); });

TEST_F(FilePlanTest, ClearingTheCommentRemovesADescription) {
    Make({{"DESCRIPTION", "notes"}, {"TITLE", "Song"}});
    TClearTagsOptions options;
    options.Fields = {TTagField::Comment};
    EXPECT_EQ(test::ApplyPlan(PlanClearTags(options, file_, record_, dir_.Dir(), "a.ogg"), log_),
              TFileOutcome::Written);
    EXPECT_EQ(Comments(), Strings{"TITLE=Song"});
    EXPECT_EQ(log_.Lines.back(), "     DESCRIPTION: \"notes\" -> (none)");
}

TEST_F(FilePlanTest, AFailedWriteNamesItsReasonAndLeavesTheFile) {
    // A comment count larger than the comments stored: the header is damaged and must not be rewritten.
    std::string packet = test::CommentPacket("v", {"TITLE=Song"});
    packet[7 + 4 + 1] = 5;
    const auto path = dir_.Write("a.ogg", test::MakeVorbisFileFromPacket(packet));
    const std::string before = test::ReadAll(path);
    EXPECT_EQ(Mass(SetRow(TTagField::Artist, "Band")), TFileOutcome::Failed);
    EXPECT_EQ(log_.Lines.back(),
              "     could not be written: the comment header is damaged; the file is unchanged");
    EXPECT_EQ(test::ReadAll(path), before);
}

// A run plans every file before it saves any: a plan holds none of the large comments (lyrics,
// cover art, a long comment) its change keeps, or the run would hold every file's at once, and its
// lines show a large value shortened. The save takes them from the file again, each from its own
// place, a repeated one included, whether the plan kept the headers it read or the run's budget for
// them ran out (the save then reads them again).
class LargeComments : public FilePlanTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LargeComments, APlanLeavesTheLargeCommentsItKeepsInTheFile) {
    const std::string lyrics(100000, 'l');
    const std::string notes(50000, 'n');
    Make({{"LYRICS", lyrics}, {"TITLE", "Song"}, {"LYRICS", lyrics + "2"}, {"Comment", notes}, {"MOOD", "calm"},
          {"LYRICS", lyrics}, {"ARTIST", lyrics}});
    TFilePlan plan = PlanMassTag(SetRow(TTagField::Artist, "Band"), file_, record_, dir_.Dir(), "a.ogg");
    if (!GetParam()) {
        std::size_t held = kPlannedHeaderBytes;
        KeepHeadersWithin(plan, held);
        ASSERT_FALSE(plan.Headers);
    }
    std::size_t held = plan.Record.Comment.size() + plan.Record.Artist.size();
    for (const std::string& line : plan.Record.OtherTags) held += line.size();
    for (const std::string& line : plan.Lines) held += line.size();
    EXPECT_LT(held, kLargeValueBytes);
    EXPECT_EQ(test::ApplyPlan(plan, log_), TFileOutcome::Written);
    const Strings expected = {"LYRICS=" + lyrics, "TITLE=Song", "LYRICS=" + lyrics + "2", "Comment=" + notes,
                              "MOOD=calm",        "LYRICS=" + lyrics, "ARTIST=Band"};
    EXPECT_TRUE(Comments() == expected);
}

INSTANTIATE_TEST_SUITE_P(Headers, LargeComments, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "KeptByThePlan" : "ReadAgain"; });

// A large value the run brings in (one cover, lyrics given to every file) is held once by all the
// plans that give it, not once a file: 20,000 plans would hold 4 GB of a 200 KB cover. A plan that
// changes nothing holds no value at all.
TEST_F(FilePlanTest, ALargeValueTheRunGivesIsHeldOnceByAllItsPlans) {
    const std::string lyrics(200000, 'l');
    const std::string notes(50000, 'n');
    TMassTagOptions options = SetRow(TTagField::Comment, notes);
    options.OtherTagsChecked = true;
    options.OtherTagLines = {"LYRICS=" + lyrics};
    const auto held = [](const TFilePlan& plan) {
        std::size_t bytes = plan.Record.Comment.size();
        for (const std::string& line : plan.Record.OtherTags) bytes += line.size();
        return bytes;
    };
    std::vector<TFilePlan> plans;
    for (const char* name : {"a.ogg", "b.ogg"}) {
        test::WriteVorbisFile(dir_.Path() / name, {{"TITLE", "Song"}});
        plans.push_back(PlanMassTag(options, file_, record_, dir_.Dir(), name));
        EXPECT_LT(held(plans.back()), kLargeValueBytes);
    }
    ASSERT_EQ(plans[0].LargeValues.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) EXPECT_EQ(plans[0].LargeValues[k].Given, plans[1].LargeValues[k].Given);
    for (const TFilePlan& plan : plans) {
        EXPECT_EQ(test::ApplyPlan(plan, log_), TFileOutcome::Written);
        EXPECT_TRUE(test::ReadCommentHeader(test::ReadAll(plan.Path)).Comments ==
                    (Strings{"TITLE=Song", "COMMENT=" + notes, "LYRICS=" + lyrics}));
    }
    options.OtherTagsMode = TMassMode::Overwrite;
    const TFilePlan again = PlanMassTag(options, file_, record_, dir_.Dir(), "a.ogg");
    EXPECT_EQ(again.Lines.back(), "     no change");
    EXPECT_LT(held(again), kLargeValueBytes);
}

// ---- Which files have tags ----

struct TaggedCase {
    const char* What;
    std::string Packet;
    bool HasTags;
};

class HasTagsTest : public FilePlanTest, public ::testing::WithParamInterface<TaggedCase> {};

// The vendor string is the encoder's name, not a tag of the user's.
TEST_P(HasTagsTest, OneCommentMakesAFileTagged) {
    dir_.Write("a.ogg", test::MakeVorbisFileFromPacket(GetParam().Packet));
    LoadWorkingRecord(file_, record_, dir_.Dir() + "a.ogg");
    EXPECT_EQ(record_.HasTags, GetParam().HasTags);
}

std::string WithoutCommentHeader() {
    std::string packet = test::CommentPacket("v", {"TITLE=A"});
    packet[0] = '\x04';
    return packet;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HasTagsTest,
    ::testing::Values(TaggedCase{"VendorOnly", test::CommentPacket("enc", {}), false},
                      TaggedCase{"NoCommentHeader", WithoutCommentHeader(), false},
                      TaggedCase{"OneComment", test::CommentPacket("enc", {"MOOD=calm"}), true},
                      TaggedCase{"OneField", test::CommentPacket("enc", {"TITLE=A"}), true}),
    [](const auto& info) { return std::string(info.param.What); });

// ---- The run's summary ----

TEST(RunTallyTest, SaysWhatTheRunDidInOneLine) {
    TRunTally tally;
    EXPECT_EQ(tally.SummaryLine(), "Done: 0 files changed, 0 left unchanged, 0 failed.");
    tally.Count(TFileOutcome::Written);
    tally.Count(TFileOutcome::Skipped);
    tally.Count(TFileOutcome::Skipped);
    EXPECT_EQ(tally.SummaryLine(), "Done: 1 file changed, 2 left unchanged, 0 failed.");
    EXPECT_FALSE(tally.AnyFailed());
    tally.Count(TFileOutcome::Failed);
    tally.CountUnreadableFolder();
    EXPECT_EQ(tally.SummaryLine(),
              "Done: 1 file changed, 2 left unchanged, 1 failed. 1 folder could not be read.");
    EXPECT_TRUE(tally.AnyFailed());

    TRunTally folderOnly;
    folderOnly.CountUnreadableFolder();
    EXPECT_TRUE(folderOnly.AnyFailed()) << "a folder not read is a failure of the run";
}

}  // namespace
}  // namespace parvex
