#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text/base64.h"

namespace parvex {
namespace {

// The test vectors of RFC 4648, both ways.
TEST(Base64Test, EncodesAndDecodesTheStandardVectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : vectors) {
        EXPECT_EQ(EncodeBase64(bytes), text);
        EXPECT_EQ(DecodeBase64(text), bytes) << text;
    }
}

TEST(Base64Test, EveryByteValueComesBack) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    for (std::size_t length : {std::size_t{254}, std::size_t{255}, std::size_t{256}}) {
        const std::string text = EncodeBase64(bytes.substr(0, length));
        EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
        EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::string::npos);
        EXPECT_EQ(DecodeBase64(text), bytes.substr(0, length));
    }
}

TEST(Base64Test, DecodingPassesOverLineBreaksAndMissingPadding) {
    EXPECT_EQ(DecodeBase64("Zm9v\r\nYmFy\n"), "foobar");
    EXPECT_EQ(DecodeBase64(" Zm 9v "), "foo");
    EXPECT_EQ(DecodeBase64("Zm8"), "fo");
    EXPECT_EQ(DecodeBase64("Zg"), "f");
    EXPECT_EQ(DecodeBase64("+/+/"), "\xfb\xff\xbf");
}

TEST(Base64Test, DecodingRefusesWhatIsNotBase64) {
    for (const char* text : {
             "Zm9v!",   // a character outside the alphabet
             "Zm9v-_",  // the URL-safe alphabet is another one
             "Z",       // one character holds no whole byte
             "Zm9vY",   // nor does one after whole groups
             "Zg=",     // padding that does not fill the group
             "Zg===",   // padding past the group
             "Zm9v=",   // padding after a whole group
             "Z=g=",    // padding inside the data
             "=Zg=",    //
             "Zh==",    // bits left over that are not 0
             "Zm9=",    //
         })
        EXPECT_EQ(DecodeBase64(text), std::nullopt) << text;
}

}  // namespace
}  // namespace parvex
