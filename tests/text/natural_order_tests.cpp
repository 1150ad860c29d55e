// Natural order: numbers inside names sort by value, letter case is ignored.

#include <gtest/gtest.h>

#include "text/natural_order.h"

namespace parvex {
namespace {

struct TOrdered {
    const char* Less;
    const char* More;
};

class NaturalOrderTest : public ::testing::TestWithParam<TOrdered> {};

TEST_P(NaturalOrderTest, SortsTheFirstBeforeTheSecond) {
    const TOrdered c = GetParam();
    EXPECT_LT(NaturalCompare(c.Less, c.More), 0) << c.Less << " < " << c.More;
    EXPECT_GT(NaturalCompare(c.More, c.Less), 0) << c.More << " > " << c.Less;
}

INSTANTIATE_TEST_SUITE_P(Cases, NaturalOrderTest,
                         ::testing::Values(TOrdered{"2", "10"}, TOrdered{"track 9.ogg", "track 10.ogg"},
                                           TOrdered{"a", "B"}, TOrdered{"Alpha", "beta"}, TOrdered{"", "0"},
                                           TOrdered{"abc", "abcd"}, TOrdered{"09", "10"},
                                           TOrdered{"7", "07"},  // equal value: fewer zeros first
                                           TOrdered{"99999999999999999999", "100000000000000000000"},
                                           TOrdered{"1/12", "2/12"}, TOrdered{"x1y2", "x1y10"}));

TEST(NaturalOrder, EqualOnlyForTextsTheSameButForLetterCase) {
    EXPECT_EQ(NaturalCompare("Track 01", "track 01"), 0);
    EXPECT_EQ(NaturalCompare("", ""), 0);
}

}  // namespace
}  // namespace parvex
