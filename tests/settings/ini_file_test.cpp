#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "settings_env.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::TScopedEnv;

TIniDocument OneKey(const std::string& value) {
    TIniDocument doc;
    doc.WriteString("TForm1", "Edit4_Text", value);
    return doc;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsLocation, FollowsXdgConfigHomeElseTheHomeFolder) {
    const TScopedEnv home("HOME", "/home/someone");
    {
        const TScopedEnv config("XDG_CONFIG_HOME", "/tmp/conf");
        EXPECT_EQ(SettingsFilePath(), fs::path("/tmp/conf/parvex/parvex.INI"));
        EXPECT_EQ(SettingsFilePath("other.ini"), fs::path("/tmp/conf/parvex/other.ini"));
        EXPECT_EQ(SettingsFilePath("/etc/x/y.ini"), fs::path("/etc/x/y.ini"));
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/conf"}) {
        const TScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(SettingsFilePath(), fs::path("/home/someone/.config/parvex/parvex.INI"));
    }
}

TEST(IniFile, SaveCreatesTheFolderAndLoadReadsItBack) {
    const TempDir dir;
    const auto file = dir.Path() / "new" / "parvex" / "parvex.INI";
    SaveIniFile(file, OneKey("\" - \""));
    EXPECT_EQ(ReadAll(file), "[TForm1]\nEdit4_Text=\"\" - \"\"\n");
    EXPECT_EQ(LoadIniFile(file).Read("TForm1", "Edit4_Text"), "\" - \"");
    EXPECT_EQ(FolderEntries(file.parent_path()), std::vector<std::string>{"parvex.INI"});
}

TEST(IniFile, MissingOrBinaryFilesLoadWithoutFailing) {
    const TempDir dir;
    EXPECT_EQ(LoadIniFile(dir.Path() / "none.INI").Text(), "");
    EXPECT_EQ(LoadIniFile(dir.Path()).Text(), "");  // a folder, not a file
    const auto garbage = dir.Write("garbage.INI", std::string("\0\xff[\x01\n=\n[S\nk=v\n\x1a", 15));
    EXPECT_EQ(LoadIniFile(garbage).Read("S", "k"), "v");
}

TEST(IniFile, ReplacingKeepsPermissionsAndLeavesNoTemporaryFile) {
    const TempDir dir;
    const auto file = dir.Write("parvex.INI", "[Old]\nx=1\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveIniFile(file, OneKey("new"));
    EXPECT_EQ(ReadAll(file), "[TForm1]\nEdit4_Text=new\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"parvex.INI"});
}

TEST(IniFile, ALinkedSettingsFileStaysALink) {
    const TempDir dir;
    const auto target = dir.Write("dotfiles/parvex.INI", "[Old]\n");
    fs::create_directories(dir.Path() / "config");
    const auto link = dir.Path() / "config" / "parvex.INI";
    fs::create_symlink("../dotfiles/parvex.INI", link);
    SaveIniFile(link, OneKey("linked"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(target), "[TForm1]\nEdit4_Text=linked\n");
}

TEST(IniFile, AFailedWriteNamesTheFileAndLeavesNothingBehind) {
    const TempDir dir;
    dir.Write("blocker", "not a folder");
    const auto underFile = dir.Path() / "blocker" / "parvex.INI";
    try {
        SaveIniFile(underFile, OneKey("x"));
        FAIL() << "no error";
    } catch (const TIniWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + underFile.string());
    }

    // A folder where the file should be: the rename fails after the temporary file was written.
    fs::create_directories(dir.Path() / "taken" / "parvex.INI");
    EXPECT_THROW(SaveIniFile(dir.Path() / "taken" / "parvex.INI", OneKey("x")), TIniWriteError);
    EXPECT_EQ(FolderEntries(dir.Path() / "taken"), std::vector<std::string>{"parvex.INI"});
    EXPECT_EQ(ReadAll(dir.Path() / "blocker"), "not a folder");
}

// Runs `body` without the right to write to `folder`: as "nobody" in a child when we are root (root
// writes everywhere), else in this process with the folder made read-only. Returns body's result.
bool WithoutWriteAccess(const fs::path& folder, const std::function<bool()>& body) {
    if (geteuid() != 0) {
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        const bool result = body();
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
        return result;
    }
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr) return false;
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
        _exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(IniFile, AReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0 && getpwnam("nobody") == nullptr) GTEST_SKIP() << "no user 'nobody' to drop to";
    const TempDir dir;
    // Let "nobody" reach and read the folder, but not write in it.
    fs::permissions(dir.Path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const auto folder = dir.Path() / "ro";
    const auto file = dir.Write("ro/parvex.INI", "[TForm1]\nEdit4_Text=old\n");
    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);

    const bool reported = WithoutWriteAccess(folder, [&] {
        try {
            SaveIniFile(file, OneKey("new"));
        } catch (const TIniWriteError& error) {
            return std::string(error.what()) == "Unable to write to " + file.string() &&
                   LoadIniFile(file).Read("TForm1", "Edit4_Text") == "old";
        }
        return false;
    });
    EXPECT_TRUE(reported);
    EXPECT_EQ(ReadAll(file), "[TForm1]\nEdit4_Text=old\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"parvex.INI"});
}

}  // namespace
}  // namespace parvex
