#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace parvex {
namespace {

struct ReadCase {
    const char* raw;  // what follows "key=" in the file
    const char* read;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << "key=" << c.raw; }

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ValueLosesBlanksThenOnePairOfQuotes) {
    const auto doc = TIniDocument::Parse(std::string("[S]\nkey=") + GetParam().raw + "\n");
    EXPECT_EQ(doc.Read("S", "key"), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Values, IniReadTest,
                         ::testing::Values(ReadCase{"plain", "plain"}, ReadCase{"  padded \t", "padded"},
                                           ReadCase{"\" - \"", " - "}, ReadCase{"  ' x '  ", " x "},
                                           ReadCase{"\"\" - \"\"", "\" - \""}, ReadCase{"\"half'", "\"half'"},
                                           ReadCase{"\"", "\""}, ReadCase{"\"\"", ""}, ReadCase{"", ""},
                                           ReadCase{"a=b", "a=b"}, ReadCase{"\"a\" and \"b\"", "a\" and \"b"}));

class IniRoundTripTest : public ::testing::TestWithParam<std::string> {};

// Whatever is written reads back the same, as long as it has no blanks at its ends.
TEST_P(IniRoundTripTest, WrittenValueReadsBackUnchanged) {
    TIniDocument doc;
    doc.WriteString("TForm1", "Edit4_Text", GetParam());
    EXPECT_EQ(doc.Read("TForm1", "Edit4_Text"), GetParam());
    EXPECT_EQ(TIniDocument::Parse(doc.Text()).Read("TForm1", "Edit4_Text"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Values, IniRoundTripTest,
                         ::testing::Values("", "plain", "\" - \"", "\"", "'", "''", "'single'", "\"x\"\"",
                                           "\"a\" \"b\"", "x\"", "'x", "[not a section]", ";not a comment",
                                           "a=b=c", "Bj\xC3\xB6rk \xE2\x80\x94 J\xC3\xB3ga"));

TEST(IniQuoting, OnlyValuesTheReaderWouldChangeAreQuoted) {
    EXPECT_EQ(QuoteIniValue("\" - \""), "\"\" - \"\"");
    EXPECT_EQ(QuoteIniValue("'x'"), "\"'x'\"");
    EXPECT_EQ(QuoteIniValue("\"x'"), "\"x'");
    EXPECT_EQ(QuoteIniValue(""), "");
    EXPECT_EQ(QuoteIniValue(" - "), " - ");
}

TEST(IniDocument, NamesMatchWithoutRegardToCaseAndFirstMatchWins) {
    const auto doc = TIniDocument::Parse("[TForm1]\nCount=1\ncount=2\n[tform1]\nOther=3\n");
    EXPECT_EQ(doc.Read("tform1", "COUNT"), "1");
    EXPECT_EQ(doc.Read("TFORM1", "Other"), std::nullopt);  // the second section is shadowed
    EXPECT_TRUE(doc.HasSection("TForm1"));
    EXPECT_FALSE(doc.HasSection("TForm2"));
}

TEST(IniDocument, IgnoresWhatIsNotAKeyInASection) {
    const auto doc = TIniDocument::Parse(
        "stray=1\n\n[S]\r\n; note=2\r\nno equals sign\r\n=nameless\r\n  spaced key  =  3  \r\n");
    EXPECT_EQ(doc.Read("", "stray"), std::nullopt);
    EXPECT_EQ(doc.Read("S", "; note"), std::nullopt);
    EXPECT_EQ(doc.Read("S", "no equals sign"), std::nullopt);
    EXPECT_EQ(doc.Read("S", ""), std::nullopt);
    EXPECT_EQ(doc.Read("S", "spaced key"), "3");
    EXPECT_EQ(doc.Read("Missing", "stray"), std::nullopt);
}

TEST(IniDocument, UpdatesInPlaceAndAppendsNewKeysAtTheEndOfTheirSection) {
    auto doc = TIniDocument::Parse("; settings\n[A]\nOne=1\nTwo=2\n\n[B]\nThree=3\n");
    doc.WriteString("a", "ONE", "uno");
    doc.WriteString("A", "Four", "4");
    doc.WriteString("C", "Five", "5");
    EXPECT_EQ(doc.Text(), "; settings\n[A]\nOne=uno\nTwo=2\nFour=4\n\n[B]\nThree=3\n\n[C]\nFive=5\n");
}

TEST(IniDocument, EraseSectionTakesItsHeaderAndLinesOnly) {
    auto doc = TIniDocument::Parse("[A]\nx=1\n[TForm1.ListBox2_Items]\nCount=1\nItem0=y\n[B]\nz=2\n");
    doc.EraseSection("tform1.listbox2_items");
    doc.EraseSection("Missing");
    EXPECT_EQ(doc.Text(), "[A]\nx=1\n[B]\nz=2\n");
    EXPECT_EQ(doc.Read("B", "z"), "2");
    doc.WriteString("TForm1.ListBox2_Items", "Count", "0");
    EXPECT_EQ(doc.Text(), "[A]\nx=1\n[B]\nz=2\n\n[TForm1.ListBox2_Items]\nCount=0\n");
}

TEST(IniDocument, LineBreaksInAValueCannotAddKeys) {
    TIniDocument doc;
    doc.WriteString("S", "key", "first\nInjected=1\r\n[Other]");
    EXPECT_EQ(doc.Read("S", "key"), "first Injected=1  [Other]");
    const auto reparsed = TIniDocument::Parse(doc.Text());
    EXPECT_EQ(reparsed.Read("S", "Injected"), std::nullopt);
    EXPECT_FALSE(reparsed.HasSection("Other"));
}

TEST(IniDocument, ReadValuesAreCutAt2047CharactersNeverInsideOne) {
    const std::string ascii(3000, 'a');
    const std::string wide = std::string(2046, 'a') + "\xC3\xA9" + "bc";  // 2049 characters
    auto doc = TIniDocument::Parse("[S]\nascii=" + ascii + "\nwide=" + wide + "\nquoted=\"" + ascii + "\"\n");
    EXPECT_EQ(doc.Read("S", "ascii"), std::string(2047, 'a'));
    EXPECT_EQ(doc.Read("S", "wide"), std::string(2046, 'a') + "\xC3\xA9");
    EXPECT_EQ(doc.Read("S", "quoted"), std::string(2047, 'a'));
    EXPECT_EQ(doc.Read("S", "ascii2"), std::nullopt);
}

struct IntegerCase {
    const char* text;
    std::optional<int> value;
};

void PrintTo(const IntegerCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class IniIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniIntegerTest, DecimalOrHexOrNothing) { EXPECT_EQ(ParseIniInteger(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Texts, IniIntegerTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-7", -7}, IntegerCase{"+7", 7},
                      IntegerCase{"0x1F", 31}, IntegerCase{"0X1f", 31}, IntegerCase{"-0x10", -16},
                      IntegerCase{"007", 7}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", -2147483647 - 1}, IntegerCase{"0x7FFFFFFF", 2147483647},
                      IntegerCase{"2147483648", std::nullopt}, IntegerCase{"0x80000000", std::nullopt},
                      IntegerCase{"99999999999999999999999", std::nullopt}, IntegerCase{"", std::nullopt},
                      IntegerCase{"-", std::nullopt}, IntegerCase{"0x", std::nullopt},
                      IntegerCase{"0x-1", std::nullopt}, IntegerCase{"--1", std::nullopt},
                      IntegerCase{"12a", std::nullopt}, IntegerCase{"1.5", std::nullopt},
                      IntegerCase{"1 2", std::nullopt}, IntegerCase{"$10", std::nullopt}));

TEST(IniDocument, ReadIntegerFallsBackOnMissingOrUnreadableValues) {
    const auto doc = TIniDocument::Parse("[S]\nblanks=  12  \nquoted=\"0x10\"\nbad=twelve\nempty=\n");
    EXPECT_EQ(doc.ReadInteger("S", "blanks", -1), 12);
    EXPECT_EQ(doc.ReadInteger("S", "quoted", -1), 16);
    EXPECT_EQ(doc.ReadInteger("S", "bad", -1), -1);
    EXPECT_EQ(doc.ReadInteger("S", "empty", -1), -1);
    EXPECT_EQ(doc.ReadInteger("S", "missing", -1), -1);
    TIniDocument written;
    written.WriteInteger("S", "n", -5);
    EXPECT_EQ(written.ReadInteger("S", "n", 0), -5);
}

}  // namespace
}  // namespace parvex
