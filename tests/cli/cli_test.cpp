// parvex-cli show and set, end to end through the real binary.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "cli_runner.h"
#include "ogg/ogg_vorbis.h"
#include "support/mutagen.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/temp_dir.h"
#include "text/base64.h"

namespace parvex {
namespace {

using test::ReadAll;
using test::RunCli;
using Strings = std::vector<std::string>;

class Cli : public ::testing::Test {
protected:
    std::string Real(const std::string& name) {
        return dir_.Write(name, ReadAll(test::TestData(name))).string();
    }
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
        "\", \"codec\": \"Vorbis\", \"size\": 4157, \"channels\": 1, \"sample_rate\": 22050, \"samples\": "
        "11025, \"duration\": 0.5, "
        "\"nominal_bitrate\": 24, \"bitrate\": 67, \"vendor\": \"Xiph.Org libVorbis I 20200704 (Reducing "
        "Environment)\", \"comments\": [[\"TITLE\", \"Музыка для тестов\"], [\"ARTIST\", \"音楽家\"], "
        "[\"ALBUM\", "
        "\"Ελληνικά 🎵 emoji 🎸\"], [\"COMMENT\", \"Café crème\"]], \"pictures\": []}\n"
        "{\"file\": \"" +
        junk + "\", \"error\": \"not an Ogg Vorbis or Opus file\"}\n";
    EXPECT_EQ(r.Out, expected);
    EXPECT_NE(r.Err.find(junk), std::string::npos);
}

// A file whose headers a save would refuse is still shown as far as it can be read, with the
// reason, so that its missing or odd comments are not taken for the file's own.
TEST_F(Cli, ShowSaysWhyAFileCannotBeSaved) {
    const std::string path = Real("stereo-44khz.ogg");
    std::string bytes = ReadAll(path);
    bytes.resize(bytes.find("Two tones"));
    dir_.Write("stereo-44khz.ogg", bytes);
    const std::string reason = "the headers are incomplete or damaged";
    const auto text = RunCli({"show", path});
    EXPECT_EQ(text.Status, 0);
    EXPECT_NE(text.Out.find("  Cannot be saved:  " + reason + "\n  Comments:\n"), std::string::npos)
        << text.Out;
    const auto json = RunCli({"show", "--json", path, Real("unicode.ogg")});
    EXPECT_NE(json.Out.find(", \"cannot_save\": \"" + reason + "\", \"comments\": ["), std::string::npos);
    EXPECT_EQ(json.Out.find("cannot_save"), json.Out.rfind("cannot_save")) << "only the damaged file has one";
}

// Files are read in runs by several threads; what is shown keeps the order given, across the runs.
TEST_F(Cli, ShowKeepsTheOrderGivenAcrossManyFiles) {
    const std::string good = ReadAll(std::string(PARVEX_TEST_DATA) + "/unicode.ogg");
    Strings args{"show", "--json"};
    for (int i = 0; i < 100; ++i) {
        const std::string name = "f" + std::to_string(99 - i) + ".ogg";
        args.push_back(dir_.Write(name, i % 7 == 3 ? std::string("junk") : good).string());
    }
    const auto r = RunCli(args);
    EXPECT_EQ(r.Status, 1);
    std::size_t line = 0;
    for (std::size_t at = 0; at < r.Out.size(); at = r.Out.find('\n', at) + 1, ++line) {
        ASSERT_LT(line, 100u);
        const std::string head = "{\"file\": \"" + args[line + 2] + "\", ";
        EXPECT_EQ(r.Out.compare(at, head.size(), head), 0) << line;
        EXPECT_EQ(r.Out.compare(at + head.size(), 8, "\"error\":") == 0, line % 7 == 3) << line;
    }
    EXPECT_EQ(line, 100u);
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
    EXPECT_EQ(test::CommentsOnDisk(a), (Strings{"ARTIST=One", "ARTIST=Two", "ALBUM=Test Album", "DATE=2024",
                                                "GENRE=Ambient", "DESCRIPTION=Made by a script", "NEW=x=y"}));
    // A value beyond the file's entries of that name is appended.
    EXPECT_EQ(test::CommentsOnDisk(b), (Strings{"ARTIST=One", "TRACKNUMBER=1", "ARTIST=Two", "NEW=x=y"}));
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
    EXPECT_EQ(test::CommentsOnDisk(path),
              (Strings{"Artist =Band", "DESCRIPTION=d", "COMMENT=c", "TITLE=t", "ARTIST=X"}));
}

TEST_F(Cli, SetNamesEachFileItCouldNotWrite) {
    const std::string good = Real("mono-8khz.ogg");
    const std::string junk = dir_.Write("junk.ogg", "not ogg").string();
    const std::string missing = (dir_.Path() / "missing.ogg").string();
    const auto r = RunCli({"set", junk, good, missing, "--tag", "GENRE=Test"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find(junk + ": not an Ogg Vorbis or Opus file"), std::string::npos);
    EXPECT_NE(r.Err.find("Cannot open file " + missing), std::string::npos);
    EXPECT_EQ(test::CommentsOnDisk(good).back(), "GENRE=Test");
    EXPECT_EQ(ReadAll(junk), "not ogg");
}

TEST_F(Cli, ControlCharactersInFileNamesAreEscapedInMessages) {
    const std::string junk = dir_.Write("red\x1b[31m\nline.ogg", "not ogg").string();
    const std::string shown = dir_.Path().string() + "/red\\u001b[31m\\nline.ogg: not an Ogg Vorbis or Opus file";
    for (const char* command : {"set", "show"}) {
        const auto r = command == std::string("set") ? RunCli({"set", junk, "--tag", "GENRE=Test"})
                                                     : RunCli({"show", junk});
        EXPECT_EQ(r.Status, 1) << command;
        EXPECT_NE(r.Err.find(shown), std::string::npos) << r.Err;
        EXPECT_EQ(r.Err.find('\x1b'), std::string::npos) << command;
    }
    const auto r = RunCli({"mass", dir_.Path().string(), "--set", "ARTIST=X"});
    EXPECT_EQ(r.Out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.Out.find("red\\u001b[31m\\nline.ogg"), std::string::npos) << r.Out;
}

// Names are shown so that a script can map them back: in the log a line break and a backslash with
// an "n" differ and bidirectional marks are escaped; JSON gives a name that is not UTF-8 also as its
// bytes, so that it never reads as the UTF-8 name it stands in for.
TEST_F(Cli, NamesAreShownSoThatAScriptCanMapThemBack) {
    for (const char* name : {"a\nb.ogg", "a\\nb.ogg", "gg\xE2\x80\xAE.ogg"})
        test::WriteVorbisFile(dir_.Path() / name, {{"TITLE", "t"}});
    auto r = RunCli({"mass", dir_.Dir(), "--set", "ARTIST=X"});
    for (const char* shown : {"a\\nb.ogg\n", "a\\\\nb.ogg\n", "gg\\u202e.ogg\n"})
        EXPECT_NE(r.Out.find("Mass Tag: " + dir_.Dir() + shown), std::string::npos) << shown << r.Out;
    EXPECT_EQ(RunCli({"show", dir_.Dir() + "a\nb.ogg"}).Out.rfind(dir_.Dir() + "a\\nb.ogg\n", 0), 0u);

    const std::string latin = test::WriteVorbisFile(dir_.Path() / "bad\xFF\xFE.ogg", {}).string();
    const std::string utf8 = test::WriteVorbisFile(dir_.Path() / "bad\xC3\xBF\xC3\xBE.ogg", {}).string();
    r = RunCli({"show", "--json", latin, utf8});
    const std::string file = "{\"file\": \"" + utf8 + "\", ";
    EXPECT_EQ(r.Out.find(file + "\"file_bytes\": \"" + EncodeBase64(latin) + "\", \"codec\""), 0u) << r.Out;
    EXPECT_NE(r.Out.find("\n" + file + "\"codec\""), std::string::npos) << r.Out;
}

TEST_F(Cli, OtherNamesOfASavedFileAreNamedOnStandardErrorAndInTheLog) {
    const std::string song = Real("mono-8khz.ogg");
    const std::string other = (dir_.Path() / "elsewhere.ogg").string();
    ASSERT_EQ(link(song.c_str(), other.c_str()), 0);
    const std::string note = "the file has 1 other name (hard links), which keep the old tags";
    const auto set = RunCli({"set", song, "--tag", "GENRE=Test"});
    EXPECT_EQ(set.Status, 0);
    EXPECT_EQ(set.Err, "parvex-cli: " + song + ": " + note + "\n");
    const std::string music = (dir_.Path() / "music").string();
    std::filesystem::create_directory(music);
    ASSERT_EQ(link(other.c_str(), (music + "/linked.ogg").c_str()), 0);
    const auto mass = RunCli({"mass", music, "--set", "ARTIST=X"});
    EXPECT_EQ(mass.Status, 0);
    EXPECT_NE(mass.Out.find(note), std::string::npos) << mass.Out;
}

// Values too long for an argument come from a file or standard input, as UTF-8 text; the line end
// that closes a text file is no part of the value.
TEST_F(Cli, SetTakesAValueFromAFileOrStandardInput) {
    const std::string path = Real("mono-8khz.ogg");
    std::string lyrics;
    while (lyrics.size() < 200 * 1024) lyrics += "L\xC3\xA4ngere Zeile; \"quoted\"\n";
    const std::string file = dir_.Write("lyrics.txt", lyrics).string();
    auto r = RunCli({"set", path, "--tag-file", "lyrics=" + file});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(path).back(), "LYRICS=" + lyrics.substr(0, lyrics.size() - 1));

    r = test::RunCliWithInput({"set", path, "--tag-file", "LYRICS=-", "--tag", "MOOD=calm"}, "one\r\ntwo\r\n");
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(test::CommentsOnDisk(path).back(), "MOOD=calm");
    EXPECT_EQ(test::CommentsOnDisk(path).end()[-2], "LYRICS=one\r\ntwo");
}

TEST_F(Cli, SetRefusesAValueFileThatIsNotUtf8Text) {
    const std::string path = Real("mono-8khz.ogg");
    const std::string before = ReadAll(path);
    const std::string latin1 = dir_.Write("latin1.txt", "Caf\xE9 au lait").string();
    const std::string missing = dir_.Dir() + "missing.txt";
    for (const auto& [args, message] : std::vector<std::pair<Strings, std::string>>{
             {{"set", path, "--tag-file", "LYRICS=" + latin1},
              "'" + latin1 + "' is not UTF-8 text: byte 0xE9 at offset 3"},
             {{"set", path, "--tag-file", "LYRICS=" + missing},
              "--tag-file: cannot read '" + missing + "': no such file or directory"},
             {{"set", path, "--tag-file", "LYRICS=" + dir_.Dir()}, "is a directory"},
             {{"set", path, "--tag-file", "A=-", "--tag-file", "B=-"}, "standard input can give one value only"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << r.Err;
        EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    }
    EXPECT_TRUE(ReadAll(path) == before);
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
                                                    {"set", path, "--remove", "A=B"},
                                                    {"set", path, "--picture", path},
                                                    {"set", path, "--picture", path + ".absent"},
                                                    {"set", path, "--remove-picture=x"}}) {
        const auto r = RunCli(args);
        EXPECT_EQ(r.Status, 2) << ::testing::PrintToString(args);
        EXPECT_FALSE(r.Err.empty());
        EXPECT_EQ(r.Out, "");
    }
    // A name no comment may have is named as such, not taken for a missing "=".
    const auto badName = RunCli({"set", path, "--tag", "N\xC3\x84ME=x"});
    EXPECT_EQ(badName.Status, 2);
    EXPECT_NE(badName.Err.find("--tag: 'N\xC3\x84ME' cannot be a comment name"), std::string::npos)
        << badName.Err;
    EXPECT_TRUE(ReadAll(path) == before);
}

TEST_F(Cli, VersionIsPrinted) {
    const auto r = RunCli({"--version"});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "parvex-cli " PARVEX_VERSION "\n");
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
    EXPECT_EQ(test::CommentsOnDisk(path), (Strings{"TITLE=u"}));
}

// Pictures: written as the picture comment other taggers read, shown as a line, never as base64.
class CliPictures : public Cli {
protected:
    static std::string Image(const char* name) { return std::string(PARVEX_TEST_DATA) + "/" + name; }
};

TEST_F(CliPictures, SetShowReplaceAndRemoveTheFrontCover) {
    const std::string path = Real("stereo-44khz.ogg");
    const std::string original = ReadAll(path);
    ASSERT_EQ(RunCli({"set", path, "--picture", Image("cover-48x40.jpg")}).Status, 0);

    const auto shown = RunCli({"show", path});
    EXPECT_NE(shown.Out.find("  Pictures:\n    Front cover, image/jpeg, 837 bytes, 48 x 40\n"),
              std::string::npos)
        << shown.Out;
    EXPECT_EQ(shown.Out.find("METADATA_BLOCK_PICTURE"), std::string::npos) << "never the base64 value";
    const auto json = RunCli({"show", "--json", path});
    EXPECT_NE(json.Out.find(R"(["MOOD", "calm"]], "pictures": [{"type": 3, "type_name": "Front cover", )"
                            R"("mime_type": "image/jpeg", "description": "", "size": 837, "width": 48, )"
                            R"("height": 40}]})"),
              std::string::npos)
        << json.Out;
    if (const auto pictures = test::MutagenPictures(path, Image("cover-48x40.jpg"))) {
        EXPECT_EQ(*pictures, Strings{"3 image/jpeg 48x40 24 837 same"});
    }

    // A second picture takes the front cover's place; the other comments and the audio stay.
    ASSERT_EQ(RunCli({"set", path, "--picture", Image("cover-32x24.png")}).Status, 0);
    if (const auto pictures = test::MutagenPictures(path, Image("cover-32x24.png"))) {
        EXPECT_EQ(*pictures, Strings{"3 image/png 32x24 24 1475 same"});
    }
    ASSERT_EQ(RunCli({"set", path, "--remove-picture"}).Status, 0);
    EXPECT_TRUE(ReadAll(path) == original) << "back to the file as it was";
    EXPECT_TRUE(test::OgginfoAccepts(path));
}

TEST_F(CliPictures, APictureMutagenWroteIsShownAndKeptByOtherEdits) {
    const std::string path = Real("mono-8khz.ogg");
    if (!test::MutagenAddPicture(path, Image("cover-32x24.png"), "image/png", 4, 32, 24))
        GTEST_SKIP() << "python3-mutagen is not installed";
    const auto shown = RunCli({"show", path});
    EXPECT_NE(shown.Out.find("  Pictures:\n    Back cover, image/png, 1475 bytes, 32 x 24\n"),
              std::string::npos)
        << shown.Out;
    ASSERT_EQ(RunCli({"set", path, "--tag", "TITLE=New", "--picture", Image("cover-48x40.jpg")}).Status, 0);
    const auto pictures = test::MutagenPictures(path);
    ASSERT_TRUE(pictures);
    EXPECT_EQ(*pictures, (Strings{"4 image/png 32x24 24 1475", "3 image/jpeg 48x40 24 837"}))
        << "the back cover stays, the front cover is added";
}

TEST_F(CliPictures, AMalformedPictureIsReportedAndKeptAsItIs) {
    const std::string block =
        "METADATA_BLOCK_PICTURE=AAAAAwAAAAppbWFnZS9qcGVn";  // cut off after the MIME type
    const std::string path =
        test::WriteVorbisFile(dir_.Path() / "m.ogg",
                              {{"TITLE", "t"}, {"METADATA_BLOCK_PICTURE", block.substr(23)}})
            .string();
    const auto shown = RunCli({"show", "--json", path});
    const std::string error =
        R"j("pictures": [{"error": "malformed picture block (its description runs past its end)"}])j";
    EXPECT_NE(shown.Out.find(error), std::string::npos) << shown.Out;
    const std::string line = "    malformed picture block (its description runs past its end)\n";
    EXPECT_NE(RunCli({"show", path}).Out.find(line), std::string::npos);
    const auto r = RunCli({"set", path, "--remove-picture", "--picture", Image("cover-48x40.jpg")});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "parvex-cli: " + path + ": kept 1 malformed picture comment as it is\n");
    const Strings comments = test::CommentsOnDisk(path);
    ASSERT_EQ(comments.size(), 3u);
    EXPECT_EQ(comments[1], block) << "byte for byte";
}

}  // namespace
}  // namespace parvex
