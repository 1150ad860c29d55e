// The reader of the program's list files (genre.txt, the CSV tag list) and their line rules.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "fs/open_error.h"
#include "support/temp_dir.h"
#include "text/text_file_reader.h"

namespace parvex::test {
namespace {

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    TTextFileReader reader(file.string());
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) lines.push_back(line);
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class TextFileReaderTest : public testing::TestWithParam<LineCase> {};

TEST_P(TextFileReaderTest, SplitsAsTheListFilesAreWritten) {
    TempDir temp;
    EXPECT_EQ(ReadLines(temp.Write("list.txt", GetParam().bytes)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineRules, TextFileReaderTest,
    testing::Values(LineCase{"Empty", "", {}}, LineCase{"NoBreakAtEnd", "a\r\nb", {"a", "b"}},
                    LineCase{"BreakAfterLastLineAddsNothing", "a\r\nb\r\n", {"a", "b"}},
                    LineCase{"CarriageReturnAlone", "a\rb\r", {"a", "b"}},
                    LineCase{"LineFeedAlone", "a\nb\r\nc\n", {"a", "b", "c"}},
                    LineCase{"CrLfIsOneBreakAndTheNextLineFeedAnother", "a\r\n\nb", {"a", "", "b"}},
                    LineCase{"LineFeedThenCarriageReturnAreTwoBreaks", "a\n\rb", {"a", "", "b"}},
                    LineCase{"EveryKindOfBreakInOneFile", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
                    LineCase{"ByteOrderMarkSkipped",
                             "\xEF\xBB\xBF"
                             "a\nb",
                             {"a", "b"}},
                    LineCase{"ByteOrderMarkAlone", "\xEF\xBB\xBF", {}},
                    LineCase{"ByteOrderMarkOnlyAtTheStart", "a\n\xEF\xBB\xBF", {"a", "\xEF\xBB\xBF"}},
                    LineCase{"PartOfAByteOrderMarkIsText", "\xEF\xBBx\n", {"\xEF\xBBx"}},
                    LineCase{"EmptyLinesCount", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
                    LineCase{"Byte26EndsTheFile",
                             std::string("a\r\nb\x1a"
                                         "c\r\nd"),
                             {"a", "b"}},
                    LineCase{"Byte26AtALineStart", std::string("a\r\n\x1a\r\nb"), {"a"}},
                    LineCase{"NothingTrimmed", " a \t\r\n", {" a \t"}},
                    LineCase{"EightBitBytesKept", "caf\xc3\xa9\rna\xefve", {"caf\xc3\xa9", "na\xefve"}},
                    // The file is read in blocks of 64 KiB: a break, a line or byte 26 across a
                    // block's end reads as anywhere else.
                    LineCase{"CrLfAcrossABlockEnd", std::string(65535, 'a') + "\r\nb",
                             {std::string(65535, 'a'), "b"}},
                    LineCase{"LineAcrossABlockEnd", "x\n" + std::string(70000, 'a') + "\nb",
                             {"x", std::string(70000, 'a'), "b"}},
                    LineCase{"Byte26InALaterBlock", std::string(65536, 'a') + "b\x1a" + "c",
                             {std::string(65536, 'a') + "b"}}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(TextFileReader, AFileThatCannotBeOpenedRaisesTheOpenError) {
    TempDir temp;
    const std::string missing = (temp.Path() / "missing.csv").string();
    try {
        TTextFileReader reader(missing);
        FAIL() << "no error raised";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + missing + ": no such file or directory");
    }
}

TEST(TextFileReader, AFolderCannotBeRead) {
    TempDir temp;
    EXPECT_THROW(ReadLines(temp.Path()), std::system_error);
}

TEST(TextFileReader, AFifoWithoutAWriterReadsAsEmptyInsteadOfWaiting) {
    TempDir temp;
    const std::filesystem::path fifo = temp.Path() / "list.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(ReadLines(fifo).empty());
}

// A pipe ("-l <(command)", standard input) is read to its end, also when its writer is slow.
TEST(TextFileReader, APipeIsReadWholeWhileItsWriterIsStillWriting) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::thread writer([in = ends[1]] {
        const std::string first = "a.ogg;A\n";
        const std::string second = "b.ogg;B\n";
        EXPECT_EQ(write(in, first.data(), first.size()), static_cast<ssize_t>(first.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        EXPECT_EQ(write(in, second.data(), second.size()), static_cast<ssize_t>(second.size()));
        close(in);
    });
    const std::vector<std::string> lines = ReadLines("/dev/fd/" + std::to_string(ends[0]));
    writer.join();
    close(ends[0]);
    EXPECT_EQ(lines, (std::vector<std::string>{"a.ogg;A", "b.ogg;B"}));
}

TEST(TextFileReader, AtEndBeforeEachLineAndAfterTheLast) {
    TempDir temp;
    TTextFileReader reader(temp.Write("list.txt", "a\r\n\r\n").string());
    std::string line;
    int lines = 0;
    while (!reader.AtEnd()) {
        EXPECT_TRUE(reader.ReadLine(line));
        ++lines;
    }
    EXPECT_EQ(lines, 2);
    EXPECT_FALSE(reader.ReadLine(line));
}

}  // namespace
}  // namespace parvex::test
