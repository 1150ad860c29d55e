// A job on the run thread: its lines arrive in order however often they are taken, a stop reaches
// the job through its control, and what the job raises is raised again by Finish.

#include "batch/run_thread.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace parvex {
namespace {

TEST(RunThread, LinesArriveInOrderWhileTheJobRuns) {
    TRunThread run;
    constexpr int kLines = 5000;
    run.Start([](TRunThread& self) {
        const TRunControl control = self.Control("Writing");
        for (int i = 0; i < kLines; ++i) {
            control.Progress({static_cast<std::size_t>(i), kLines, "f" + std::to_string(i)});
            self.AddLine(std::to_string(i));
        }
    });
    std::vector<std::string> taken;
    while (!run.Done()) {
        for (std::string& line : run.TakeLines()) taken.push_back(std::move(line));
        const TRunThread::TShownProgress progress = run.Progress();
        EXPECT_TRUE(progress.Step.empty() || progress.Step == "Writing");
    }
    run.Finish();
    for (std::string& line : run.TakeLines()) taken.push_back(std::move(line));
    ASSERT_EQ(taken.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i) ASSERT_EQ(taken[i], std::to_string(i));
    EXPECT_EQ(run.Progress().At.Current, "f" + std::to_string(kLines - 1));
    EXPECT_FALSE(run.Running());
}

TEST(RunThread, AStopReachesTheJobAndAnErrorReachesTheStarter) {
    TRunThread run;
    run.Start([](TRunThread& self) {
        const TRunControl control = self.Control("Reading");
        while (!control.StopAsked()) std::this_thread::yield();
        throw std::runtime_error("stopped");
    });
    run.AskStop();
    EXPECT_THROW(run.Finish(), std::runtime_error);

    run.Start([](TRunThread& self) { self.AddLine(self.StopAsked() ? "stop kept" : "fresh"); });
    run.Finish();
    EXPECT_EQ(run.TakeLines(), std::vector<std::string>{"fresh"});
}

}  // namespace
}  // namespace parvex
