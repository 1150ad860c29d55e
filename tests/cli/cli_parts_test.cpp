// The option parser and the progress bar of parvex-cli, tested without the program around them.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/options.h"
#include "cli/progress.h"

namespace parvex::cli {
namespace {

using Strings = std::vector<std::string>;

// A parser with a flag -r/--recurse, a value -f/--format and a long-only --mode.
struct ParsedLine {
    std::string Error;
    Strings Operands;
    int Recurse = 0;
    Strings Formats;
    Strings Modes;
};

ParsedLine ParseLine(const Strings& args) {
    ParsedLine parsed;
    TOptionParser parser;
    parser.Flag("recurse", 'r', [&] { ++parsed.Recurse; });
    parser.Value("format", 'f', [&](const std::string& v) -> std::string {
        parsed.Formats.push_back(v);
        return {};
    });
    parser.Value("mode", 0, [&](const std::string& v) -> std::string {
        if (v == "bad") return "bad mode";
        parsed.Modes.push_back(v);
        return {};
    });
    parsed.Error = parser.Parse(args, parsed.Operands);
    return parsed;
}

TEST(OptionParser, TakesValuesInEveryUsualSpelling) {
    const ParsedLine p = ParseLine(
        {"dir", "--format", "<A> - <B>", "--format=-x=y", "-f", "--", "-fshort", "--mode=", "-", "last"});
    EXPECT_EQ(p.Error, "");
    EXPECT_EQ(p.Formats, (Strings{"<A> - <B>", "-x=y", "--", "short"}));
    EXPECT_EQ(p.Modes, (Strings{""}));
    EXPECT_EQ(p.Operands, (Strings{"dir", "-", "last"}));
}

TEST(OptionParser, BundlesShortFlagsAndEndsOptionsAtDoubleDash) {
    const ParsedLine p = ParseLine({"-rr", "a", "-rfX", "--", "--recurse", "-r"});
    EXPECT_EQ(p.Error, "");
    EXPECT_EQ(p.Recurse, 3);
    EXPECT_EQ(p.Formats, (Strings{"X"}));
    EXPECT_EQ(p.Operands, (Strings{"a", "--recurse", "-r"}));
}

TEST(OptionParser, ReportsTheFirstMistake) {
    EXPECT_EQ(ParseLine({"--colour"}).Error, "unknown option '--colour'");
    EXPECT_EQ(ParseLine({"--rec"}).Error, "unknown option '--rec'");
    EXPECT_EQ(ParseLine({"-rx"}).Error, "unknown option '-x'");
    EXPECT_EQ(ParseLine({"--recurse=yes"}).Error, "option '--recurse' takes no value");
    EXPECT_EQ(ParseLine({"a", "--format"}).Error, "option '--format' needs a value");
    EXPECT_EQ(ParseLine({"-f"}).Error, "option '-f' needs a value");
    EXPECT_EQ(ParseLine({"--mode", "bad", "--colour"}).Error, "bad mode");
}

TEST(OptionParser, HelpersForNamesAndLists) {
    std::string name = "Mood";
    EXPECT_TRUE(NormalizeCommentName(name));
    EXPECT_EQ(name, "MOOD");
    for (std::string bad : {"", "A=B", "tab\there", "caf\xC3\xA9", "~"})
        EXPECT_FALSE(NormalizeCommentName(bad)) << bad;

    EXPECT_EQ(SplitAssignment("TITLE=a=b"), std::make_pair(std::string("TITLE"), std::string("a=b")));
    EXPECT_EQ(SplitAssignment("TITLE="), std::make_pair(std::string("TITLE"), std::string()));
    EXPECT_FALSE(SplitAssignment("=x"));
    EXPECT_FALSE(SplitAssignment("TITLE"));

    EXPECT_EQ(SplitCommas("a,,b,"), (Strings{"a", "b"}));
    EXPECT_EQ(SplitCommas(""), Strings{});
}

// A progress bar on a string stream with a clock the test moves.
class Progress : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;
    TProgressBar Make(bool enabled, int columns = 60) {
        return TProgressBar(terminal_, enabled, columns, [this] { return now_; });
    }
    void Advance(std::chrono::milliseconds by) { now_ += by; }
    std::string Take() {
        std::string text = terminal_.str();
        terminal_.str("");
        return text;
    }
    std::ostringstream terminal_;
    Clock::time_point now_{};
};

TEST_F(Progress, StaysHiddenForTheFirstMomentThenRedrawsAtMostTenTimesASecond) {
    {
        TProgressBar bar = Make(true);
        bar.Scanning(5);
        bar.Working(1, 4);
        Advance(TProgressBar::kDelay - std::chrono::milliseconds(1));
        bar.Working(2, 4);
        EXPECT_EQ(Take(), "") << "a quick run prints nothing";

        Advance(std::chrono::milliseconds(1));
        bar.Working(2, 4);
        EXPECT_EQ(Take(), "\r\033[K" + TProgressBar::WorkingLine(2, 4, 60));
        Advance(TProgressBar::kInterval / 2);
        bar.Working(3, 4);
        EXPECT_EQ(Take(), "");
        Advance(TProgressBar::kInterval / 2);
        bar.Working(3, 4);
        EXPECT_NE(Take(), "");

        // Output in between: the line is erased, and drawn again at the next update at once.
        bar.Hide();
        EXPECT_EQ(Take(), "\r\033[K");
        bar.Hide();
        EXPECT_EQ(Take(), "");
        bar.Working(4, 4);
        EXPECT_NE(Take(), "");
    }
    EXPECT_EQ(Take(), "\r\033[K") << "the line is erased at the end";
}

TEST_F(Progress, DrawsNothingWhenNotATerminal) {
    {
        TProgressBar bar = Make(false);
        Advance(std::chrono::seconds(5));
        bar.Scanning(10);
        bar.Working(1, 2);
        bar.Hide();
    }
    EXPECT_EQ(terminal_.str(), "");
}

TEST(ProgressLine, FillsTheTerminalWidthWithoutWrapping) {
    EXPECT_EQ(TProgressBar::WorkingLine(0, 4, 50), "parvex-cli: 0/4 files [                    ]   0%");
    EXPECT_EQ(TProgressBar::WorkingLine(2, 4, 50), "parvex-cli: 2/4 files [=========>          ]  50%");
    EXPECT_EQ(TProgressBar::WorkingLine(4, 4, 50), "parvex-cli: 4/4 files [====================] 100%");
    for (int columns : {20, 50, 80, 200})
        EXPECT_EQ(TProgressBar::WorkingLine(1, 3, columns).size(), std::size_t(columns - 1)) << columns;
    EXPECT_EQ(TProgressBar::WorkingLine(7, 10, 30), "parvex-cli: 7/10 files 70%") << "too narrow for a bar";
}

}  // namespace
}  // namespace parvex::cli
