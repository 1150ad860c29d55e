// parvex-cli stopped by a signal in the middle of a save: no temporary file is left and the file is
// the old one.
#include "cli/save_signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <sstream>
#include <tuple>

#include "cli/cli.h"
#include "fs/folder_replace.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"

namespace parvex::cli {
namespace {

// The signal, and whether the file system has unnamed files (the temporary file is then named only
// for the last moment before the rename).
class StoppedBySignal : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(StoppedBySignal, LeavesTheOldFileAndNoTemporaryFile) {
    const auto [signal, unnamed] = GetParam();
    test::TempDir dir;
    const std::string original = test::MakeVorbisFile({{"TITLE", "Old"}});
    const std::string path = dir.Write("a.ogg", original).string();
    const pid_t pid = fork();
    if (pid == 0) {
        RemoveTempFileOnSignals();
        ReplaceTesting().NoUnnamedFiles = !unnamed;
        ReplaceTesting().Hook = [signal](TReplaceStep step) {
            if (step == TReplaceStep::TempNamed) std::raise(signal);
        };
        TOggVorbis file;
        if (!file.LoadFromFile(path)) _exit(2);
        file.Title = "New";
        _exit(file.SaveToFile(path) ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_TRUE(test::ReadAll(path) == original);
    EXPECT_TRUE(test::TempFilesBeside(path).empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedBySignal,
                         ::testing::Combine(::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE),
                                            ::testing::Bool()));

// Files of a batch, each with its bytes; Renewed counts those whose bytes changed.
struct TBatchFiles {
    test::TempDir Dir;
    std::vector<std::pair<std::string, std::string>> Files;  // path, bytes

    explicit TBatchFiles(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string bytes = test::MakeVorbisFile({{"TITLE", "Old " + std::to_string(i)}});
            Files.emplace_back(Dir.Write("f" + std::to_string(i) + ".ogg", bytes).string(), bytes);
        }
    }
    int Renewed() const {
        int renewed = 0;
        for (const auto& [path, bytes] : Files) {
            EXPECT_TRUE(test::TempFilesBeside(path).empty()) << path;
            renewed += test::ReadAll(path) != bytes;
        }
        return renewed;
    }
};

// Runs `mass --set TITLE=New` over the files in a child process whose saves have named temporary
// files and call `hook` at each step; the child's log goes to "log.txt" beside them. Returns the wait
// status.
int MassInChild(const TBatchFiles& batch, std::function<void(TReplaceStep)> hook) {
    const pid_t pid = fork();
    if (pid == 0) {
        RemoveTempFileOnSignals();
        ReplaceTesting().NoUnnamedFiles = true;
        ReplaceTesting().Hook = std::move(hook);
        std::ostringstream out, err;
        TStreams io{out, err};
        const int status = RunCli({"mass", batch.Dir.Path().string(), "--set", "TITLE=New"}, io);
        batch.Dir.Write("log.txt", out.str());
        EndByStopSignal();
        _exit(status);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// During a run the first signal stops it between two files: the files written so far are put in
// place, each with its log lines, and the log ends with the stop and the summary; then the process
// ends by the signal.
class StoppedBySignalInARun : public ::testing::TestWithParam<int> {};

TEST_P(StoppedBySignalInARun, AFirstSignalStopsBetweenFilesWithTheLogComplete) {
    const int signal = GetParam();
    const TBatchFiles batch(6);
    const int status = MassInChild(batch, [signal, n = 0](TReplaceStep step) mutable {
        if (step == TReplaceStep::FolderOpened && ++n == 3) std::raise(signal);
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    const std::string written = test::ReadAll(batch.Dir.Path() / "log.txt");
    std::size_t logged = 0;
    for (std::size_t at = written.find("TITLE: "); at != std::string::npos;
         at = written.find("TITLE: ", at + 1))
        ++logged;
    const int renewed = batch.Renewed();
    EXPECT_EQ(static_cast<int>(logged), renewed) << written;
    EXPECT_LT(renewed, 6);
    EXPECT_NE(written.find("Stopped by the user after"), std::string::npos) << written;
    EXPECT_NE(written.find("Done: " + std::to_string(renewed) + " file"), std::string::npos) << written;
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedBySignalInARun, ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE));

// A second signal ends the run at once; where the new files have names from the start, every one
// of the group is removed, and the files renamed before it keep their new tags.
TEST(StoppedBySignalInABatch, ASecondSignalEndsItAtOnceLeavingNoTemporaryFile) {
    const TBatchFiles batch(5);
    const int status = MassInChild(batch, [n = 0](TReplaceStep step) mutable {
        if (step == TReplaceStep::TempNamed && ++n == 3) {
            std::raise(SIGTERM);
            std::raise(SIGTERM);
        }
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(batch.Renewed(), 2);
}

}  // namespace
}  // namespace parvex::cli
