// What Parvex is started with: the arguments read, the path resolved, and the window opened on it.

#include "app/start_options.h"

#include <gtest/gtest.h>

#include "page_fixture.h"

namespace parvex::test {
namespace {

TEST(StartArguments, AreReadLikeThoseOfEveryLinuxProgram) {
    struct Case {
        std::vector<std::string> args;
        bool help;
        bool version;
        std::optional<std::string> path;
        std::string error;
    };
    const Case cases[] = {
        {{}, false, false, std::nullopt, ""},
        {{"/music"}, false, false, "/music", ""},
        {{"--help"}, true, false, std::nullopt, ""},
        {{"-h", "/music"}, true, false, "/music", ""},
        {{"--version"}, false, true, std::nullopt, ""},
        {{"-x", "--version"}, false, true, std::nullopt, "unknown option '-x'"},  // --version still works
        {{"--frobnicate"}, false, false, std::nullopt, "unknown option '--frobnicate'"},
        {{"a", "b"}, false, false, "a", "one folder or file only, got 'b' too"},
        {{"--", "-dash folder"}, false, false, "-dash folder", ""},
        {{"--", "--help"}, false, false, "--help", ""},
        {{"-"}, false, false, "-", ""},
    };
    for (const Case& c : cases) {
        const TStartOptions options = ParseStartArguments(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(options.Help, c.help);
        EXPECT_EQ(options.Version, c.version);
        EXPECT_EQ(options.Path, c.path);
        EXPECT_EQ(options.Error, c.error);
    }
}

class StartPathTest : public PageTest {};

TEST_F(StartPathTest, AFolderIsListedAndAFileSelectedInItsFolder) {
    WriteVorbisFile(Music("a.ogg"), {{"TITLE", "One"}});
    WriteVorbisFile(Music("b.ogg"), {{"TITLE", "Two"}});
    const TCurrentDirectory inTemp(temp_.Path());
    std::string problem;
    const auto folder = ResolveStartPath("music/.", problem);
    ASSERT_TRUE(folder) << problem;
    EXPECT_EQ(folder->Folder, Music().string() + "/");
    EXPECT_EQ(folder->FileName, "");
    const auto file = ResolveStartPath("music/sub/../b.ogg", problem);
    ASSERT_TRUE(file) << problem;
    EXPECT_EQ(file->Folder, Music().string() + "/");
    EXPECT_EQ(file->FileName, "b.ogg");
    EXPECT_FALSE(ResolveStartPath("music/absent.ogg", problem));
    EXPECT_EQ(problem, "no such folder or file: music/absent.ogg");

    Window().OpenFolder(file->Folder, file->FileName);
    EXPECT_EQ(ListedFiles(), QStringList({"a.ogg", "b.ogg"}));
    EXPECT_EQ(Window().browsePage->FieldEdit(TTagField::Title)->text(), "Two") << "the file is selected and shown";
}

}  // namespace
}  // namespace parvex::test
