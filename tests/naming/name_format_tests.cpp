#include "naming/name_format.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

using Entries = std::vector<std::string>;

TEST(NameFormat, BuildsPlaceholdersJoinedBySeparatorsOfAnyText) {
    const Entries entries = {"Artist", "TRASH", "Title"};
    EXPECT_EQ(BuildNameFormat(entries, " - "), "<Artist> - <TRASH> - <Title>");
    EXPECT_EQ(BuildNameFormat(entries, ""), "<Artist><TRASH><Title>");
    EXPECT_EQ(BuildNameFormat(entries, " -- "), "<Artist> -- <TRASH> -- <Title>");
    EXPECT_EQ(BuildNameFormat({"Title"}, "_"), "<Title>");
    EXPECT_EQ(BuildNameFormat({}, " - "), "");
}

TEST(NameFormat, FreshListFormatHoldsOnlyTheTargetFile) {
    const TOrderList order = NewListFormatOrder();
    EXPECT_EQ(order.Entries, Entries{"Target file"});
    EXPECT_EQ(order.Selected, -1);
    EXPECT_EQ(BuildNameFormat(order.Entries, ";"), "<Target file>");
}

TEST(NameFormat, CheckedFieldGoesToTheEndAndUncheckingRemovesItsFirstEntry) {
    TOrderList order;
    FieldBoxClicked(order, "Artist", true);
    FieldBoxClicked(order, "Title", true);
    EXPECT_EQ(BuildNameFormat(order.Entries, " - "), "<Artist> - <Title>");
    FieldBoxClicked(order, "Artist", false);
    EXPECT_EQ(BuildNameFormat(order.Entries, " - "), "<Title>");
    FieldBoxClicked(order, "Album", false);  // not in the list: nothing happens
    EXPECT_EQ(order.Entries, Entries{"Title"});
}

TEST(NameFormat, RemovingAnEntryKeepsTheSelectionOnItsEntry) {
    TOrderList order{{"Artist", "TRASH", "Title"}, 2};
    FieldBoxClicked(order, "Artist", false);
    EXPECT_EQ(order.Selected, 1);
    EXPECT_EQ(order.Entries[1], "Title");
    FieldBoxClicked(order, "Title", false);
    EXPECT_EQ(order.Selected, -1);
}

TEST(NameFormat, MovesKeepTheSelectionAndStopAtTheEnds) {
    TOrderList order{{"Artist", "Title", "Album"}, 2};
    EXPECT_TRUE(MoveSelectedUp(order));
    EXPECT_EQ(order.Entries, (Entries{"Artist", "Album", "Title"}));
    EXPECT_EQ(order.Selected, 1);
    EXPECT_TRUE(MoveSelectedUp(order));
    EXPECT_TRUE(MoveSelectedUp(order));  // already first: no change
    EXPECT_EQ(order.Entries, (Entries{"Album", "Artist", "Title"}));
    EXPECT_EQ(order.Selected, 0);

    order.Selected = 2;
    EXPECT_TRUE(MoveSelectedDown(order));  // already last: no change
    EXPECT_EQ(order.Entries, (Entries{"Album", "Artist", "Title"}));
    order.Selected = 0;
    EXPECT_TRUE(MoveSelectedDown(order));
    EXPECT_EQ(order.Entries, (Entries{"Artist", "Album", "Title"}));
    EXPECT_EQ(order.Selected, 1);
}

TEST(NameFormat, MovesWithoutSelectionChangeNothing) {
    TOrderList order{{"Artist", "Title"}, -1};
    EXPECT_FALSE(MoveSelectedUp(order));
    EXPECT_FALSE(MoveSelectedDown(order));
    order.Selected = 5;  // a stale row past the end counts as no selection
    EXPECT_FALSE(MoveSelectedDown(order));
    EXPECT_EQ(order.Entries, (Entries{"Artist", "Title"}));
}

TEST(NameFormat, TrashButtonAddsAtTheEndUnlessATrashEntryIsSelected) {
    TOrderList order{{"Artist"}, -1};
    EXPECT_EQ(TrashCaption(order), "Add Trash");
    TrashButtonPressed(order);
    TrashButtonPressed(order);
    EXPECT_EQ(order.Entries, (Entries{"Artist", "TRASH", "TRASH"}));

    order.Selected = 0;  // a field entry: the press still appends
    EXPECT_EQ(TrashCaption(order), "Add Trash");
    TrashButtonPressed(order);
    EXPECT_EQ(order.Entries, (Entries{"Artist", "TRASH", "TRASH", "TRASH"}));
}

TEST(NameFormat, SelectedTrashIsDeletedAndTheCaptionResets) {
    TOrderList order{{"TRASH", "Artist", "TRASH"}, 2};
    EXPECT_EQ(TrashCaption(order), "Delet Trash");
    TrashButtonPressed(order);
    EXPECT_EQ(order.Entries, (Entries{"TRASH", "Artist"}));
    EXPECT_EQ(order.Selected, -1);
    EXPECT_EQ(TrashCaption(order), "Add Trash");
}

TEST(NameFormat, TargetFileEntryMovesButIsNeverDeleted) {
    TOrderList order = NewListFormatOrder();
    FieldBoxClicked(order, "Artist", true);
    order.Selected = 0;
    TrashButtonPressed(order);  // "Target file" selected: appends a TRASH instead
    EXPECT_EQ(order.Entries, (Entries{"Target file", "Artist", "TRASH"}));
    EXPECT_TRUE(MoveSelectedDown(order));
    EXPECT_EQ(BuildNameFormat(order.Entries, ";"), "<Artist>;<Target file>;<TRASH>");
}

}  // namespace
}  // namespace parvex
