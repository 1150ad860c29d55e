// The door of a batch run: which paths it refuses before anything is read, and what a stop asked
// while the files are planned leaves behind (no file changed, a log that says so and sums up).

#include "batch/run_door.h"

#include <gtest/gtest.h>

#include "batch/mass_tag.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

// Stops the run when the planning reaches its `stopAt`th file; keeps the log.
class StoppingSink final : public TRunSink {
public:
    explicit StoppingSink(std::size_t stopAt) : TRunSink(&stop_), stopAt_(stopAt) {}
    void AddLine(const std::string& line) override { Lines.push_back(line); }
    void Progress(TRunStep step, const TRunProgress& at) override {
        if (step == TRunStep::Reading && at.Done == stopAt_) stop_ = true;
    }
    std::vector<std::string> Lines;

private:
    std::atomic<bool> stop_{false};
    std::size_t stopAt_;
};

struct PathCase {
    const char* Relative;  // made in the test's folder, a folder unless it ends in ".ogg"
    bool Refused;
};

class RunPathsTest : public ::testing::TestWithParam<PathCase> {};

// A folder name the scan would read as a list or a mask is refused however it is given; a file
// given by name is taken as it is, whatever it holds.
TEST_P(RunPathsTest, RefusesWhatTheScanWouldReadAsOtherFolders) {
    const test::TempDir dir;
    const std::string relative = GetParam().Relative;
    const std::string path = relative.ends_with(".ogg") ? dir.Write(relative, "x").string()
                                                        : (dir.Path() / relative).string() + "/";
    if (!relative.ends_with(".ogg")) std::filesystem::create_directories(path);
    const std::string problem = RunPathsProblem({dir.Dir(), path});
    if (GetParam().Refused)
        EXPECT_EQ(problem,
                  "cannot scan '" + path + "': folder names holding ';', '*' or '?' are not supported");
    else
        EXPECT_EQ(problem, "");
}

INSTANTIATE_TEST_SUITE_P(Names, RunPathsTest,
                         ::testing::Values(PathCase{"Rock; Pop", true}, PathCase{"odd*name", true},
                                           PathCase{"what?", true}, PathCase{"Rock; Pop/a;b*?.ogg", false},
                                           PathCase{"plain", false}));

TEST(RunDoor, AStopWhilePlanningChangesNothingAndSaysOfHowManyFiles) {
    const test::TempDir dir;
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg"})
        test::WriteVorbisFile(dir.Path() / name, {{"ARTIST", "Old"}});
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Artist, "New", TMassMode::Overwrite});
    TRunOrder order;
    order.Planner = [&options](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanMassTag(options, f, r, d, n);
    };
    order.Closing = [](const TFoundFileList&) { return std::vector<std::string>{"closing line"}; };
    StoppingSink sink(1);
    TBatchRun run("mass", order, {{dir.Dir()}}, sink);
    run.Plan();
    run.Apply(false, false);
    EXPECT_EQ(sink.Lines, (std::vector<std::string>{
                              "Stopped by the user after 0 of 3 files; the other files are unchanged.",
                              "Done: 0 files changed, 0 left unchanged, 0 failed."}));
    for (const char* name : {"a.ogg", "b.ogg", "c.ogg"}) {
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(dir.Dir() + name));
        EXPECT_EQ(file.Artist, "Old") << name;
    }
}

}  // namespace
}  // namespace parvex
