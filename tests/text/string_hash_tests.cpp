#include "text/string_hash.h"

#include <gtest/gtest.h>

#include <string>

namespace parvex {
namespace {

TEST(StringHashTest, PutGetReplaceAndRemove) {
    TStringHash table(4000);
    EXPECT_EQ(table.GetString("a.ogg"), "");
    EXPECT_EQ(table.FindValue("a.ogg"), nullptr);

    table.PutString("a.ogg", "a.ogg;Band;Song");
    table.PutString("b.ogg", "b.ogg;Other");
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.GetString("a.ogg"), "a.ogg;Band;Song");
    EXPECT_EQ(table.GetString("A.OGG"), "");  // keys compare exactly

    table.PutString("a.ogg", "a.ogg;Later");  // the later line wins
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.GetString("a.ogg"), "a.ogg;Later");

    table.PutString("a.ogg", "");  // an empty text removes
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.FindValue("a.ogg"), nullptr);
    table.PutString("missing", "");
    EXPECT_EQ(table.Count(), 1);

    table.PutString("", "line without target");  // the empty key is an ordinary key
    EXPECT_EQ(table.GetString(""), "line without target");
}

TEST(StringHashTest, SetValueKeepsEmptyTextsButNoValueRemoves) {
    TStringHash table(7);
    table.SetValue("k", std::string());
    ASSERT_NE(table.FindValue("k"), nullptr);
    EXPECT_EQ(*table.FindValue("k"), "");
    EXPECT_EQ(table.Count(), 1);
    table.SetValue("k", std::nullopt);
    EXPECT_EQ(table.Count(), 0);
    table.SetValue("k", std::nullopt);
    EXPECT_EQ(table.Count(), 0);
}

TEST(StringHashTest, RemovingKeysInAnyOrderLeavesTheOthers) {
    // A table sized for one entry grows; removing the last, a middle and the first key stored must
    // each leave the others intact.
    TStringHash table(1);
    for (const char* key : {"one", "two", "three", "four"}) table.PutString(key, std::string(key) + "!");
    EXPECT_EQ(table.Count(), 4);
    table.PutString("four", "");
    table.PutString("two", "");
    table.PutString("one", "");
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.GetString("three"), "three!");
    EXPECT_EQ(table.GetString("one"), "");
}

TEST(StringHashTest, ClearAndFreeStringsEmptyTheTableForReuse) {
    TStringHash table(3);
    for (int i = 0; i < 100; ++i) table.PutString("key" + std::to_string(i), "value" + std::to_string(i));
    EXPECT_EQ(table.Count(), 100);
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.GetString("key5"), "");
    table.PutString("key5", "again");
    EXPECT_EQ(table.GetString("key5"), "again");
    table.FreeStrings();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.FindValue("key5"), nullptr);
}

}  // namespace
}  // namespace parvex
