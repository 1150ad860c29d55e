// What an edit of several files shares and changes: only what the user set reaches every file.

#include <gtest/gtest.h>

#include "batch/selection_edit.h"

namespace parvex {
namespace {

tagrecord Record(const std::string& artist, const std::string& title, std::vector<std::string> other) {
    tagrecord record;
    record.Artist = artist;
    record.Title = title;
    record.OtherTags = std::move(other);
    return record;
}

TEST(SelectionEdit, OnlyFieldsAndLinesTheUserSetChangeEachFile) {
    const std::vector<tagrecord> files = {Record("Band", "One", {"MOOD=calm", "X=1", "X=1"}),
                                          Record("Band", "Two", {"X=1", "MOOD=calm"})};
    const TSharedTags shared = SharedTags(files);
    EXPECT_EQ(shared.Fields[static_cast<std::size_t>(TTagField::Artist)], "Band");
    EXPECT_FALSE(shared.Fields[static_cast<std::size_t>(TTagField::Title)]);
    EXPECT_EQ(shared.OtherTags, std::vector<std::string>({"MOOD=calm", "X=1"}));

    std::array<std::string, kAllTagFields.size()> shown;
    for (std::size_t k = 0; k < shown.size(); ++k) shown[k] = shared.Fields[k].value_or("");
    std::array<bool, kAllTagFields.size()> touched{};
    // Nothing changed: nothing to write, however the files differ.
    const TSelectionChange none = SelectionChange(shared, shown, touched, shared.OtherTags);
    EXPECT_TRUE(none.Fields.empty() && none.AddedLines.empty() && none.RemovedLines.empty());

    shown[static_cast<std::size_t>(TTagField::Album)] = "LP";
    touched[static_cast<std::size_t>(TTagField::Title)] = true;  // emptied by the user
    const TSelectionChange change = SelectionChange(shared, shown, touched, {"X=1", "NEW=yes"});
    tagrecord first = files[0];
    ApplySelectionChange(change, first);
    EXPECT_EQ(first.Album, "LP");
    EXPECT_EQ(first.Title, "");
    EXPECT_EQ(first.Artist, "Band");
    EXPECT_EQ(first.OtherTags, std::vector<std::string>({"X=1", "X=1", "NEW=yes"})) << "a file's own repeats stay";
}

}  // namespace
}  // namespace parvex
