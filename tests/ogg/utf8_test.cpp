#include "ogg/utf8.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

struct DecodeCase {
    std::string Bytes;
    std::u16string Text;
};

class Utf8Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, GivesTheText) { EXPECT_EQ(Utf8ToWide(GetParam().Bytes), GetParam().Text); }

// Kept as it is when well-formed, converted otherwise: either way what the two conversions give.
TEST_P(Utf8Decode, IsMadeValidAsTheTwoConversionsMakeIt) {
    for (const std::string& bytes : {GetParam().Bytes, "x" + GetParam().Bytes, GetParam().Bytes + "\xC3\xA9"})
        EXPECT_EQ(ToValidUtf8(bytes), WideToUtf8(Utf8ToWide(bytes)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Decode,
    ::testing::Values(DecodeCase{"plain ASCII", u"plain ASCII"},
                      DecodeCase{"Caf\xC3\xA9", u"Caf\u00E9"},
                      DecodeCase{"\xE2\x82\xAC", u"\u20AC"},
                      DecodeCase{"\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
                      // Invalid sequences: each byte becomes its Windows-1252 character.
                      DecodeCase{"A\xC3" "B", u"A\u00C3B"},
                      DecodeCase{"A\xC3", u"A\u00C3"},
                      DecodeCase{"Caf\xE9 cr\xE8me", u"Caf\u00E9 cr\u00E8me"},
                      DecodeCase{"\x80\x81\x9F", u"\u20AC\u0081\u0178"},
                      DecodeCase{"\xC0\x80", u"\u00C0\u20AC"},               // overlong NUL
                      DecodeCase{"\xC0\xAF", u"\u00C0\u00AF"},               // overlong "/"
                      DecodeCase{"\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},     // encoded surrogate
                      DecodeCase{"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},  // past U+10FFFF
                      DecodeCase{"\xF0\x9F\x8E", u"\u00F0\u0178\u017D"}));   // cut-off emoji

TEST(Utf8Encode, EncodesEveryLength) {
    EXPECT_EQ(WideToUtf8(u"abc"), "abc");
    EXPECT_EQ(WideToUtf8(u"\u00E9"), "\xC3\xA9");
    EXPECT_EQ(WideToUtf8(u"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(WideToUtf8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");
}

TEST(Utf8Encode, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t{0xD800}) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t{0xDC00})), "\xEF\xBF\xBD");
}

TEST(Utf8RoundTrip, ValidTextComesBackByteForByte) {
    const std::string text = "\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0 \xE9\x9F\xB3\xE6\xA5\xBD \xF0\x9F\x8E\xB8";
    EXPECT_EQ(ToValidUtf8(text), text);
    EXPECT_EQ(ToValidUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(ToValidUtf8("Caf\xE9"), "Caf\xC3\xA9");
}

}  // namespace
}  // namespace parvex
