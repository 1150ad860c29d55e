// A run on real files: what applying the plans does is what the plans said; a stop leaves every file
// untouched or complete; a file changed after planning is left alone; files are committed in
// groups, a failure in a group touching only its own file; the journal lets undo put every file
// back byte for byte, and undo refuses files changed since the run.

#include "batch/batch_run.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <thread>

#include "batch/clear_tags.h"
#include "batch/log_sink.h"
#include "batch/mass_tag.h"
#include "batch/run_journal.h"
#include "batch/save_group.h"
#include "batch/undo_run.h"
#include "naming/rename_from_tag.h"
#include "naming/tag_from_list.h"
#include "naming/tag_from_name.h"
#include "fs/folder_replace.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "scan/found_files.h"
#include "support/ogg_builder.h"
#include "support/open_file_limit.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"
#include "text/string_hash.h"

namespace parvex {
namespace {

namespace fs = std::filesystem;
using test::CommentList;
using Snapshot = std::map<std::string, std::string>;  // file name -> bytes

struct RunCase {
    const char* What;
    std::vector<std::pair<std::string, CommentList>> Files;  // in the order of the scan
    std::vector<TPlanAction> Actions;                        // what the plans say, file by file
    // Makes the planner; may write helper files (a list) into the folder.
    std::function<TPlanner(const test::TempDir& dir)> Planner;
    TPlanning Planning = TPlanning::Concurrent;  // how the operation's runs plan
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.What; }

const CommentList kTagged = {{"ARTIST", "Band"}, {"TITLE", "Song"}, {"GENRE", "Jazz"}};
// A value with the characters the journal escapes: it must come back as it was.
const CommentList kAwkward = {{"ARTIST", "Tab\there"}, {"COMMENT", "two\nlines \\ and\r\nmore"}};
const CommentList kNotVorbis = {};  // MakeFolder writes plain bytes: no Ogg Vorbis file

class BatchRunTest : public ::testing::Test {
protected:
    void MakeFolder(const std::vector<std::pair<std::string, CommentList>>& files) {
        for (const auto& [name, comments] : files) {
            if (comments.empty())
                dir.Write(name, "not an ogg file");
            else
                test::WriteVorbisFile(dir.Path() / name, comments);
            found.Add(dir.Dir(), name);
        }
    }
    Snapshot Folder() const {
        Snapshot files;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            if (entry.path().extension() == ".ogg")
                files[entry.path().filename()] = test::ReadAll(entry.path());
        return files;
    }
    std::vector<TFilePlan> Plan(const TPlanner& planner) {
        bool stopped = false;
        auto plans = PlanRun(found, planner, {}, stopped);
        EXPECT_FALSE(stopped);
        return plans;
    }
    static std::vector<TWrittenComment> CommentsIn(const std::string& path) {
        TOggVorbis file;
        tagrecord record;
        EXPECT_EQ(LoadWorkingRecord(file, record, path), TLoadOutcome::Loaded) << path;
        return WrittenComments(record);
    }
    // Makes a.ogg and `runs` runs that journal its rename to b.ogg without carrying it out; returns
    // the rename's plan.
    TFilePlan JournalRenames(int runs) {
        MakeFolder({{"a.ogg", kTagged}});
        TFilePlan plan;
        plan.Path = dir.Dir() + "a.ogg";
        plan.NewPath = dir.Dir() + "b.ogg";
        plan.Action = TPlanAction::Rename;
        for (int run = 0; run < runs; ++run) TRunJournal(state.Dir(), "rename", {dir.Dir()}).BeforeChange(plan);
        return plan;
    }
    // The journal folder's only run, read whole.
    TJournalRun OnlyRun() const {
        const auto runs = ListRuns(state.Dir()).Runs;
        EXPECT_EQ(runs.size(), 1u);
        return runs.empty() ? TJournalRun{} : ReadJournal(runs.front().File).value_or(TJournalRun{});
    }

    test::TempDir dir, state;
    TFoundFileList found;
    TLineLog log;
    TRunTally tally;
};

TPlanner MassPlanner(TMassMode otherTags = TMassMode::Append) {
    TMassTagOptions options;
    options.Rows.push_back({TTagField::Artist, "Band", TMassMode::Overwrite});
    options.OtherTagsChecked = true;
    options.OtherTagsMode = otherTags;
    options.OtherTagLines = {"MOOD=calm"};
    return [options](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanMassTag(options, f, r, d, n);
    };
}

TPlanner ClearPlanner() {
    return [](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanClearTags({{TTagField::Genre}, false, false}, f, r, d, n);
    };
}

TPlanner FileNamePlanner() {
    TTagFromFileNameOptions options;
    options.Separator = " - ";
    options.Format = "<Artist> - <Title>";
    return [options](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanTagFromFileName(options, f, r, d, n);
    };
}

TPlanner RenamePlanner() {
    TRenameFromTagOptions options;
    options.Format = "<Title>";
    auto planned = std::make_shared<TPlannedNames>();
    return [options, planned](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanRenameFromTag(options, *planned, f, r, d, n);
    };
}

TPlanner ListPlanner(const test::TempDir& dir) {
    TTagFromListOptions options;
    options.Separator = ";";
    options.Format = "<Target file>;<Artist>;<Title>";
    dir.Write("list.csv", "one.ogg;Listed;First\nthree.ogg;Other;Third\n");
    auto table = std::make_shared<TStringHash>(kTagListStartSize);
    LoadTagList(dir.Dir() + "list.csv", options, *table);
    return [options, table](const std::string& d, const std::string& n, TOggVorbis& f, tagrecord& r) {
        return PlanTagFromList(options, *table, f, r, d, n);
    };
}

const RunCase kRunCases[] = {
    {"Mass",
     {{"a.ogg", {{"ARTIST", "Old"}}},
      {"b.ogg", kAwkward},
      {"c.ogg", kNotVorbis},
      {"d.ogg", {{"ARTIST", "Band"}, {"MOOD", "calm"}}}},
     {TPlanAction::Store, TPlanAction::Store, TPlanAction::Fail, TPlanAction::Store},
     [](const test::TempDir&) { return MassPlanner(); }},
    {"Clear",
     {{"a.ogg", kTagged}, {"b.ogg", {{"TITLE", "No genre"}}}, {"c.ogg", kAwkward}},
     {TPlanAction::Store, TPlanAction::Leave, TPlanAction::Leave},
     [](const test::TempDir&) { return ClearPlanner(); }},
    {"FileName",
     {{"Band - Song.ogg", {{"GENRE", "Pop"}}}, {"Single.ogg", {{"TITLE", "x"}}}, {"A - B.ogg", kAwkward}},
     {TPlanAction::Store, TPlanAction::Leave, TPlanAction::Store},
     [](const test::TempDir&) { return FileNamePlanner(); }},
    // b.ogg takes the name c.ogg frees before it; d.ogg wants the name a.ogg takes.
    {"Rename",
     {{"c.ogg", {{"TITLE", "X"}}},
      {"b.ogg", {{"TITLE", "c"}}},
      {"a.ogg", {{"TITLE", "Q"}}},
      {"d.ogg", {{"TITLE", "Q"}}},
      {"R.ogg", {{"TITLE", "R"}}}},
     {TPlanAction::Rename, TPlanAction::Rename, TPlanAction::Rename, TPlanAction::Fail, TPlanAction::Leave},
     [](const test::TempDir&) { return RenamePlanner(); },
     TPlanning::InOrder},
    {"List",
     {{"one.ogg", kTagged}, {"two.ogg", kTagged}, {"three.ogg", {{"ARTIST", "Other"}, {"TITLE", "Third"}}}},
     {TPlanAction::Store, TPlanAction::Leave, TPlanAction::Leave},
     [](const test::TempDir& dir) { return ListPlanner(dir); }},
};

// Each preview row of a plan stands for one of its log lines.
void ExpectPreviewSaysWhatTheLogSays(const TFilePlan& plan) {
    const std::vector<TPreviewRow> rows = PreviewRows(plan);
    ASSERT_FALSE(rows.empty()) << plan.Path;
    for (const TPreviewRow& row : rows) {
        EXPECT_EQ(row.File, plan.Path);
        std::string line = kLogIndent + row.New;
        if (plan.Action == TPlanAction::Store)
            line = kLogIndent + row.Tag + ": " + row.Old + " -> " + row.New;
        if (plan.Action == TPlanAction::Rename) {
            line =
                kLogIndent + std::string("to: ") + fs::path(plan.Path).parent_path().string() + "/" + row.New;
            EXPECT_EQ(row.Old, fs::path(plan.Path).filename());
        }
        EXPECT_NE(std::find(plan.Lines.begin(), plan.Lines.end(), line), plan.Lines.end()) << line;
    }
    if (plan.Action == TPlanAction::Store) {
        EXPECT_EQ(rows.size(), plan.Lines.size() - 1) << plan.Path;
    }
}

class RunCaseTest : public BatchRunTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunCaseTest, ApplyingDoesWhatThePlanSays) {
    MakeFolder(GetParam().Files);
    const std::vector<TFilePlan> plans = Plan(GetParam().Planner(dir));
    std::vector<TPlanAction> actions;
    for (const TFilePlan& plan : plans) actions.push_back(plan.Action);
    ASSERT_EQ(actions, GetParam().Actions);
    const Snapshot before = Folder();

    const std::size_t readsBefore = HeaderReads();
    TRunJournal journal(state.Dir(), "case", {dir.Dir()});
    ApplyRun(plans, false, log, tally, &journal);
    // The save writes after the headers its plan read: a new file is read back once (the journal's
    // digest of it comes from the comments written); an old file is not read again, a renamed one
    // neither.
    EXPECT_EQ(HeaderReads() - readsBefore,
              static_cast<std::size_t>(std::count(actions.begin(), actions.end(), TPlanAction::Store)));

    std::vector<std::string> planned;
    for (const TFilePlan& plan : plans) {
        planned.insert(planned.end(), plan.Lines.begin(), plan.Lines.end());
        ExpectPreviewSaysWhatTheLogSays(plan);
        const std::string name = fs::path(plan.Path).filename();
        switch (plan.Action) {
            case TPlanAction::Store:
                EXPECT_EQ(CommentsIn(plan.Path), WrittenComments(plan.Record)) << name;
                break;
            case TPlanAction::Rename:
                EXPECT_EQ(test::ReadAll(plan.NewPath), before.at(name)) << name;
                break;
            default:
                if (before.contains(name)) {
                    EXPECT_EQ(test::ReadAll(plan.Path), before.at(name)) << name;
                }
        }
    }
    EXPECT_EQ(log.Lines, planned);
}

TEST_P(RunCaseTest, UndoPutsEveryFileBackByteForByte) {
    MakeFolder(GetParam().Files);
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "test", {dir.Dir()});
    ApplyRun(Plan(GetParam().Planner(dir)), false, log, tally, &journal);
    ASSERT_NE(Folder(), before);

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(undone.Failed(), 0);
    EXPECT_TRUE(OnlyRun().Undone);
}

// The plans made by a few threads at once are those made one after another, in the order found,
// with progress reported from the calling thread before each file. Every file is found under
// several spellings of its folder, so that the threads have work enough to overlap.
TEST_P(RunCaseTest, PlansMadeAsTheOperationAllowsMatchThePlansMadeInOrder) {
    MakeFolder(GetParam().Files);
    for (std::string dots = "./"; dots.size() < 20; dots += "./")
        for (const auto& [name, comments] : GetParam().Files) found.Add(dir.Dir() + dots, name);
    const TPlanner planner = GetParam().Planner(dir);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::string> reported;
    TRunControl control;
    control.Progress = [&](const TRunProgress& at) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(at.Done, reported.size());
        EXPECT_EQ(at.Total, found.Count());
        reported.push_back(at.Current);
    };
    bool stopped = true;
    const std::vector<TFilePlan> pooled = PlanRun(found, planner, control, stopped, GetParam().Planning);
    EXPECT_FALSE(stopped);
    const std::vector<TFilePlan> inOrder = Plan(GetParam().Planner(dir));
    ASSERT_EQ(pooled.size(), inOrder.size());
    for (std::size_t i = 0; i < pooled.size(); ++i) {
        const auto [folder, name] = TFoundFileList::Split(found[i]);
        EXPECT_EQ(reported[i], folder + name);
        EXPECT_EQ(pooled[i].Path, folder + name);
        EXPECT_EQ(pooled[i].Path, inOrder[i].Path);
        EXPECT_EQ(pooled[i].Action, inOrder[i].Action) << pooled[i].Path;
        EXPECT_EQ(pooled[i].Lines, inOrder[i].Lines);
        EXPECT_EQ(pooled[i].NewPath, inOrder[i].NewPath);
        EXPECT_EQ(pooled[i].Changes, inOrder[i].Changes);
        EXPECT_EQ(pooled[i].Planned, inOrder[i].Planned);
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, RunCaseTest, ::testing::ValuesIn(kRunCases),
                         [](const auto& info) { return std::string(info.param.What); });

// ---- Checks at the moment of writing, and stopping ----

// Whatever the operation, the first file it would change is rewritten by another program after
// planning: it is left as that program wrote it.
TEST_P(RunCaseTest, AFileChangedAfterPlanningIsLeftAlone) {
    MakeFolder(GetParam().Files);
    const std::vector<TFilePlan> plans = Plan(GetParam().Planner(dir));
    const auto changing = std::find_if(plans.begin(), plans.end(), [](const TFilePlan& plan) {
        return plan.Action == TPlanAction::Store || plan.Action == TPlanAction::Rename;
    });
    ASSERT_NE(changing, plans.end());
    test::WriteVorbisFile(changing->Path, {{"ARTIST", "Edited meanwhile"}, {"TITLE", "Edited"}});
    const std::string edited = test::ReadAll(changing->Path);

    ApplyRun(plans, false, log, tally, nullptr);

    EXPECT_EQ(test::ReadAll(changing->Path), edited);
    EXPECT_NE(std::find(log.Lines.begin(), log.Lines.end(),
                        "     left alone: the file changed since it was planned"),
              log.Lines.end());
}

class StopTest : public BatchRunTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(StopTest, LeavesEveryFileUntouchedOrComplete) {
    const std::size_t stopAfter = GetParam();
    for (int i = 0; i < 6; ++i) MakeFolder({{"f" + std::to_string(i) + ".ogg", {{"ARTIST", "Old"}}}});
    const Snapshot before = Folder();
    const auto plans = Plan(MassPlanner());
    std::atomic<bool> stop = stopAfter == 0;
    TRunControl control;
    control.Stop = &stop;
    std::size_t done = 0;
    control.AfterFile = [&](const TFilePlan&, TFileOutcome, const std::string&) { stop = ++done == stopAfter; };
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});

    const TApplyOutcome outcome = ApplyRun(plans, false, log, tally, &journal, control);

    EXPECT_EQ(outcome.Done, std::min<std::size_t>(stopAfter, 6));
    EXPECT_EQ(outcome.Stopped, stopAfter < 6);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (i < outcome.Done)
            EXPECT_EQ(CommentsIn(plans[i].Path), WrittenComments(plans[i].Record)) << i;
        else
            EXPECT_EQ(test::ReadAll(plans[i].Path), before.at(fs::path(plans[i].Path).filename())) << i;
    }
    if (outcome.Stopped) {
        EXPECT_EQ(log.Lines.back(), StoppedLine(outcome.Done, 6));
    }
    // The new files of the group that the stop abandoned are gone, and the journal, which recorded
    // them, counts and undoes only the files changed.
    for (const TFilePlan& plan : plans) EXPECT_TRUE(test::TempFilesBeside(plan.Path).empty()) << plan.Path;
    if (outcome.Done == 0) return;
    EXPECT_EQ(OnlyRun().Changed, outcome.Done);
    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);
    EXPECT_EQ(undone.Changed(), static_cast<int>(outcome.Done));
    EXPECT_EQ(undone.Unchanged(), 0);
    EXPECT_EQ(Folder(), before);
}

INSTANTIATE_TEST_SUITE_P(After, StopTest, ::testing::Values(0, 3, 6));

// The progress counts the files written, and a stop while a group is being written keeps them.
TEST_F(BatchRunTest, AStopWhileAGroupIsWrittenPutsTheFilesWrittenSoFarInPlace) {
    for (int i = 0; i < 6; ++i) MakeFolder({{"f" + std::to_string(i) + ".ogg", {{"ARTIST", "Old"}}}});
    const Snapshot before = Folder();
    const auto plans = Plan(MassPlanner());
    std::atomic<bool> stop = false;
    TRunControl control;
    control.Stop = &stop;
    control.Progress = [&](const TRunProgress& at) { stop = stop || at.Done == 2; };

    const TApplyOutcome outcome = ApplyRun(plans, false, log, tally, nullptr, control);

    EXPECT_TRUE(outcome.Stopped);
    ASSERT_EQ(outcome.Done, 3u);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (i < 3)
            EXPECT_EQ(CommentsIn(plans[i].Path), WrittenComments(plans[i].Record)) << i;
        else
            EXPECT_EQ(test::ReadAll(plans[i].Path), before.at(fs::path(plans[i].Path).filename())) << i;
        EXPECT_TRUE(test::TempFilesBeside(plans[i].Path).empty()) << i;
    }
    EXPECT_EQ(log.Lines.back(), StoppedLine(3, 6));
}

TEST_F(BatchRunTest, AStopWhilePlanningConcurrentlyKeepsThePlansBeforeItInOrder) {
    for (int i = 0; i < 30; ++i) MakeFolder({{"f" + std::to_string(100 + i) + ".ogg", kTagged}});
    std::atomic<bool> stop = false;
    TRunControl control;
    control.Stop = &stop;
    control.Progress = [&](const TRunProgress& at) { stop = at.Done == 10; };
    bool stopped = false;
    const auto plans = PlanRun(found, MassPlanner(), control, stopped, TPlanning::Concurrent);
    EXPECT_TRUE(stopped);
    ASSERT_EQ(plans.size(), 11u);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        EXPECT_EQ(plans[i].Path, dir.Dir() + "f" + std::to_string(100 + i) + ".ogg");
        EXPECT_EQ(plans[i].Action, TPlanAction::Store);
    }
}

// A run works on each file once: a link and a second name lead to files planned already, as the
// files the planner opens tell; a file that cannot be read is planned under each of its paths.
TEST_F(BatchRunTest, EachFileIsPlannedOnceHoweverManyPathsLeadToIt) {
    MakeFolder({{"a.ogg", kTagged}, {"b.ogg", kTagged}, {"junk.ogg", kNotVorbis}});
    fs::create_directory(dir.Path() / "list");
    fs::create_symlink(dir.Path() / "a.ogg", dir.Path() / "list" / "a.ogg");
    fs::create_hard_link(dir.Path() / "b.ogg", dir.Path() / "list" / "also b.ogg");
    fs::create_symlink(dir.Path() / "gone.ogg", dir.Path() / "list" / "gone.ogg");
    fs::create_symlink(dir.Path() / "gone.ogg", dir.Path() / "list" / "lost.ogg");
    for (const char* name : {"a.ogg", "also b.ogg", "gone.ogg", "lost.ogg"})
        found.Add(dir.Dir() + "list/", name);
    std::vector<std::string> paths;
    for (const TFilePlan& plan : Plan(MassPlanner())) paths.push_back(plan.Path);
    const std::string list = dir.Dir() + "list/";
    EXPECT_EQ(paths,
              (std::vector<std::string>{dir.Dir() + "a.ogg", dir.Dir() + "b.ogg", dir.Dir() + "junk.ogg",
                                        list + "gone.ogg", list + "lost.ogg"}));
}

TEST_F(BatchRunTest, AStopWhilePlanningKeepsThePlansMadeSoFar) {
    MakeFolder({{"a.ogg", kTagged}, {"b.ogg", kTagged}, {"c.ogg", kTagged}});
    std::atomic<bool> stop = false;
    TRunControl control;
    control.Stop = &stop;
    control.Progress = [&](const TRunProgress& at) { stop = at.Done == 1; };
    bool stopped = false;
    EXPECT_EQ(PlanRun(found, MassPlanner(), control, stopped).size(), 2u);
    EXPECT_TRUE(stopped);
}

// ---- Group commit ----

class GroupCommitTest : public BatchRunTest {
protected:
    void TearDown() override { ReplaceTesting() = {}; }
    // `count` files spread over the folder and a subfolder, each with its own comments.
    void MakeFiles(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string folder = dir.Dir() + (i % 3 ? "" : "sub/");
            const std::string name = "f" + std::to_string(i) + ".ogg";
            std::filesystem::create_directories(folder);
            test::WriteVorbisFile(folder + name, {{"ARTIST", "Old"}, {"TRACKNUMBER", std::to_string(i)}});
            found.Add(folder, name);
        }
    }
    // Runs `meddle(plans, n)` at the n-th (from 1) moment `step` of the run.
    void At(TReplaceStep step, std::function<void(const std::vector<TFilePlan>&, int)> meddle) {
        ReplaceTesting().Hook = [this, step, meddle, n = 0](TReplaceStep now) mutable {
            if (now == step) meddle(plans, ++n);
        };
    }
    std::vector<TFilePlan> plans;
};

// Large files (as files with comment headers of many megabytes are) are prepared a few at a time:
// their new files, and their headers in memory, never wait for their renames all at once. Sparse
// here, so that they are large without taking the disk.
TEST_F(GroupCommitTest, LargeFilesArePreparedAFewAtATime) {
    for (int i = 0; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i) + ".ogg";
        const fs::path path = test::WriteVorbisFile(dir.Path() / name, {{"ARTIST", "Old"}});
        fs::resize_file(path, fs::file_size(path) + (std::uintmax_t{20} << 20));
        found.Add(dir.Dir(), name);
    }
    plans = Plan(MassPlanner());
    int waiting = 0, most = 0;
    ReplaceTesting().Hook = [&](TReplaceStep step) {
        if (step == TReplaceStep::FolderOpened) most = std::max(most, ++waiting);
        if (step == TReplaceStep::Renamed) --waiting;
    };

    ApplyRun(plans, false, log, tally, nullptr);

    EXPECT_EQ(tally.Changed(), 8);
    EXPECT_LE(most, 2);
}

TEST_F(GroupCommitTest, FilesOfSeveralGroupsAndFoldersAreAllSavedAndJournaled) {
    const test::TOpenFileLimit limit(test::OpenFileLimitForGroupsOf(32));
    ASSERT_EQ(MaxGroupFiles(), 32u);
    const int count = 32 * 2 + 5;
    MakeFiles(count);
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    plans = Plan(MassPlanner());
    std::vector<std::string> afterFile;
    TRunControl control;
    control.AfterFile = [&](const TFilePlan& plan, TFileOutcome, const std::string&) { afterFile.push_back(plan.Path); };

    const TApplyOutcome outcome = ApplyRun(plans, false, log, tally, &journal, control);

    EXPECT_EQ(outcome.Done, static_cast<std::size_t>(count));
    EXPECT_EQ(tally.Changed(), count);
    ASSERT_EQ(afterFile.size(), plans.size());
    for (std::size_t i = 0; i < plans.size(); ++i) {
        EXPECT_EQ(afterFile[i], plans[i].Path);
        EXPECT_EQ(CommentsIn(plans[i].Path), WrittenComments(plans[i].Record)) << plans[i].Path;
        EXPECT_TRUE(test::TempFilesBeside(plans[i].Path).empty()) << plans[i].Path;
    }
    const TJournalRun run = OnlyRun();
    ASSERT_EQ(run.Files.size(), plans.size());
    for (const TJournalEntry& entry : run.Files) EXPECT_TRUE(entry.After.has_value()) << entry.Path;
}

// Before the first file of a group takes its place, the journal holds the old state of every
// file of the group.
TEST_F(GroupCommitTest, TheJournalHoldsTheGroupBeforeItsFirstRename) {
    MakeFiles(5);
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    plans = Plan(MassPlanner());
    std::size_t journaled = 0;
    At(TReplaceStep::TempNamed, [&](const std::vector<TFilePlan>&, int n) {
        if (n == 1) journaled = OnlyRun().Files.size();
    });
    ApplyRun(plans, false, log, tally, &journal);
    EXPECT_EQ(journaled, 5u);
    EXPECT_EQ(tally.Changed(), 5);
}

// Another program puts its own file in place of one just saved, before the save notes what it left:
// the journal names the saved file, so undo leaves the other program's file alone.
TEST_F(GroupCommitTest, AFileReplacedRightAfterItsSaveIsNotTakenForIt) {
    MakeFiles(2);
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    plans = Plan(MassPlanner());
    const std::string theirs = test::MakeVorbisFile({{"ARTIST", "Theirs"}});
    At(TReplaceStep::Renamed, [&](const std::vector<TFilePlan>& all, int n) {
        if (n != 1) return;
        const std::string swap = all[0].Path + ".swap";
        std::ofstream(swap, std::ios::binary) << theirs;
        ASSERT_EQ(::rename(swap.c_str(), all[0].Path.c_str()), 0);
    });
    ApplyRun(plans, false, log, tally, &journal);
    ReplaceTesting() = {};

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_TRUE(test::ReadAll(plans[0].Path) == theirs) << "undo rewrote the other program's file";
    EXPECT_EQ(undone.Changed(), 1);
}

// What must be on disk when: no file takes the old one's place before its new data is flushed, and
// the run does not end before the folders of its renames are flushed; on a file system flushed whole
// (the one the tests run on, when ext4, XFS or Btrfs) and on one flushed file by file (tmpfs).
class FlushOrderTest : public GroupCommitTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FlushOrderTest, NoRenameBeforeItsDataNorAnEndBeforeItsFolders) {
    const bool onTmpfs = GetParam();
    const auto mount = dir.Path() / "tmpfs";
    if (onTmpfs) {
        fs::create_directory(mount);
        if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=4m") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    struct Unmount {
        fs::path Path;
        ~Unmount() { ::umount(Path.c_str()); }
    } unmount{onTmpfs ? mount : fs::path()};
    const std::string root = onTmpfs ? mount.string() + "/" : dir.Dir();
    for (int i = 0; i < 7; ++i) {
        const std::string folder = root + (i % 2 ? "" : "sub/");
        fs::create_directories(folder);
        test::WriteVorbisFile(folder + "f" + std::to_string(i) + ".ogg", {{"ARTIST", "Old"}});
        found.Add(folder, "f" + std::to_string(i) + ".ogg");
    }
    TRunJournal journal(state.Dir(), "mass", {root});
    plans = Plan(MassPlanner());
    std::vector<TReplaceStep> steps;
    ReplaceTesting().Hook = [&steps](TReplaceStep step) { steps.push_back(step); };
    const test::TOpenFileLimit limit(test::OpenFileLimitForGroupsOf(3));
    // The run, then its undo, which puts the files back the same way.
    const auto expectGroupedSaves = [&steps](const char* what) {
        SCOPED_TRACE(what);
        const auto firstRename = std::find(steps.begin(), steps.end(), TReplaceStep::Renamed);
        EXPECT_EQ(std::count(steps.begin(), firstRename, TReplaceStep::FolderOpened), 3)
            << "the files of a group are written before the first takes its place";
        int unflushedFiles = 0, unflushedRenames = 0, renames = 0;
        for (const TReplaceStep step : steps) {
            switch (step) {
                case TReplaceStep::FolderOpened: ++unflushedFiles; break;
                case TReplaceStep::DataFlushed: --unflushedFiles; break;
                case TReplaceStep::FileSystemFlushed: unflushedFiles = unflushedRenames = 0; break;
                case TReplaceStep::Renamed:
                    EXPECT_EQ(unflushedFiles, 0) << "a rename before its data is on disk";
                    ++unflushedRenames;
                    ++renames;
                    break;
                case TReplaceStep::FolderFlushed: unflushedRenames = 0; break;
                case TReplaceStep::TempNamed:
                case TReplaceStep::Exchanging: break;
            }
        }
        EXPECT_EQ(renames, 7);
        EXPECT_EQ(unflushedRenames, 0) << "the run ended before the folders of its last renames were flushed";
        EXPECT_TRUE(steps.back() == TReplaceStep::FolderFlushed || steps.back() == TReplaceStep::FileSystemFlushed);
        steps.clear();
    };

    ApplyRun(plans, false, log, tally, &journal);
    EXPECT_EQ(tally.Changed(), 7);
    expectGroupedSaves("run");

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);
    EXPECT_EQ(undone.Changed(), 7);
    expectGroupedSaves("undo");
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FlushOrderTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FlushedFileByFile" : "FlushedWhole"; });

struct GroupFault {
    const char* What;
    bool Unnamed;  // whether the new files have no name until their rename
    std::size_t Hit;  // the file that fails
    // At the moment the third file is about to be renamed.
    std::function<void(const TFilePlan& hit)> Meddle;
    std::string Line;  // the failing file's last log line
};

void PrintTo(const GroupFault& c, std::ostream* os) { *os << c.What; }

const std::string kTheirs = "their own bytes";

// The new file about to be renamed is swapped for a link elsewhere.
void SwapTempForLink(const TFilePlan& hit) {
    const auto temps = test::TempFilesBeside(hit.Path);
    ASSERT_EQ(temps.size(), 1u);
    ASSERT_EQ(::unlink(temps[0].c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", temps[0].c_str()), 0);
}

// Another program puts a file of its own in place of one planned.
void ReplaceOldFile(const TFilePlan& hit) {
    const std::string swap = hit.Path + ".swap";
    std::ofstream(swap) << kTheirs;
    ASSERT_EQ(::rename(swap.c_str(), hit.Path.c_str()), 0);
}

const GroupFault kGroupFaults[] = {
    {"TempSwappedForALink", true, 2, SwapTempForLink,
     "     could not be written: the temporary file was replaced by another file; the file is unchanged"},
    {"NamedTempSwappedForALink", false, 2, SwapTempForLink,
     "     could not be written: the temporary file was replaced by another file; the file is unchanged"},
    {"LaterFileReplaced", true, 4, ReplaceOldFile,
     "     could not be written: the file changed while it was being saved; the file is unchanged"},
    {"NamedLaterFileReplaced", false, 4, ReplaceOldFile,
     "     could not be written: the file changed while it was being saved; the file is unchanged"},
};

class GroupFaultTest : public GroupCommitTest, public ::testing::WithParamInterface<GroupFault> {};

TEST_P(GroupFaultTest, OnlyTheFailingFileIsLeftAsItWas) {
    const GroupFault& fault = GetParam();
    MakeFiles(6);
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    plans = Plan(MassPlanner());
    Snapshot before;
    for (const TFilePlan& plan : plans) before[plan.Path] = test::ReadAll(plan.Path);
    ReplaceTesting().NoUnnamedFiles = !fault.Unnamed;
    At(TReplaceStep::TempNamed, [&](const std::vector<TFilePlan>& all, int n) {
        if (n == 3) fault.Meddle(all[fault.Hit]);
    });
    std::map<std::string, TFileOutcome> outcomes;
    std::string lastLineOfHit, whyOfHit;
    TRunControl control;
    control.AfterFile = [&](const TFilePlan& plan, TFileOutcome outcome, const std::string& why) {
        outcomes[plan.Path] = outcome;
        if (plan.Path != plans[fault.Hit].Path) return;
        lastLineOfHit = log.Lines.back();
        whyOfHit = why;
    };

    ApplyRun(plans, false, log, tally, &journal, control);

    EXPECT_EQ(lastLineOfHit, fault.Line);
    EXPECT_EQ(kLogIndent + whyOfHit, fault.Line);
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const TFilePlan& plan = plans[i];
        // No new file is left behind; the link the meddler planted is not ours to remove.
        for (const std::string& temp : test::TempFilesBeside(plan.Path)) EXPECT_TRUE(fs::is_symlink(temp)) << temp;
        if (i != fault.Hit) {
            EXPECT_EQ(outcomes[plan.Path], TFileOutcome::Written) << plan.Path;
            EXPECT_EQ(CommentsIn(plan.Path), WrittenComments(plan.Record)) << plan.Path;
            continue;
        }
        EXPECT_EQ(outcomes[plan.Path], TFileOutcome::Failed);
        const std::string now = test::ReadAll(plan.Path);
        EXPECT_TRUE(now == kTheirs || now == before.at(plan.Path)) << plan.Path;
    }
    EXPECT_EQ(tally.Failed(), 1);
    // Undo puts back the files changed and leaves the failed one alone.
    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);
    EXPECT_EQ(undone.Changed(), 5);
    EXPECT_EQ(undone.Unchanged() + undone.Failed(), 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, GroupFaultTest, ::testing::ValuesIn(kGroupFaults),
                         [](const auto& info) { return std::string(info.param.What); });

// A file system that fills up in the middle of a group, while the group's new files take room their
// old files still hold: the group so far is put in place, which frees that room, and the run goes
// on with the rest.
TEST_F(GroupCommitTest, AFileSystemFillingUpMidGroupPutsTheGroupInPlaceAndGoesOn) {
    constexpr int kFiles = 200;
    test::VorbisFileOptions options;
    options.AudioPages = 4;
    options.AudioPacketSize = 1000;
    const auto bytes = [&](int i) {
        return test::MakeVorbisFile({{"ARTIST", "Old"}, {"TITLE", "f" + std::to_string(100 + i)}}, options);
    };
    const std::size_t pages = (bytes(0).size() + 4095) / 4096;  // of the disk, each file
    const auto mount = dir.Path() / "small";
    fs::create_directory(mount);
    const std::string size = "size=" + std::to_string((kFiles + 2) * pages * 4) + "k";  // room for two more
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, size.c_str()) != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct Unmount {
        fs::path Path;
        ~Unmount() { ::umount(Path.c_str()); }
    } unmount{mount};
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(100 + i) + ".ogg";
        dir.Write("small/" + name, bytes(i));
        found.Add(mount.string() + "/", name);
    }
    plans = Plan(MassPlanner());

    ApplyRun(plans, false, log, tally, nullptr);

    EXPECT_EQ(tally.Changed(), kFiles);
    EXPECT_EQ(tally.Failed(), 0);
    for (const TFilePlan& plan : plans) {
        EXPECT_TRUE(test::TempFilesBeside(plan.Path).empty()) << plan.Path;
        EXPECT_EQ(CommentsIn(plan.Path), WrittenComments(plan.Record)) << plan.Path;
    }
}

// A batch lists each folder once for leftovers of killed saves, and still removes those of every
// file it saves, and only those.
TEST_F(GroupCommitTest, LeftoversOfTheSavedFilesAreRemoved) {
    MakeFolder({{"a.ogg", kTagged}, {"b.ogg", kTagged}, {"c.ogg", {{"TITLE", "No genre"}}}});
    const auto a = dir.Write(".a.ogg.parvex-Ab3dE9", "half a file");
    const auto b = dir.Write(".b.ogg.parvex-Zz9Yy8", "half b");
    const auto c = dir.Write(".c.ogg.parvex-Qq1Ww2", "c is not saved: no change");
    const auto notOurs = dir.Write(".a.ogg.parvex-Ab3dE9x", "the user's");
    ApplyRun(Plan(ClearPlanner()), false, log, tally, nullptr);
    EXPECT_EQ(tally.Changed(), 2);
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
    EXPECT_TRUE(fs::exists(c));
    EXPECT_TRUE(fs::exists(notOurs));
}

// ---- Undo ----

TEST_F(BatchRunTest, UndoLeavesAFileChangedSinceTheRunAsItIs) {
    MakeFolder({{"a.ogg", {{"ARTIST", "Old"}}}, {"b.ogg", {{"ARTIST", "Old"}}}});
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    ApplyRun(Plan(MassPlanner()), false, log, tally, &journal);
    test::WriteVorbisFile(dir.Path() / "a.ogg", {{"ARTIST", "Edited later"}});
    const std::string edited = test::ReadAll(dir.Path() / "a.ogg");

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(test::ReadAll(dir.Path() / "a.ogg"), edited);
    EXPECT_EQ(test::ReadAll(dir.Path() / "b.ogg"), before.at("b.ogg"));
    EXPECT_EQ(undone.Failed(), 1);
    EXPECT_EQ(undone.Changed(), 1);
    EXPECT_NE(std::find(log.Lines.begin(), log.Lines.end(), "     left alone: changed since the run"),
              log.Lines.end());
}

// The large values a plan left in the file are taken from there for the new file and the journal
// alike: undo puts every one back.
TEST_F(BatchRunTest, UndoPutsBackTheLargeCommentsAPlanLeftInTheFile) {
    const std::string lyrics(100000, 'l');
    MakeFolder({{"a.ogg", {{"COMMENT", lyrics}, {"ARTIST", "Old"}, {"LYRICS", lyrics + "2"}}}});
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    ApplyRun(Plan(MassPlanner()), false, log, tally, &journal);
    ASSERT_NE(Folder(), before);

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(Folder(), before);
}

// A run killed during a change leaves entries without their "done" line: a file that holds the
// run's comments is put back (MOOD=calm took the place of the file's "mood" and kept that name); a
// file the run never reached is not touched.
TEST_F(BatchRunTest, UndoWorksFromTheJournalOfAKilledRun) {
    MakeFolder({{"a.ogg", {{"ARTIST", "Old"}, {"mood", "sad"}}}, {"b.ogg", {{"ARTIST", "Old"}}}});
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    const auto plans = Plan(MassPlanner(TMassMode::Overwrite));
    ApplyRun({plans[0]}, false, log, tally, &journal);
    journal.BeforeChange(plans[1]);  // killed before b.ogg was written
    std::string text = test::ReadAll(OnlyRun().File);
    text.erase(text.find("done\t"), text.find('\n', text.find("done\t")) + 1 - text.find("done\t"));
    std::ofstream(OnlyRun().File, std::ios::binary | std::ios::trunc) << text;

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(undone.Changed(), 1);
    EXPECT_EQ(undone.Unchanged(), 1);
}

// An undo stopped halfway is taken up again: the files put back already are passed over, not
// counted as changed since the run.
TEST_F(BatchRunTest, AnUndoStoppedHalfwayGoesOnWhereItStopped) {
    // Comments in another order than a save writes them: a file put back holds them as they were.
    const CommentList comments = {{"MOOD", "calm"}, {"ARTIST", "Old"}};
    MakeFolder({{"a.ogg", comments}, {"b.ogg", comments}, {"c.ogg", comments}});
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    ApplyRun(Plan(MassPlanner()), false, log, tally, &journal);

    std::atomic<bool> stop{false};
    TRunControl control;
    control.Stop = &stop;
    control.Progress = [&stop](const TRunProgress& at) { stop = at.Done == 1; };  // after the second file
    TRunTally first;
    UndoRun(OnlyRun(), false, log, first, control);
    EXPECT_EQ(first.Changed(), 2);
    EXPECT_FALSE(OnlyRun().Undone);

    TRunTally second;
    UndoRun(OnlyRun(), false, log, second);
    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(second.Failed(), 0);
    EXPECT_EQ(second.Changed(), 1);
    EXPECT_EQ(second.Unchanged(), 2);
    EXPECT_TRUE(OnlyRun().Undone);
}

TEST_F(BatchRunTest, UndoDryRunChangesNothing) {
    MakeFolder({{"a.ogg", {{"TITLE", "Q"}}}, {"b.ogg", {{"TITLE", "b"}}}});
    TRunJournal journal(state.Dir(), "rename", {dir.Dir()});
    ApplyRun(Plan(RenamePlanner()), false, log, tally, &journal);
    const Snapshot after = Folder();

    TLineLog shown;
    TRunTally undone;
    UndoRun(OnlyRun(), true, shown, undone);

    EXPECT_EQ(Folder(), after);
    EXPECT_FALSE(OnlyRun().Undone);
    EXPECT_EQ(shown.Lines,
              (std::vector<std::string>{"Undo: " + dir.Dir() + "Q.ogg", "     to: " + dir.Dir() + "a.ogg"}));
}

TEST_F(BatchRunTest, JournalKeepsTheLastRunsOnly) {
    JournalRenames(kKeptRuns + 2);
    const auto runs = ListRuns(state.Dir()).Runs;
    ASSERT_EQ(runs.size(), static_cast<std::size_t>(kKeptRuns));
    EXPECT_EQ(runs.front().Number, 3);
    EXPECT_EQ(runs.back().Number, kKeptRuns + 2);
}

// A group's "done" lines follow all its "file" lines and name their file; a journal of an earlier
// version puts each unnamed "done" line right after its file.
TEST_F(BatchRunTest, JournalDoneLinesFindTheirFiles) {
    const std::string path = state.Dir() + "run-000001.journal";
    std::ofstream(path) << "parvex-journal 1\nrun\tmass\t0\t/m\n"
                        << "file\t/m/a.ogg\t\t1 1 1 1 1\nfile\t/m/b.ogg\t\t2 2 2 2 2\n"
                        << "done\t1 20 3 4 5\t/m/b.ogg\ndone\t1 10 3 4 5\t/m/a.ogg\n"
                        << "file\t/m/c.ogg\t\t3 3 3 3 3\ndone\t1 30 3 4 5\n"
                        << "file\t/m/d.ogg\t\t4 4 4 4 4\ndone\t1 40 3 4 5\t/m/elsewhere.ogg\n"
                        << "file\t/m/e.ogg\t\t5 5 5 5 5\nold\tARTIST\tBand\nundone\n";
    const auto run = ReadJournal(path);
    ASSERT_TRUE(run.has_value());
    std::vector<ino_t> after;
    for (const TJournalEntry& entry : run->Files) after.push_back(entry.After ? entry.After->Inode : 0);
    EXPECT_EQ(after, (std::vector<ino_t>{10, 20, 30, 0, 0}));
    // Nothing but a mark of undo follows the last record, which may have been cut short.
    std::vector<bool> whole;
    for (const TJournalEntry& entry : run->Files) whole.push_back(entry.Whole);
    EXPECT_EQ(whole, (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(BatchRunTest, ARunThatChangesNothingLeavesNoJournal) {
    MakeFolder({{"a.ogg", {{"TITLE", "No genre"}}}});
    TRunJournal journal(state.Dir(), "clear", {dir.Dir()});
    ApplyRun(Plan(ClearPlanner()), false, log, tally, &journal);
    EXPECT_TRUE(ListRuns(state.Dir()).Runs.empty());
    EXPECT_EQ(journal.Number(), 0);
}

// A file whose old state the journal cannot take is left as it was, and its log shows no change as
// if it were made.
TEST_F(BatchRunTest, AFileTheJournalCannotRecordLogsNoChange) {
    MakeFolder({{"a.ogg", kTagged}});
    const Snapshot before = Folder();
    const std::string notAFolder = dir.Write("not-a-folder", "").string();
    TRunJournal journal(notAFolder, "clear", {dir.Dir()});

    ApplyRun(Plan(ClearPlanner()), false, log, tally, &journal);

    EXPECT_EQ(Folder(), before);
    EXPECT_EQ(tally.Failed(), 1);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"Clear Tags: " + dir.Dir() + "a.ogg",
                                                   "     left unchanged: could not be recorded for undo: cannot "
                                                   "open the folder " + notAFolder + "/: not a directory"}));
}

// Undo of a journal cut short (after the second file's first old comment): that file is named and
// left as the run left it, the other is put back, and the run stays to be undone.
TEST_F(BatchRunTest, AFileWhoseRecordIsCutShortIsLeftAsItIs) {
    MakeFolder({{"a.ogg", kTagged}, {"b.ogg", kTagged}});
    const Snapshot before = Folder();
    TRunJournal journal(state.Dir(), "clear", {dir.Dir()});
    ApplyRun(Plan(ClearPlanner()), false, log, tally, &journal);
    const Snapshot after = Folder();
    const std::string text = test::ReadAll(OnlyRun().File);
    const std::size_t cut = text.find('\n', text.find("\nold\t", text.find("b.ogg"))) + 1;
    fs::resize_file(OnlyRun().File, cut);

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(test::ReadAll(dir.Path() / "a.ogg"), before.at("a.ogg"));
    EXPECT_EQ(test::ReadAll(dir.Path() / "b.ogg"), after.at("b.ogg"));
    EXPECT_EQ(undone.Failed(), 1);
    const std::vector<std::string> expected = {"Undo: " + dir.Dir() + "b.ogg",
                                               "     left alone: its record in the journal is incomplete"};
    EXPECT_NE(std::search(log.Lines.begin(), log.Lines.end(), expected.begin(), expected.end()), log.Lines.end());
    EXPECT_FALSE(OnlyRun().Undone);
}

// A journal that names files outside the folders of its run (edited, or planted) moves or rewrites
// none of them.
TEST_F(BatchRunTest, UndoTouchesNoFileOutsideTheFoldersOfTheRun) {
    MakeFolder({{"a.ogg", kTagged}, {"b.ogg", kTagged}});
    TRunJournal journal(state.Dir(), "clear", {dir.Dir() + "elsewhere"});
    ApplyRun(Plan(ClearPlanner()), false, log, tally, &journal);
    const Snapshot after = Folder();

    TRunTally undone;
    UndoRun(OnlyRun(), false, log, undone);

    EXPECT_EQ(Folder(), after);
    EXPECT_EQ(undone.Failed(), 2);
    EXPECT_EQ(log.Lines.back(), "     left alone: not in the folders of the run");
}

// The state folder and the journals are the user's alone whatever the umask; a folder others may
// write in is refused, for a run and for undo.
TEST_F(BatchRunTest, TheJournalIsTheUsersAloneWhateverTheUmask) {
    MakeFolder({{"a.ogg", kTagged}});
    const std::string folder = state.Dir() + "state/parvex/";
    const mode_t umask = ::umask(0);
    TRunJournal journal(folder, "clear", {dir.Dir()});
    ApplyRun(Plan(ClearPlanner()), false, log, tally, &journal);
    ::umask(umask);
    const auto runs = ListRuns(folder).Runs;
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(fs::status(state.Dir() + "state").permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(runs[0].File).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(folder, fs::perms::others_write, fs::perm_options::add);
    EXPECT_NE(ListRuns(folder).Problem.find("other users may write in the folder " + folder), std::string::npos);
    EXPECT_TRUE(ListRuns(folder).Runs.empty());
    EXPECT_FALSE(JournalProblem(folder).empty());
}

// Files named like journals that are not the user's own journals (a FIFO, a link to a device, a
// huge file, one others may write, a number far beyond the runs) are passed over: they neither
// hang the list nor steer the next run's number or the pruning of the runs kept.
TEST_F(BatchRunTest, OnlyTheUsersOwnJournalsAreReadNumberedAndPruned) {
    const TFilePlan plan = JournalRenames(3);
    const std::string first = test::ReadAll(state.Dir() + "run-000001.journal");
    ASSERT_EQ(::mkfifo((state.Dir() + "run-000100.journal").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", state.Dir() + "run-000101.journal");
    std::ofstream(state.Dir() + "run-000102.journal") << first;
    fs::resize_file(state.Dir() + "run-000102.journal", kMaxJournalBytes + 1);
    std::ofstream(state.Dir() + "run-000103.journal") << first;
    fs::permissions(state.Dir() + "run-000103.journal", fs::perms::group_write, fs::perm_options::add);
    std::ofstream(state.Dir() + "run-999999999.journal") << "not a journal";
    // Another user's journal, where the test may give one away.
    std::ofstream(state.Dir() + "run-000104.journal") << first;
    const bool foreign = ::chown((state.Dir() + "run-000104.journal").c_str(), 65534, 65534) == 0;
    if (!foreign) fs::remove(state.Dir() + "run-000104.journal");

    TRunJournal next(state.Dir(), "rename", {dir.Dir()});
    next.BeforeChange(plan);

    EXPECT_EQ(next.Number(), 4);
    const TRunList list = ListRuns(state.Dir());
    std::vector<int> numbers;
    for (const TJournalRun& run : list.Runs) numbers.push_back(run.Number);
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.PassedOver.size(), foreign ? 6u : 5u);
}

// Each picture is journaled once (the file's old comments), not a second time as written.
TEST_F(BatchRunTest, TheJournalKeepsOnlyTheOldComments) {
    const std::string cover(200'000, 'p');
    MakeFolder({{"a.ogg", {{"ARTIST", "Old"}, {"METADATA_BLOCK_PICTURE", cover}}}});
    TRunJournal journal(state.Dir(), "mass", {dir.Dir()});
    ApplyRun(Plan(MassPlanner()), false, log, tally, &journal);
    EXPECT_LT(fs::file_size(OnlyRun().File), cover.size() * 3 / 2);
}

}  // namespace
}  // namespace parvex
