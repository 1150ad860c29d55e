// The library table's rows read from real headers: the tags and stream facts of files Parvex can
// edit, the reason for those it cannot, in the order of the names, and stopping when asked.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "batch/library_rows.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

std::vector<TLibraryRow> ReadAll(const test::TempDir& dir, const std::vector<std::string>& names) {
    std::vector<TLibraryRow> rows;
    ReadLibraryRows(dir.Dir(), names, [&rows](std::size_t first, std::span<TLibraryRow> ready) {
        EXPECT_EQ(first, rows.size()) << "rows come in order";
        rows.insert(rows.end(), ready.begin(), ready.end());
        return true;
    });
    return rows;
}

TEST(LibraryRows, GiveTheTagsOfEditableFilesAndWhyTheOthersCannotBeEdited) {
    test::TempDir dir;
    test::WriteVorbisFile(dir.Path() / "sub" / "a.ogg", {{"ARTIST", "Band"},
                                                         {"TITLE", "Song"},
                                                         {"ALBUM", "Record"},
                                                         {"TRACKNUMBER", "7"},
                                                         {"DATE", "1999"},
                                                         {"GENRE", "Rock"}});
    dir.Write("b.ogg", test::MakeOpusFile({{"ARTIST", "Voice"}}));
    dir.Write("notes.ogg", "not music at all");
    const std::string cut = test::MakeVorbisFile({{"TITLE", "cut"}});
    dir.Write("cut.ogg", cut.substr(0, 120));

    const std::vector<std::string> names = {"sub/a.ogg", "b.ogg", "notes.ogg", "gone.ogg", "cut.ogg"};
    const std::vector<TLibraryRow> rows = ReadAll(dir, names);

    ASSERT_EQ(rows.size(), 5u);
    const TLibraryRow& a = rows[0];
    EXPECT_EQ(a.Name, "sub/a.ogg");
    EXPECT_EQ(std::vector<std::string>({a.Artist, a.Title, a.Album, a.Track, a.Date, a.Genre}),
              std::vector<std::string>({"Band", "Song", "Record", "7", "1999", "Rock"}));
    EXPECT_EQ(a.Codec, OggCodec::Vorbis);
    EXPECT_TRUE(a.Problem.empty()) << a.Problem;
    EXPECT_EQ(rows[1].Codec, OggCodec::Opus);
    EXPECT_EQ(rows[1].Artist, "Voice");
    EXPECT_EQ(rows[2].Problem, "not an Ogg Vorbis or Opus file");
    EXPECT_EQ(rows[3].Problem, "cannot be opened: no such file or directory");
    EXPECT_FALSE(rows[4].Problem.empty()) << "a file cut inside its headers cannot be saved";

    // A selection read again gives the same rows, and the records of the two files Parvex can edit.
    const TSelectionRead selection = ReadSelection(dir.Dir(), names);
    ASSERT_EQ(selection.Rows.size(), 5u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(selection.Rows[k].Name, rows[k].Name);
        EXPECT_EQ(selection.Rows[k].Problem, rows[k].Problem) << k;
        EXPECT_EQ(selection.Rows[k].Artist, rows[k].Artist) << k;
    }
    ASSERT_EQ(selection.Records.size(), 2u);
    EXPECT_EQ(selection.Records[0].Album, "Record");
    EXPECT_EQ(selection.Records[1].Artist, "Voice");
}

TEST(LibraryRows, StopWhenTheTakerSaysSo) {
    test::TempDir dir;
    std::vector<std::string> names;
    for (int k = 0; k < 200; ++k) {
        names.push_back("t" + std::to_string(k) + ".ogg");
        test::WriteVorbisFile(dir.Path() / names.back(), {{"TITLE", std::to_string(k)}});
    }
    std::size_t calls = 0, rowsSeen = 0;
    ReadLibraryRows(dir.Dir(), names, [&](std::size_t, std::span<TLibraryRow> ready) {
        ++calls;
        rowsSeen += ready.size();
        EXPECT_EQ(ready.back().Title, ready.back().Name.substr(1, ready.back().Name.size() - 5));
        return calls < 2;
    });
    EXPECT_EQ(calls, 2u);
    EXPECT_LT(rowsSeen, names.size());
}

// Values equal in natural order (letter case ignored) tie, and a tie keeps the order of the names,
// however many spellings there are; numbers in values sort by their value.
TEST(LibraryRows, SortByAColumnKeepsTiesInTheOrderOfTheNames) {
    std::vector<TLibraryRow> rows(34);
    std::vector<std::size_t> inOrder;
    for (std::size_t k = 0; k < 32; ++k) {
        rows[k].Place = k;
        inOrder.push_back(k);
        for (std::size_t letter = 0; letter < 5; ++letter)
            rows[k].Artist += static_cast<char>(((k >> letter) & 1 ? 'A' : 'a') + letter);  // "abcde" to "ABCDE"
    }
    rows[32].Artist = "band 10";
    rows[32].Place = 32;
    rows[33].Artist = "Band 9";
    rows[33].Place = 33;
    inOrder.insert(inOrder.end(), {33, 32});
    EXPECT_EQ(SortedPlaces(rows, {TLibraryColumn::Artist, false}), inOrder);
    std::reverse(inOrder.begin(), inOrder.end());
    EXPECT_EQ(SortedPlaces(rows, {TLibraryColumn::Artist, true}), inOrder);
}

}  // namespace
}  // namespace parvex
