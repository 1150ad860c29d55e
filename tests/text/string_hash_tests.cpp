#include "text/string_hash.h"

#include <gtest/gtest.h>

#include <string>

namespace parvex {
namespace {

TEST(StringHashTest, HashKeySquaresAndAddsInWrapping32BitArithmetic) {
    EXPECT_EQ(TStringHash::HashKey(""), 0u);
    EXPECT_EQ(TStringHash::HashKey("a"), 97u);
    EXPECT_EQ(TStringHash::HashKey("ab"), 9507u);
    // 9507 * 9507 + 99 = 90383148 fits; one more step wraps.
    EXPECT_EQ(TStringHash::HashKey("abc"), 90383148u);
    const std::uint32_t wrapped = 90383148u * 90383148u + 100u;
    EXPECT_EQ(TStringHash::HashKey("abcd"), wrapped);
    // Bytes count as unsigned: 0xC3 is 195, not negative.
    EXPECT_EQ(TStringHash::HashKey("\xC3"), 195u);
}

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

TEST(StringHashTest, CollidingKeysShareOneChainAndStayApart) {
    // With one bucket every key collides: insertion at the head, removal from the head, middle and
    // tail of the chain must each leave the others intact.
    TStringHash table(1);
    for (const char* key : {"one", "two", "three", "four"}) table.PutString(key, std::string(key) + "!");
    EXPECT_EQ(table.Count(), 4);
    table.PutString("four", "");   // head
    table.PutString("two", "");    // middle
    table.PutString("one", "");    // tail
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
