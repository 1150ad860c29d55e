// Mass tag and clear tags on real files: what ends up in the file, what the log says, and files
// that must be left alone.

#include <gtest/gtest.h>

#include "batch/clear_tags.h"
#include "batch/log_sink.h"
#include "batch/mass_tag.h"
#include "batch/tag_record.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "support/apply_plan.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::CommentList;

class BatchTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const CommentList& comments) {
        test::WriteVorbisFile(dir.Path() / name, comments);
        return name;
    }
    TOggVorbis Reload(const std::string& name) {
        TOggVorbis reread;
        EXPECT_TRUE(reread.LoadFromFile(dir.Dir() + name));
        return reread;
    }
    TFileOutcome Mass(const TMassTagOptions& options, const std::string& name) {
        return test::ApplyPlan(PlanMassTag(options, file, record, dir.Dir(), name), log);
    }
    TFileOutcome Clear(const TClearTagsOptions& options, const std::string& name) {
        return test::ApplyPlan(PlanClearTags(options, file, record, dir.Dir(), name), log);
    }

    test::TempDir dir;
    TOggVorbis file;
    tagrecord record;
    TLineLog log;
};

struct ModeCase {
    TMassMode Mode;
    std::string Text;
    std::string Expected;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << '"' << c.Text << "\" -> \"" << c.Expected << '"'; }

class MassModeTest : public BatchTest, public ::testing::WithParamInterface<ModeCase> {};

// The text and the old value are joined with nothing between them; only the user's blanks count.
TEST_P(MassModeTest, JoinsTextWithoutSeparator) {
    const auto name = Make("a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}});
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Artist, GetParam().Text, GetParam().Mode});
    EXPECT_EQ(Mass(options, name),
              GetParam().Expected == "Band" ? TFileOutcome::Skipped : TFileOutcome::Written);
    const TOggVorbis after = Reload(name);
    EXPECT_EQ(after.Artist, GetParam().Expected);
    EXPECT_EQ(after.Title, "Song");
}

INSTANTIATE_TEST_SUITE_P(Modes, MassModeTest,
                         ::testing::Values(ModeCase{TMassMode::Prepend, "The ", "The Band"},
                                           ModeCase{TMassMode::Prepend, "The", "TheBand"},
                                           ModeCase{TMassMode::Append, " Live", "Band Live"},
                                           ModeCase{TMassMode::Overwrite, "Other", "Other"},
                                           ModeCase{TMassMode::Overwrite, "", ""},
                                           ModeCase{TMassMode::None, "x", "Band"}));

TEST_F(BatchTest, MassTagLogsTheFileAndItsChangeAndKeepsAudio) {
    const auto name = Make("a.ogg", {{"ARTIST", "Band"}});
    const std::string before = test::ReadAll(dir.Path() / name);
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Copyright, "2026 Band", TMassMode::Overwrite});
    Mass(options, name);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"Mass Tag: " + dir.Dir() + name,
                                                   "     COPYRIGHT: (none) -> \"2026 Band\""}));
    const TOggVorbis after = Reload(name);
    EXPECT_EQ(after.Copyright, "2026 Band");
    EXPECT_EQ(after.Artist, "Band");
    // The audio after the headers is untouched: the files end alike.
    const std::string now = test::ReadAll(dir.Path() / name);
    const std::size_t tail = 2000;
    EXPECT_EQ(now.substr(now.size() - tail), before.substr(before.size() - tail));
}

TEST_F(BatchTest, PrependOnMissingTagGivesTheTextAlone) {
    const auto name = Make("a.ogg", {{"TITLE", "Song"}});
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Album, "Best", TMassMode::Prepend});
    Mass(options, name);
    EXPECT_EQ(Reload(name).Album, "Best");
}

TEST_F(BatchTest, MassOtherTagsOverwriteAndAppend) {
    const auto name = Make("a.ogg", {{"TITLE", "Song"}, {"MOOD", "calm"}, {"TEMPO", "slow"}});
    TMassTagOptions options;
    options.OtherTagsChecked = true;
    options.OtherTagsMode = TMassMode::Append;
    options.OtherTagLines = {"MOOD=happy", "ARTIST=Listed"};
    Mass(options, name);
    TOggVorbis after = Reload(name);
    // Appended lines come after the file's own; a listed standard name does not touch its field
    // in the record, but the written file holds it, so it fills Artist on the next read.
    EXPECT_EQ(after.Artist, "Listed");
    EXPECT_EQ(after.OtherTags, (std::vector<std::string>{"MOOD=calm", "TEMPO=slow", "MOOD=happy"}));

    options.OtherTagsMode = TMassMode::Overwrite;
    options.OtherTagLines = {};
    Mass(options, name);
    after = Reload(name);
    EXPECT_TRUE(after.OtherTags.empty());
    EXPECT_EQ(after.Title, "Song");
}

// The picture row: the front cover set or every picture removed in each file; a malformed picture
// comment stays and the log says so. The log shows pictures by their descriptions only.
TEST_F(BatchTest, MassSetsOrRemovesPicturesAndKeepsMalformedOnes) {
    TPicture back;
    back.Type = 4;
    back.MimeType = "image/png";
    back.Data = "back";
    TPicture front = back;
    front.Type = kFrontCover;
    front.Data = "old front";
    TPicture cover = front;
    cover.Data = "the new front";
    const std::string malformed = "AAAA";
    const auto picture = [](const TPicture& p) { return "METADATA_BLOCK_PICTURE=" + PictureCommentValue(p); };
    struct Case {
        TPictureAction action;
        std::vector<std::string> after;
        std::vector<std::string> changes;  // the log's lines after the heading
    };
    const std::string note = "     kept 1 malformed picture comment as it is";
    const Case cases[] = {
        {TPictureAction::Keep,
         {"MOOD=calm", picture(front), "METADATA_BLOCK_PICTURE=" + malformed, picture(back)},
         {"     no change"}},
        {TPictureAction::SetFrontCover,
         {"MOOD=calm", picture(cover), "METADATA_BLOCK_PICTURE=" + malformed, picture(back)},
         {"     METADATA_BLOCK_PICTURE: [Front cover, image/png, 9 bytes] -> [Front cover, image/png, 13 "
          "bytes]",
          note}},
        {TPictureAction::RemoveAll,
         {"MOOD=calm", "METADATA_BLOCK_PICTURE=" + malformed},
         {"     METADATA_BLOCK_PICTURE: [Front cover, image/png, 9 bytes] -> (none)",
          "     METADATA_BLOCK_PICTURE: [Back cover, image/png, 4 bytes] -> (none)", note}},
    };
    for (const Case& c : cases) {
        log.Lines.clear();
        const auto name = Make("a.ogg", {{"TITLE", "t"},
                                         {"MOOD", "calm"},
                                         {"METADATA_BLOCK_PICTURE", PictureCommentValue(front)},
                                         {"METADATA_BLOCK_PICTURE", malformed},
                                         {"METADATA_BLOCK_PICTURE", PictureCommentValue(back)}});
        TMassTagOptions options;
        options.PictureAction = c.action;
        options.Picture = cover;
        EXPECT_EQ(Mass(options, name),
                  c.action == TPictureAction::Keep ? TFileOutcome::Skipped : TFileOutcome::Written);
        EXPECT_EQ(Reload(name).OtherTags, c.after);
        std::vector<std::string> logged = {"Mass Tag: " + dir.Dir() + name};
        logged.insert(logged.end(), c.changes.begin(), c.changes.end());
        EXPECT_EQ(log.Lines, logged);
    }
}

TEST_F(BatchTest, NonVorbisFileIsLeftUntouchedAndLogged) {
    const std::string junk = "this is not an ogg file at all";
    dir.Write("fake.ogg", junk);
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Artist, "X", TMassMode::Overwrite});
    EXPECT_EQ(Mass(options, "fake.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(test::ReadAll(dir.Path() / "fake.ogg"), junk);
    ASSERT_EQ(log.Lines.size(), 2u);
    EXPECT_EQ(log.Lines[0], "Mass Tag: " + dir.Dir() + "fake.ogg");
    EXPECT_NE(log.Lines[1].find("not an Ogg Vorbis or Opus file"), std::string::npos);
}

// The run goes on after a file gone since the scan: it is logged as failed, with the reason.
TEST_F(BatchTest, VanishedFileFailsWithItsReason) {
    TClearTagsOptions options;
    options.RemoveAll = true;
    EXPECT_EQ(Clear(options, "gone.ogg"), TFileOutcome::Failed);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"Clear Tags: " + dir.Dir() + "gone.ogg",
                                                   "     cannot be opened: no such file or directory"}));
}

TEST_F(BatchTest, RemoveAllKeepsPerformerAndVendor) {
    const auto name = Make(
        "a.ogg",
        {{"TITLE", "Song"}, {"PERFORMER", "Singer"}, {"ARTIST", "Band"}, {"ISRC", "X1"}, {"MOOD", "calm"}});
    TClearTagsOptions options;
    options.RemoveAll = true;
    EXPECT_EQ(Clear(options, name), TFileOutcome::Written);
    const TOggVorbis after = Reload(name);
    EXPECT_EQ(after.Performer, "Singer");
    EXPECT_EQ(after.Vendor, "Parvex test encoder");
    EXPECT_EQ(after.EntryCount, 2);  // the vendor string and PERFORMER
    EXPECT_EQ(log.Lines,
              (std::vector<std::string>{"Clear Tags: " + dir.Dir() + name, "     ARTIST: \"Band\" -> (none)",
                                        "     TITLE: \"Song\" -> (none)", "     ISRC: \"X1\" -> (none)",
                                        "     MOOD: \"calm\" -> (none)"}));
}

TEST_F(BatchTest, ClearRemovesOnlyChosenTags) {
    const auto name =
        Make("a.ogg", {{"DESCRIPTION", "notes"}, {"TRACKNUMBER", "3"}, {"TITLE", "Song"}, {"MOOD", "calm"}});
    TClearTagsOptions options;
    options.Fields = {TTagField::Comment, TTagField::Track};
    Clear(options, name);
    const TOggVorbis after = Reload(name);
    // A comment read from DESCRIPTION goes with the Comment box.
    EXPECT_EQ(after.Comment, "");
    EXPECT_EQ(after.Track, "");
    EXPECT_EQ(after.Title, "Song");
    EXPECT_EQ(after.OtherTags, std::vector<std::string>{"MOOD=calm"});
}

// Nothing to remove: the file is not rewritten at all, and the log says so.
TEST_F(BatchTest, FileWithoutChosenTagsIsLeftUntouched) {
    const auto name = Make("a.ogg", {{"TITLE", "Song"}});
    const std::string before = test::ReadAll(dir.Path() / name);
    TClearTagsOptions options;
    options.OtherTags = true;
    EXPECT_EQ(Clear(options, name), TFileOutcome::Skipped);
    EXPECT_EQ(test::ReadAll(dir.Path() / name), before);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"Clear Tags: " + dir.Dir() + name, "     no change"}));
}

TEST_F(BatchTest, WorkingRecordKeepsOtherTagOrderAndEqualsInValues) {
    const auto name = Make("a.ogg", {{"TITLE", "Song"}});
    tagrecord edited;
    ASSERT_EQ(LoadWorkingRecord(file, edited, dir.Dir() + name), TLoadOutcome::Loaded);
    EXPECT_TRUE(edited.HasTags);
    edited.OtherTags = {"B=2", "A=1", "URL=http://x?a=b"};
    ASSERT_TRUE(StoreWorkingRecord(file, edited, dir.Dir() + name));
    tagrecord reread;
    LoadWorkingRecord(file, reread, dir.Dir() + name);
    EXPECT_EQ(reread.OtherTags, edited.OtherTags);
    EXPECT_EQ(reread.Title, "Song");
}

TEST_F(BatchTest, MissingFileLeavesRecordAsItWas) {
    record.Title = "kept";
    EXPECT_EQ(LoadWorkingRecord(file, record, dir.Dir() + "none.ogg"), TLoadOutcome::Missing);
    EXPECT_EQ(record.Title, "kept");
}

}  // namespace
}  // namespace parvex
