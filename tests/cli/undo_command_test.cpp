// parvex-cli undo on real files: every batch command's changes put back byte for byte, files changed
// since the run left alone, and the journal of a run killed with SIGKILL still usable.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "cli_runner.h"
#include "settings/settings_env.h"
#include "support/open_file_limit.h"
#include "support/page_walker.h"
#include "support/sshfs_mount.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::RunCli;
using Strings = std::vector<std::string>;
using Snapshot = std::map<std::string, std::string>;

const char* const kRealFiles[] = {"stereo-44khz.ogg", "mono-8khz.ogg", "unicode.ogg", "cover-art.ogg"};

class UndoCli : public ::testing::Test {
protected:
    UndoCli() : stateEnv_("XDG_STATE_HOME", state_.Path().c_str()) {}

    void CopyRealFiles(int copies = 1) {
        for (int copy = 0; copy < copies; ++copy)
            for (const char* name : kRealFiles)
                fs::copy_file(test::TestData(name), dir_.Path() / (std::to_string(copy) + "-" + name));
    }
    Snapshot Folder() const { return test::FolderBytes(dir_.Path()); }
    std::string Dir() const { return dir_.Dir(); }

    // Every file of `before` is back under its name: byte for byte, but for a file whose comment
    // header spans pages, which the rewrite pages anew; its comments still come back byte for byte.
    void ExpectRestored(const Snapshot& before, const std::string& except = {}) const {
        const Snapshot now = Folder();
        EXPECT_EQ(now.size(), before.size());
        for (const auto& [name, bytes] : before) {
            if (name == except) continue;
            ASSERT_TRUE(now.contains(name)) << name;
            const auto comments = test::ReadCommentHeader(now.at(name));
            EXPECT_EQ(comments.Comments, test::ReadCommentHeader(bytes).Comments) << name;
            EXPECT_EQ(comments.Vendor, test::ReadCommentHeader(bytes).Vendor) << name;
            if (name.find("cover-art") == std::string::npos) {
                EXPECT_TRUE(now.at(name) == bytes) << name;
            }
        }
    }

    test::TempDir dir_, state_;
    test::TScopedEnv stateEnv_;
};

struct CommandCase {
    const char* What;
    Strings Args;  // after the folder
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.What; }

class UndoEveryCommand : public UndoCli, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(UndoEveryCommand, PutsEveryFileBackByteForByte) {
    CopyRealFiles();
    const Snapshot before = Folder();
    Strings args = {GetParam().Args[0], Dir()};
    args.insert(args.end(), GetParam().Args.begin() + 1, GetParam().Args.end());
    ASSERT_EQ(RunCli(args).Status, 0);
    const Snapshot after = Folder();
    ASSERT_TRUE(after != before);

    const auto preview = RunCli({"undo", "--dry-run"});
    EXPECT_EQ(preview.Status, 0) << preview.Err;
    EXPECT_TRUE(Folder() == after);

    const auto undo = RunCli({"undo"});
    EXPECT_EQ(undo.Status, 0) << undo.Err;
    EXPECT_EQ(undo.Out, preview.Out);
    ExpectRestored(before);
    const auto list = RunCli({"undo", "--list"});
    EXPECT_NE(list.Out.find(", undone\n"), std::string::npos) << list.Out;
    EXPECT_EQ(RunCli({"undo"}).Status, 2);  // nothing left to undo
}

INSTANTIATE_TEST_SUITE_P(
    Commands, UndoEveryCommand,
    ::testing::Values(CommandCase{"Mass", {"mass", "--set", "ARTIST=Other", "--other", "MOOD=calm"}},
                      CommandCase{"MassPicture", {"mass", "--remove-picture", "--set", "TITLE=x"}},
                      CommandCase{"Clear", {"clear", "--all"}},
                      CommandCase{"FromFilename",
                                  {"from-filename", "--format", "<Track>-<Title>", "--separator", "-"}},
                      CommandCase{"Rename", {"rename", "--format", "<Title>"}}),
    [](const auto& info) { return std::string(info.param.What); });

// Over sshfs a folder listing gives every file one unknown inode number (4294967295): each file is
// still worked on and counted, and put back by undo, as on a local disk.
TEST_F(UndoCli, EveryFileOfAnSshfsMountIsWorkedOnAndPutBack) {
    const test::SshfsMount mount(dir_.Path());
    if (!mount.Mounted()) GTEST_SKIP() << mount.Why();
    CopyRealFiles();
    // FUSE keeps a file replaced while open as ".fuse_hidden..." until it is closed: not ours.
    const auto music = [this] {
        Snapshot files = Folder();
        std::erase_if(files, [](const auto& file) { return !file.first.ends_with(".ogg"); });
        return files;
    };
    const std::string folder = mount.Path().string() + "/";
    const std::string allChanged = "Done: 4 files changed, 0 left unchanged, 0 failed.\n";
    auto r = RunCli({"mass", folder, "--set", "ARTIST=Band", "--dry-run"});
    EXPECT_NE(r.Out.find(allChanged), std::string::npos) << r.Out;
    r = RunCli({"mass", folder, "--set", "ARTIST=Band"});
    EXPECT_NE(r.Out.find(allChanged), std::string::npos) << r.Out << r.Err;
    EXPECT_EQ(RunCli({"set", folder + "0-unicode.ogg", "--tag", "GENRE=Jazz"}).Status, 0);
    const Snapshot tagged = music();
    ASSERT_EQ(tagged.size(), 4u);
    for (const auto& [name, bytes] : tagged) {
        const Strings comments = test::ReadCommentHeader(bytes).Comments;
        EXPECT_NE(std::find(comments.begin(), comments.end(), "ARTIST=Band"), comments.end()) << name;
    }
    r = RunCli({"rename", folder, "--format", "<Title>"});
    EXPECT_NE(r.Out.find(allChanged), std::string::npos) << r.Out << r.Err;
    EXPECT_EQ(RunCli({"undo"}).Status, 0);
    EXPECT_TRUE(music() == tagged);
}

TEST_F(UndoCli, LeavesAFileChangedSinceTheRunAsItIs) {
    CopyRealFiles();
    const Snapshot before = Folder();
    ASSERT_EQ(RunCli({"mass", Dir(), "--set", "ARTIST=Run"}).Status, 0);
    const std::string changed = Dir() + "0-mono-8khz.ogg";
    ASSERT_EQ(RunCli({"set", changed, "--tag", "ARTIST=Later"}).Status, 0);
    const std::string later = ReadAll(changed);

    const auto undo = RunCli({"undo"});

    EXPECT_EQ(undo.Status, 1);
    EXPECT_EQ(undo.Err, "parvex-cli: " + changed + ": left alone: changed since the run\n");
    EXPECT_TRUE(ReadAll(changed) == later);
    ExpectRestored(before, "0-mono-8khz.ogg");
    EXPECT_EQ(RunCli({"undo", "--list"}).Out.find("undone"), std::string::npos) << "a failed undo is not done";
}

// Runs undone one after another, the last first: each undo finds the files as the run before left
// them, though the undo after that run gave them new identities.
TEST_F(UndoCli, UndoesRunsOneAfterAnotherTheLastFirst) {
    CopyRealFiles();
    const Snapshot before = Folder();
    ASSERT_EQ(RunCli({"mass", Dir(), "--set", "ARTIST=Band"}).Status, 0);
    ASSERT_EQ(RunCli({"rename", Dir(), "--format", "<Artist> <Title>"}).Status, 0);
    ASSERT_EQ(RunCli({"clear", Dir(), "--all"}).Status, 0);

    for (int run = 3; run > 0; --run) {
        const auto undo = RunCli({"undo"});
        EXPECT_EQ(undo.Status, 0) << "run " << run << ": " << undo.Err;
    }
    ExpectRestored(before);
}

// Where the journal cannot be written, a run does not start and says why once; --no-undo runs it.
TEST_F(UndoCli, ARunThatCannotKeepItsJournalStartsOnlyWithNoUndo) {
    CopyRealFiles();
    const Snapshot before = Folder();
    const std::string notAFolder = state_.Write("not-a-folder", "").string();
    const test::TScopedEnv unwritable("XDG_STATE_HOME", notAFolder.c_str());

    const auto refused = RunCli({"mass", Dir(), "--set", "ARTIST=Band"});

    EXPECT_EQ(refused.Status, 1);
    EXPECT_EQ(refused.Out, "");
    EXPECT_EQ(std::count(refused.Err.begin(), refused.Err.end(), '\n'), 2) << refused.Err;
    EXPECT_NE(refused.Err.find(notAFolder + "/parvex: not a directory"), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Err.find("--no-undo"), std::string::npos) << refused.Err;
    EXPECT_TRUE(Folder() == before);
    EXPECT_EQ(RunCli({"mass", Dir(), "--set", "ARTIST=Band", "--no-undo"}).Status, 0);
    EXPECT_TRUE(Folder() != before);
}

TEST_F(UndoCli, ChoosesARunByItsNumber) {
    CopyRealFiles();
    const Snapshot before = Folder();
    ASSERT_EQ(RunCli({"mass", Dir(), "--set", "ARTIST=First"}).Status, 0);
    ASSERT_EQ(RunCli({"rename", Dir(), "--format", "<Artist> <Title>"}).Status, 0);
    const auto list = RunCli({"undo", "--list"});
    EXPECT_EQ(std::count(list.Out.begin(), list.Out.end(), '\n'), 2) << list.Out;
    EXPECT_EQ(list.Out.rfind("Run 1: Mass tag of " + dir_.Path().string(), 0), 0u) << list.Out;

    // The mass run's files now carry other names: undoing it first leaves them alone.
    EXPECT_EQ(RunCli({"undo", "1"}).Status, 1);
    EXPECT_EQ(RunCli({"undo", "2"}).Status, 0);
    EXPECT_EQ(RunCli({"undo", "7"}).Status, 2);
    EXPECT_TRUE(Folder() != before);
}

// A run killed in the middle: every file the run reached is put back, whatever moment the kill hit.
TEST_F(UndoCli, TheJournalOfAKilledRunIsStillUsable) {
    CopyRealFiles(60);
    const Snapshot before = Folder();
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string dir = Dir();
        freopen("/dev/null", "w", stdout);
        // Groups of a few files, so that much of the run is still to come after the first one.
        const test::TOpenFileLimit limit(test::OpenFileLimitForGroupsOf(8));
        execl(PARVEX_CLI, PARVEX_CLI, "mass", dir.c_str(), "--set", "ARTIST=Killed",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // Kill it once some files are done: a group's files are journaled before any of them changes,
    // so the journal says a file is done with its "done" line.
    const fs::path journal = state_.Path() / "parvex" / "run-000001.journal";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string text = fs::exists(journal) ? ReadAll(journal) : std::string();
        if (text.find("\ndone\t") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it was killed";
    ASSERT_TRUE(Folder() != before);

    const auto undo = RunCli({"undo"});

    EXPECT_EQ(undo.Status, 0) << undo.Err;
    // A save cut short may leave its "~" file beside the file, which stays as it was.
    for (const auto& entry : fs::directory_iterator(dir_.Path()))
        if (entry.path().extension() != ".ogg") fs::remove(entry.path());
    ExpectRestored(before);
}

}  // namespace
}  // namespace parvex
