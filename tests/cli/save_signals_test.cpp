// parvex-cli stopped by a signal in the middle of a save: no temporary file is left and the file is
// the old one.
#include "cli/save_signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <sstream>
#include <tuple>

#include "cli/cli.h"
#include "ogg/folder_replace.h"
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
                         ::testing::Combine(::testing::Values(SIGINT, SIGTERM, SIGHUP), ::testing::Bool()));

// A batch holds a group of new files at once; where they have names from the start, a signal
// removes every one of them, and the files renamed before it keep their new tags.
TEST(StoppedBySignalInABatch, LeavesNoTemporaryFileOfTheGroup) {
    test::TempDir dir;
    std::vector<std::pair<std::string, std::string>> files;  // path, bytes
    for (int i = 0; i < 5; ++i) {
        const std::string bytes = test::MakeVorbisFile({{"TITLE", "Old " + std::to_string(i)}});
        files.emplace_back(dir.Write("f" + std::to_string(i) + ".ogg", bytes).string(), bytes);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        RemoveTempFileOnSignals();
        ReplaceTesting().NoUnnamedFiles = true;
        ReplaceTesting().Hook = [n = 0](TReplaceStep step) mutable {
            if (step == TReplaceStep::TempNamed && ++n == 3) std::raise(SIGTERM);
        };
        std::ostringstream out, err;
        TStreams io{out, err};
        RunCli({"mass", dir.Path().string(), "--set", "TITLE=New"}, io);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    int renewed = 0;
    for (const auto& [path, bytes] : files) {
        EXPECT_TRUE(test::TempFilesBeside(path).empty()) << path;
        renewed += test::ReadAll(path) != bytes;
    }
    EXPECT_EQ(renewed, 2);
}

}  // namespace
}  // namespace parvex::cli
