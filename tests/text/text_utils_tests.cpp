#include "text/text_utils.h"

#include <gtest/gtest.h>

namespace parvex {
namespace {

TEST(PosFromTest, FindsFromAPositionAndRefusesWhatCannotFit) {
    EXPECT_EQ(PosFrom("abcabc", "bc", 1), 2);
    EXPECT_EQ(PosFrom("abcabc", "bc", 3), 5);
    EXPECT_EQ(PosFrom("abc", "bc", 3), 0);
    EXPECT_EQ(PosFrom("abc", "c", 3), 3);
    EXPECT_EQ(PosFrom("abc", "c", 4), 0);
    EXPECT_EQ(PosFrom("abc", "abc", 99), 0);
    EXPECT_EQ(PosFrom("abc", "", 1), 0);
    EXPECT_EQ(PosFrom("", "a", 1), 0);
    EXPECT_EQ(PosFrom("abc", "a", 0), 1);  // a start before the text counts as its first character
    EXPECT_EQ(PosFrom("aBc", "b", 1), 0);  // bytes compare exactly
}

TEST(CopyTest, CutsOneBasedRangesAndGivesEmptyOutsideTheText) {
    EXPECT_EQ(CopyFrom("abc", 2), "bc");
    EXPECT_EQ(CopyFrom("abc", 3), "c");
    EXPECT_EQ(CopyFrom("abc", 4), "");
    EXPECT_EQ(CopyFrom("abc", 0), "");
    EXPECT_EQ(CopyFrom("abc", -5), "");
    EXPECT_EQ(CopyRange("abcdef", 2, 99), "bcdef");
    EXPECT_EQ(CopyRange("abcdef", 2, 4), "bcd");
    EXPECT_EQ(CopyRange("abcdef", 3, 3), "c");
    EXPECT_EQ(CopyRange("abc", 0, 2), "");
    EXPECT_EQ(CopyRange("abc", 3, 2), "");
    EXPECT_EQ(CopyRange("abc", 4, 9), "");
}

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutRescanningTheReplacement) {
    EXPECT_EQ(ReplaceAll("a  b", " ", "_"), "a__b");
    EXPECT_EQ(ReplaceAll("x", "x", "xx"), "xx");
    EXPECT_EQ(ReplaceAll("xyx", "x", "xx"), "xxyxx");
    EXPECT_EQ(ReplaceAll("a??b", "?", ""), "ab");
    EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");  // no overlap
    EXPECT_EQ(ReplaceAll("Artist=Name", "=", ""), "ArtistName");
    EXPECT_EQ(ReplaceAll("AbA", "a", "x"), "AbA");  // case-sensitive
    EXPECT_EQ(ReplaceAll("", "a", "x"), "");
}

TEST(LowerCaseWordTest, LowersEveryOccurrenceIncludingOnesSharingASpace) {
    EXPECT_EQ(LowerCaseWord("The Sound Of Music", " of "), "The Sound of Music");
    EXPECT_EQ(LowerCaseWord("Of Mice", " of "), "Of Mice");
    EXPECT_EQ(LowerCaseWord("Out Of Of Time", " of "), "Out of of Time");
    EXPECT_EQ(LowerCaseWord("A OF b Of c", " oF "), "A of b of c");
    EXPECT_EQ(LowerCaseWord("Nothing Here", " of "), "Nothing Here");
    // Only ASCII letters fold; the UTF-8 bytes of "Ä" stay as they are.
    EXPECT_EQ(LowerCaseWord("X \xC3\x84ND Y", " \xC3\x84nd "), "X \xC3\x84nd Y");
}

TEST(LowerCaseWordTest, EndsForOneCharacterAndEmptyWords) {
    EXPECT_EQ(LowerCaseWord("AAA", "a"), "aaa");
    EXPECT_EQ(LowerCaseWord("AbA", ""), "AbA");
}

TEST(NthFieldTest, SplitsAtMultiCharacterSeparators) {
    EXPECT_EQ(NthField("Artist - Title", " - ", 1), "Artist");
    EXPECT_EQ(NthField("Artist - Title", " - ", 2), "Title");
    EXPECT_EQ(NthField("Artist", " - ", 1), "Artist");
    EXPECT_EQ(NthField("Artist", " - ", 2), "");
    EXPECT_EQ(NthField("a-b-c", "-", 0), "");
    EXPECT_EQ(NthField("a-b-c", "-", -1), "");
    EXPECT_EQ(NthField("a-b-c", "-", 3), "c");
    EXPECT_EQ(NthField("a-b-c", "-", 4), "");
    EXPECT_EQ(NthField("", "-", 1), "");
}

TEST(NthFieldTest, KeepsEmptyFieldsAtTheEdgesAndBetweenSeparators) {
    EXPECT_EQ(NthField("a-b-", "-", 2), "b");
    EXPECT_EQ(NthField("a-b-", "-", 3), "");
    EXPECT_EQ(NthField("a-b-", "-", 4), "");
    EXPECT_EQ(NthField("-a", "-", 1), "");
    EXPECT_EQ(NthField("-a", "-", 2), "a");
    EXPECT_EQ(NthField("a--b", "-", 2), "");
    EXPECT_EQ(NthField("a--b", "-", 3), "b");
}

TEST(NthFieldTest, SplitsFoundFileEntriesAtTheirFirstStar) {
    EXPECT_EQ(NthField("/music/rock/*song.ogg", "*", 1), "/music/rock/");
    EXPECT_EQ(NthField("/music/rock/*song.ogg", "*", 2), "song.ogg");
}

TEST(NthFieldTest, EmptySeparatorMakesTheWholeTextOneField) {
    EXPECT_EQ(NthField("a;b", "", 1), "a;b");
    EXPECT_EQ(NthField("a;b", "", 2), "");
}

TEST(CountFieldsTest, CountsOneMoreThanTheSeparators) {
    EXPECT_EQ(CountFields("", "-"), 0);
    EXPECT_EQ(CountFields("abc", "-"), 1);
    EXPECT_EQ(CountFields("a-b-c", "-"), 3);
    EXPECT_EQ(CountFields("a-b-", "-"), 3);
    EXPECT_EQ(CountFields("a#b", "#"), 2);
    EXPECT_EQ(CountFields("abc", ""), 1);
    EXPECT_EQ(CountFields("<Artist> - <Title>", " - "), 2);
    EXPECT_EQ(CountFields("a---b", "--"), 3);  // overlapping occurrences each count
}

TEST(CountFieldsTest, EndsForSeparatorsStartingWithHash) {
    EXPECT_EQ(CountFields("a##b##c", "##"), 3);
    EXPECT_EQ(CountFields("a#xb#xc", "#x"), 3);
    EXPECT_EQ(CountFields("a###b", "##"), 3);
    EXPECT_EQ(CountFields("xx#", "x#"), 2);
}

TEST(LowerCaseListedWordsTest, LowersOnlyListedWordsBetweenSpaces) {
    const std::vector<std::string> words{"of", "the", "and"};
    EXPECT_EQ(LowerCaseListedWords("Best Of The Rest And More", words), "Best of the Rest and More");
    EXPECT_EQ(LowerCaseListedWords("The End Of The", words), "The End of The");
    EXPECT_EQ(LowerCaseListedWords("Theory Of-Mind", words), "Theory Of-Mind");
    EXPECT_EQ(LowerCaseListedWords("lower STAYS", {"stays"}), "lower STAYS");
    EXPECT_EQ(LowerCaseListedWords("Anything Goes", {}), "Anything Goes");
}

// Names are escaped reversibly: the backslash too, so that a line break and a backslash followed by
// "n" never show alike; the bidirectional marks and line separators, which would reorder or break
// the line unseen, are escaped everywhere.
TEST(EscapingTest, ControlCharactersNeverReachTheTerminalRaw) {
    struct Case {
        std::string_view Text, Escaped, Quoted, Name;
    };
    for (const Case& c :
         {Case{"plain/dir\\x.ogg", "plain/dir\\x.ogg", "\"plain/dir\\\\x.ogg\"", "plain/dir\\\\x.ogg"},
          Case{"a\x1b[2Jb.ogg", "a\\u001b[2Jb.ogg", "\"a\\u001b[2Jb.ogg\"", "a\\u001b[2Jb.ogg"},
          Case{"line\nbreak\r\t", "line\\nbreak\\r\\t", "\"line\\nbreak\\r\\t\"", "line\\nbreak\\r\\t"},
          Case{"line\\nbreak", "line\\nbreak", "\"line\\\\nbreak\"", "line\\\\nbreak"},
          Case{std::string_view("nul\0del\x7f", 8), "nul\\u0000del\\u007f", "\"nul\\u0000del\\u007f\"",
               "nul\\u0000del\\u007f"},
          Case{"caf\xC3\xA9 \"q\"", "caf\xC3\xA9 \"q\"", "\"caf\xC3\xA9 \\\"q\\\"\"", "caf\xC3\xA9 \"q\""},
          Case{"gg\xE2\x80\xAE.ogg \xE2\x81\xA6x\xE2\x81\xA9", "gg\\u202e.ogg \\u2066x\\u2069",
               "\"gg\\u202e.ogg \\u2066x\\u2069\"", "gg\\u202e.ogg \\u2066x\\u2069"},
          Case{"a\xE2\x80\xA8"
               "b\xE2\x80\xA9",
               "a\\u2028b\\u2029", "\"a\\u2028b\\u2029\"", "a\\u2028b\\u2029"},
          Case{"10 \xE2\x82\xAC \xE2\x80\xA7\xE2\x80", "10 \xE2\x82\xAC \xE2\x80\xA7\xE2\x80",
               "\"10 \xE2\x82\xAC \xE2\x80\xA7\xE2\x80\"", "10 \xE2\x82\xAC \xE2\x80\xA7\xE2\x80"}}) {
        EXPECT_EQ(EscapedControls(c.Text), c.Escaped);
        EXPECT_EQ(QuotedText(c.Text), c.Quoted);
        EXPECT_EQ(EscapedName(c.Text), c.Name);
    }
}

}  // namespace
}  // namespace parvex
