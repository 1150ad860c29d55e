// A folder taken through the three file-name operations one after the other, checked on disk.

#include <gtest/gtest.h>

#include "naming/rename_from_tag.h"
#include "naming/tag_from_list.h"
#include "naming/tag_from_name.h"
#include "naming_fixture.h"
#include "support/page_walker.h"
#include "text/string_hash.h"

namespace parvex {
namespace {

using Lines = std::vector<std::string>;

class FolderRoundTrip : public test::NamingTest {
protected:
    void RenameAll(const std::string& format) {
        TRenameFromTagOptions options;
        options.Format = format;
        for (const std::string& name : Names()) {
            TPlannedNames planned;
            Apply(PlanRenameFromTag(options, planned, file_, record_, dir_.Dir(), name));
        }
    }
    void ExpectIntact(const std::string& name, const std::string& original) {
        const std::string bytes = Bytes(name);
        EXPECT_TRUE(test::IsValidOgg(bytes)) << name;
        EXPECT_TRUE(test::SameAudio(original, bytes)) << name;
    }
};

TEST_F(FolderRoundTrip, TagFromNamesRenameBackAndTagFromASpreadsheetList) {
    AddFile("Band - Song.ogg", {});
    AddFile("Other - Tune.ogg", {{"MOOD", "calm"}});
    const std::string song = Bytes("Band - Song.ogg");
    const std::string tune = Bytes("Other - Tune.ogg");

    TTagFromFileNameOptions fromName;
    fromName.Format = "<Artist> - <Title>";
    fromName.Separator = " - ";
    for (const std::string& name : Names())
        EXPECT_EQ(Apply(PlanTagFromFileName(fromName, file_, record_, dir_.Dir(), name)),
                  TFileOutcome::Written);
    EXPECT_EQ(Reload("Band - Song.ogg").Artist, "Band");
    EXPECT_EQ(Reload("Other - Tune.ogg").Title, "Tune");
    EXPECT_EQ(Reload("Other - Tune.ogg").OtherTags, Lines{"MOOD=calm"});

    RenameAll("<Title> by <Artist>");
    EXPECT_EQ(Names(), (Lines{"Song by Band.ogg", "Tune by Other.ogg"}));
    RenameAll("<Artist> - <Title>");
    EXPECT_EQ(Names(), (Lines{"Band - Song.ogg", "Other - Tune.ogg"}));

    TTagFromListOptions fromList;
    fromList.Format = "<Target file>;<Artist>;<Title>";
    fromList.Separator = ";";
    TStringHash table(kTagListStartSize);
    LoadTagList(dir_.Write("list/tags.csv", "File;Artist;Title\r\nBand - Song.ogg;The Band;A Song\r\n").string(),
                fromList, table);
    for (const char* name : {"Band - Song.ogg", "Other - Tune.ogg"})
        Apply(PlanTagFromList(fromList, table, file_, record_, dir_.Dir(), name));
    EXPECT_EQ(Reload("Band - Song.ogg").Artist, "The Band");
    EXPECT_EQ(Reload("Band - Song.ogg").Title, "A Song");
    EXPECT_EQ(Reload("Other - Tune.ogg").Artist, "Other");

    ExpectIntact("Band - Song.ogg", song);
    ExpectIntact("Other - Tune.ogg", tune);
}

TEST_F(FolderRoundTrip, NothingIsLostWhenNamesCollide) {
    AddFile("Band - Song.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"MOOD", "first"}});
    AddFile("a.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"MOOD", "second"}});
    AddFile("b.ogg", {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"MOOD", "third"}});
    AddFile("c.ogg", {{"ARTIST", "Band"}, {"TITLE", "Other"}});
    const std::string first = Bytes("Band - Song.ogg");
    const std::string second = Bytes("a.ogg");
    const std::string third = Bytes("b.ogg");
    RenameAll("<Artist> - <Title>");
    EXPECT_EQ(Names(), (Lines{"Band - Other.ogg", "Band - Song.ogg", "a.ogg", "b.ogg"}));
    EXPECT_EQ(Bytes("Band - Song.ogg"), first);
    EXPECT_EQ(Bytes("a.ogg"), second);
    EXPECT_EQ(Bytes("b.ogg"), third);
}

}  // namespace
}  // namespace parvex
