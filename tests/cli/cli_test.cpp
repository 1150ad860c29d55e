// parvex-cli show and set, end to end through the real binary.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "cli_runner.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using test::RunCli;
using Strings = std::vector<std::string>;

class Cli : public ::testing::Test {
protected:
    std::string Real(const std::string& name) {
        return dir_.Write(name, ReadAll(std::string(PARVEX_TEST_DATA) + "/" + name)).string();
    }
    Strings Comments(const std::string& path) { return test::ReadCommentHeader(ReadAll(path)).Comments; }
    test::TempDir dir_;
};

TEST_F(Cli, ShowPrintsStreamInformationAndComments) {
    const std::string path = Real("stereo-44khz.ogg");
    const auto r = RunCli({"show", path});
    EXPECT_EQ(r.Status, 0);
    EXPECT_NE(r.Out.find("Sample rate:      44100 Hz"), std::string::npos);
    EXPECT_NE(r.Out.find("Duration:         1.000 s"), std::string::npos);
    EXPECT_NE(r.Out.find("    ARTIST=Second\n    ALBUM=Test Album\n"), std::string::npos);
    EXPECT_EQ(r.Err, "");
}

TEST_F(Cli, ShowJsonGivesOneObjectPerLineAndErrorsInline) {
    const std::string good = Real("unicode.ogg");
    const std::string junk = dir_.Write("junk.ogg", "no \"ogg\" here").string();
    const auto r = RunCli({"show", "--json", good, junk});
    EXPECT_EQ(r.Status, 1);
    const std::string expected =
        "{\"file\": \"" + good +
        "\", \"size\": 4157, \"channels\": 1, \"sample_rate\": 22050, \"samples\": 11025, \"duration\": 0.5, "
        "\"nominal_bitrate\": 24, \"bitrate\": 67, \"vendor\": \"Xiph.Org libVorbis I 20200704 (Reducing "
        "Environment)\", \"comments\": [[\"TITLE\", \"Музыка для тестов\"], [\"ARTIST\", \"音楽家\"], "
        "[\"ALBUM\", "
        "\"Ελληνικά 🎵 emoji 🎸\"], [\"COMMENT\", \"Café crème\"]]}\n"
        "{\"file\": \"" +
        junk + "\", \"error\": \"not an Ogg Vorbis file\"}\n";
    EXPECT_EQ(r.Out, expected);
    EXPECT_NE(r.Err.find(junk), std::string::npos);
}

TEST_F(Cli, ShowJsonEscapesWhatJsonMust) {
    const std::string path = test::WriteVorbisFile(dir_.Path() / "q.ogg", {{"TITLE", "say \"hi\"\\"},
                                                                           {"NOTE",
                                                                            "a\x01"
                                                                            "b"},
                                                                           {"L1", "Caf\xE9"}})
                                 .string();
    const auto r = RunCli({"show", "--json", path});
    EXPECT_NE(r.Out.find(R"([["TITLE", "say \"hi\"\\"], ["NOTE", "a\u0001b"], ["L1", "Café"]])"),
              std::string::npos)
        << r.Out;
}

TEST_F(Cli, SetReplacesAndRemovesComments) {
    const std::string a = Real("stereo-44khz.ogg");
    const std::string b = Real("mono-8khz.ogg");
    const std::string original = ReadAll(a);
    const auto r = RunCli({"set", a, b, "--tag", "artist=One", "--tag=ARTIST=Two", "--tag", "NEW=x=y",
                           "--remove", "mood", "--remove", "TITLE"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(a), (Strings{"ARTIST=One", "ARTIST=Two", "ALBUM=Test Album", "DATE=2024",
                                    "GENRE=Ambient", "DESCRIPTION=Made by a script", "NEW=x=y"}));
    // A value beyond the file's entries of that name is appended.
    EXPECT_EQ(Comments(b), (Strings{"ARTIST=One", "TRACKNUMBER=1", "ARTIST=Two", "NEW=x=y"}));
    EXPECT_TRUE(test::SameAudio(original, ReadAll(a)));
    EXPECT_TRUE(test::OgginfoAccepts(a));
}

TEST_F(Cli, SetKeepsEverythingItWasNotAskedToChange) {
    const std::string path =
        test::WriteVorbisFile(
            dir_.Path() / "r.ogg",
            {{"X", "1"}, {"TITLE", "t"}, {"X", "2"}, {"COMMENT", "c"}, {"DESCRIPTION", "d"}, {"Y", "y"}})
            .string();
    const std::string before = ReadAll(path);
    EXPECT_EQ(RunCli({"set", path, "--remove", "ABSENT"}).Status, 0);
    EXPECT_TRUE(ReadAll(path) == before);
}

// A name is written back exactly as it was read: "Artist " (with its blank) does not turn into a
// second ARTIST that --tag ARTIST=X would leave behind; DESCRIPTION and COMMENT each keep theirs.
TEST_F(Cli, SetWritesOtherNamesBackAsTheyWereRead) {
    const std::string path =
        test::WriteVorbisFile(dir_.Path() / "r.ogg",
                              {{"Artist ", "Band"}, {"DESCRIPTION", "d"}, {"COMMENT", "c"}, {"TITLE", "t"}})
            .string();
    const auto r = RunCli({"set", path, "--tag", "ARTIST=X"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(path), (Strings{"ARTIST =Band", "DESCRIPTION=d", "COMMENT=c", "TITLE=t", "ARTIST=X"}));
}

TEST_F(Cli, SetNamesEachFileItCouldNotWrite) {
    const std::string good = Real("mono-8khz.ogg");
    const std::string junk = dir_.Write("junk.ogg", "not ogg").string();
    const std::string missing = (dir_.Path() / "missing.ogg").string();
    const auto r = RunCli({"set", junk, good, missing, "--tag", "GENRE=Test"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(junk + ": not an Ogg Vorbis file"), std::string::npos);
    EXPECT_NE(r.Err.find("Cannot open file " + missing), std::string::npos);
    EXPECT_EQ(Comments(good).back(), "GENRE=Test");
    EXPECT_EQ(ReadAll(junk), "not ogg");
}

TEST_F(Cli, BadUsageExitsWithTwo) {
    const std::string path = Real("mono-8khz.ogg");
    const std::string before = ReadAll(path);
    for (const Strings& args : std::vector<Strings>{{},
                                                    {"frobnicate"},
                                                    {"show"},
                                                    {"show", "--bogus", path},
                                                    {"set", path},
                                                    {"set", "--tag", "X=1"},
                                                    {"set", path, "--tag", "NOEQUALS"},
                                                    {"set", path, "--tag", "=value"},
                                                    {"set", path, "--tag"},
                                                    {"set", path, "--remove", "A=B"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << ::testing::PrintToString(args);
        EXPECT_FALSE(r.Err.empty());
        EXPECT_EQ(r.Out, "");
    }
    EXPECT_TRUE(ReadAll(path) == before);
}

TEST_F(Cli, HelpForTheProgramAndEachCommand) {
    for (const Strings& args : std::vector<Strings>{{"--help"}, {"show", "--help"}, {"set", "-h"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 0);
        EXPECT_EQ(r.Out.rfind("Usage: parvex-cli", 0), 0u) << r.Out;
    }
}

TEST_F(Cli, FileNamesAfterDoubleDash) {
    const std::string path = dir_.Write("-dash.ogg", test::MakeVorbisFile({{"TITLE", "t"}})).string();
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
    const auto r = RunCli({"set", "--tag", "TITLE=u", "--", "-dash.ogg"});
    std::filesystem::current_path(cwd);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(Comments(path), (Strings{"TITLE=u"}));
}

}  // namespace
}  // namespace parvex
