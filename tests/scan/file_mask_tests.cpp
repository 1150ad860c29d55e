#include "scan/file_mask.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

namespace parvex {
namespace {

struct MaskCase {
    const char* Name;
    const char* Mask;
    bool Matches;
};

// Test names show bytes outside printable ASCII as \xNN.
std::string Printable(const char* text) {
    std::string shown;
    for (const unsigned char c : std::string_view(text)) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            shown += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return shown;
}

void PrintTo(const MaskCase& c, std::ostream* out) {
    *out << '"' << Printable(c.Name) << "\" vs \"" << Printable(c.Mask) << '"';
}

class FileNameMaskTest : public testing::TestWithParam<MaskCase> {};

TEST_P(FileNameMaskTest, MatchesLikeTheListing) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(MatchesFileName(c.Name, c.Mask), c.Matches) << c.Name << " vs " << c.Mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, FileNameMaskTest,
    testing::Values(MaskCase{"Song.OGG", "*.ogg", true}, MaskCase{"song.ogg", "*.OGG", true},
                    MaskCase{"song.ogg", "s*.ogg", true}, MaskCase{"track.ogg", "s*.ogg", false},
                    MaskCase{"a.ogg", "?.ogg", true}, MaskCase{"ab.ogg", "?.ogg", false},
                    MaskCase{".ogg", "?.ogg", false}, MaskCase{".hidden.ogg", "*.ogg", true},
                    MaskCase{"song.ogg.bak", "*.ogg", false}, MaskCase{"song.oggx", "*.ogg", false},
                    MaskCase{"a.b.ogg", "*.ogg", true}, MaskCase{"abcabc", "a*c*c", true},
                    MaskCase{"abcab", "a*c*c", false}, MaskCase{"README", "*.*", true},
                    MaskCase{"readme", "README.*", true}, MaskCase{"readme.txt", "README.*", true},
                    MaskCase{"x.ogg", "", false}, MaskCase{"anything", "*", true},
                    MaskCase{"gg", "*.ogg", false}, MaskCase{".OGG", "*.ogg", true},
                    // Only ASCII letters fold: the UTF-8 bytes of "Ä" and "ä" differ.
                    MaskCase{"\xC3\x84.ogg", "\xC3\xA4.ogg", false},
                    MaskCase{"\xFF\xFE.ogg", "*.ogg", true}));

TEST(CompleteMaskTest, FillsInEmptyAndExtensionlessMasks) {
    EXPECT_EQ(CompleteMask(""), "*.*");
    EXPECT_EQ(CompleteMask("*"), "*.*");
    EXPECT_EQ(CompleteMask("song"), "song.*");
    EXPECT_EQ(CompleteMask("*.ogg"), "*.ogg");
    EXPECT_EQ(CompleteMask("a.b*"), "a.b*");
}

class ExclusionMaskTest : public testing::TestWithParam<MaskCase> {};

TEST_P(ExclusionMaskTest, ComparesFolderAndDotAwareName) {
    const MaskCase& c = GetParam();
    EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " vs " << c.Mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ExclusionMaskTest,
    testing::Values(MaskCase{"/m/a.ogg", "*.ogg", true}, MaskCase{"/m/A.OGG", "*.ogg", true},
                    MaskCase{"/m/a.ogg", "*.*", true}, MaskCase{"/m/x.tmp.ogg", "*.tmp.ogg", true},
                    MaskCase{"/m/readme", "*", true},
                    // A "*" that reaches a "." jumps to the mask's next ".": no dot, no match.
                    MaskCase{"/m/a.b", "*", false}, MaskCase{"/m/a.b.c", "*.c", false},
                    MaskCase{"/m/ab.ogg", "?b.ogg", true}, MaskCase{"/m/a.ogg", "a?.ogg", true},
                    MaskCase{"/m/a.ogg", "?.ogg", true}, MaskCase{"/m/a.ogg", "b.ogg", false},
                    MaskCase{"/m/a.ogg", "a.ogg??", true}, MaskCase{"/m/a.ogg", "a.og", false},
                    MaskCase{"/m/Rock/a.ogg", "rock/*.ogg", true},
                    MaskCase{"/m/hardrock/a.ogg", "rock/*.ogg", true},
                    MaskCase{"/m/pop/a.ogg", "rock/*.ogg", false},
                    MaskCase{"/m/a.ogg", "/m/", true}, MaskCase{"/m/a.ogg", "/other/", false},
                    MaskCase{"/m/a.ogg", "", true}));

}  // namespace
}  // namespace parvex
