// parvex-cli mass killed outright (SIGKILL) while it commits its saves in groups: every file is
// whole, either the old one byte for byte or the new one with the same audio, and the next run
// removes what the killed one left and finishes the job.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "fs/folder_replace.h"
#include "support/ogg_builder.h"
#include "support/open_file_limit.h"
#include "support/page_walker.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"

namespace parvex::cli {
namespace {

namespace fs = std::filesystem;

// The killed runs commit groups of kGroup files, under a lowered limit of open files.
constexpr int kGroup = 64;
constexpr int kFiles = kGroup * 2 + 20;  // three groups

class KilledRun : public ::testing::Test {
protected:
    void SetUp() override {
        test::VorbisFileOptions options;
        options.AudioPages = 4;
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = (i % 4 ? "" : "sub/") + std::string("t") + std::to_string(i) + ".ogg";
            const std::string bytes =
                test::MakeVorbisFile({{"ARTIST", "Old"}, {"TRACKNUMBER", std::to_string(i)}}, options);
            originals_[dir_.Write(name, bytes).string()] = bytes;
        }
    }
    std::vector<std::string> MassArgs() const { return {"mass", dir_.Path().string(), "-r", "--set", "ARTIST=New"}; }
    // How many files are new; fails the test for any file neither wholly old nor wholly new.
    int CountNewFiles() const {
        int renewed = 0;
        for (const auto& [path, original] : originals_) {
            const std::string now = test::ReadAll(path);
            if (now == original) continue;
            ++renewed;
            EXPECT_TRUE(test::IsValidOgg(now)) << path;
            EXPECT_TRUE(test::SameAudio(original, now)) << path;
            const auto comments = test::ReadCommentHeader(now).Comments;
            EXPECT_NE(std::find(comments.begin(), comments.end(), "ARTIST=New"), comments.end()) << path;
        }
        return renewed;
    }
    // The next run finishes the job and leaves no temporary file.
    void ExpectTheNextRunCompletes() const {
        std::ostringstream out, err;
        TStreams io{out, err};
        EXPECT_EQ(RunCli(MassArgs(), io), kExitOk) << err.str();
        EXPECT_EQ(CountNewFiles(), kFiles);
        for (const auto& [path, original] : originals_) EXPECT_TRUE(test::TempFilesBeside(path).empty()) << path;
    }

    test::TempDir dir_;
    std::map<std::string, std::string> originals_;
};

struct KillMoment {
    const char* What;
    TReplaceStep Step;
    int Nth;       // killed at the Nth time the run reaches Step
    bool Unnamed;  // new files without a name until their rename
    int Renewed;   // files in place by then
};

void PrintTo(const KillMoment& m, std::ostream* os) { *os << m.What; }

// Nothing of a group is renamed before all of its files are written; then one by one.
const KillMoment kMoments[] = {
    {"WritingTheFirstGroup", TReplaceStep::FolderOpened, 10, true, 0},
    {"WritingTheSecondGroup", TReplaceStep::FolderOpened, kGroup + 10, true, kGroup},
    {"BeforeTheFirstRename", TReplaceStep::TempNamed, 1, true, 0},
    {"BetweenRenames", TReplaceStep::TempNamed, 30, true, 29},
    {"AfterTheLastRenameOfAGroup", TReplaceStep::Renamed, kGroup, true, kGroup},
    {"RenamingTheLastGroup", TReplaceStep::Renamed, 2 * kGroup + 3, true, 2 * kGroup + 3},
    {"NamedWritingTheFirstGroup", TReplaceStep::FolderOpened, 40, false, 0},
    {"NamedBetweenRenames", TReplaceStep::TempNamed, kGroup + 5, false, kGroup + 4},
};

class KilledAt : public KilledRun, public ::testing::WithParamInterface<KillMoment> {};

TEST_P(KilledAt, LeavesWholeFilesAndTheNextRunCleansUp) {
    const KillMoment& moment = GetParam();
    const pid_t pid = fork();
    if (pid == 0) {
        const test::TOpenFileLimit limit(test::OpenFileLimitForGroupsOf(kGroup));
        ReplaceTesting().NoUnnamedFiles = !moment.Unnamed;
        ReplaceTesting().Hook = [&moment, n = 0](TReplaceStep step) mutable {
            if (step == moment.Step && ++n == moment.Nth) std::raise(SIGKILL);
        };
        std::ostringstream out, err;
        TStreams io{out, err};
        RunCli(MassArgs(), io);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(CountNewFiles(), moment.Renewed);
    ExpectTheNextRunCompletes();
}

INSTANTIATE_TEST_SUITE_P(Moments, KilledAt, ::testing::ValuesIn(kMoments),
                         [](const auto& info) { return std::string(info.param.What); });

// The real program killed after random times, each round going on from where the last one was
// killed; with four rounds, some kills fall in the middle of the run.
TEST_F(KilledRun, TheProgramKilledAtRandomMoments) {
    std::mt19937 random(4242);
    for (int round = 0; round < 4; ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            const test::TOpenFileLimit limit(test::OpenFileLimitForGroupsOf(kGroup));
            std::vector<std::string> args = MassArgs();
            args.back() = "ARTIST=Round" + std::to_string(round);
            std::vector<char*> argv{const_cast<char*>(PARVEX_CLI)};
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(PARVEX_CLI, argv.data());
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 120));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        for (const auto& [path, original] : originals_) {
            const std::string now = test::ReadAll(path);
            EXPECT_TRUE(test::IsValidOgg(now)) << path;
            EXPECT_TRUE(test::SameAudio(original, now)) << path;
        }
    }
    ExpectTheNextRunCompletes();
}

}  // namespace
}  // namespace parvex::cli
