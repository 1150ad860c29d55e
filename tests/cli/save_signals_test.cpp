// parvex-cli stopped by a signal in the middle of a save: no temporary file is left and the file is
// the old one.
#include "cli/save_signals.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <tuple>

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

}  // namespace
}  // namespace parvex::cli
