#pragma once
// The one way a batch run or an undo is carried out, for parvex-cli and the window alike: the paths
// checked, the folders scanned for Ogg files, every file planned, then the plans applied a group at a
// time with each file's old state journaled for undo, the outcomes counted and the summary logged
// last. A front end only starts it and shows what it reports through a TRunSink; between the plans
// and their application it may show them (a preview) or ask whether to go on.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/log_sink.h"
#include "batch/run_journal.h"
#include "batch/run_tally.h"
#include "scan/date_time.h"
#include "scan/found_files.h"

namespace parvex {

// The steps a run reports its progress under.
enum class TRunStep {
    Scanning,  // Done: the files found so far; Total unknown (0)
    Reading,   // each file's plan is taken
    Writing,   // the plans are carried out
    Undoing,   // an undo puts the files back
};

// Where a run reports. The log lines come through AddLine; every other report may be passed over.
// All are made on the thread that carries out the run.
class TRunSink : public TLogSink {
public:
    // `stop`, when given, ends the run between two files once set, from any thread.
    explicit TRunSink(const std::atomic<bool>* stop = nullptr) : stop_(stop) {}

    const std::atomic<bool>* Stop() const { return stop_; }
    bool StopAsked() const { return stop_ && stop_->load(); }

    // Before each file of a step; a sink may hold the run here (no file begins meanwhile).
    virtual void Progress(TRunStep /*step*/, const TRunProgress& /*at*/) {}
    // Once a file is done and logged: its outcome and, for a failed file, why ("left alone: changed
    // since the run"). The plan's Path names the file.
    virtual void FileDone(const TFilePlan& /*plan*/, TFileOutcome /*outcome*/, const std::string& /*why*/) {}
    // A folder the scan could not read, after its log line ("Cannot read folder ...: reason").
    virtual void FolderUnreadable(const std::string& /*line*/) {}

private:
    const std::atomic<bool>* stop_;
};

// What a batch operation contributes to a run.
struct TRunOrder {
    TPlanner Planner{};  // plans each file found
    TPlanning Planning = TPlanning::Concurrent;
    // The lines logged after the last file (before the summary) of a run that was not stopped, from
    // the files found; may be empty.
    std::function<std::vector<std::string>(const TFoundFileList& found)> Closing{};
};

// The files a run works on.
struct TRunPaths {
    // Folders, searched for "*.ogg" files, and files, worked on as they are; each file once however
    // many paths lead to it.
    std::vector<std::string> Paths;
    bool Recurse = false;  // into every subfolder of the folders
    TDateTime Before = 0;  // only files created and modified before this moment; 0: every file
    // The run's folders as its journal names them (undo touches nothing outside them); empty: the
    // folders of Paths.
    std::vector<std::string> Where{};
};

// Why the paths of a run cannot be worked on at all, or an empty text: none given, a path that is
// missing or neither a file nor a folder, or a folder the scan cannot take (ScanFolderProblem). A
// folder that exists but cannot be read is not refused here: the scan logs it like an unreadable
// subfolder.
std::string RunPathsProblem(const std::vector<std::string>& paths);

// Why `folder` cannot be scanned as it stands, or an empty text: the scan takes ";" as a list
// separator and "*" and "?" as wildcards, so such a name would reach other files than the folder's.
std::string ScanFolderProblem(const std::string& folder);

// One batch run: Plan, then Apply. The front end calls RunPathsProblem first, and decides about the
// journal (JournalProblem of JournalFolder()) before Plan or between the two.
class TBatchRun {
public:
    // `operation` is the word the journal keeps ("mass", "from-list", "edit"). `sink` must outlive
    // the run.
    TBatchRun(std::string operation, TRunOrder order, TRunPaths paths, TRunSink& sink);

    // Scans the paths and plans every file found (reporting Scanning, then Reading). A folder that
    // cannot be read is logged and counted. A stop ends the planning early. Reads, never writes.
    const std::vector<TFilePlan>& Plan();
    // Carries out the plans (a dry run only logs them), keeping the journal in JournalFolder() when
    // `journaled` (reporting Writing and each file's outcome), then logs the closing lines and the
    // summary. After a stop asked while planning, no file is changed: the log says so.
    void Apply(bool dryRun, bool journaled);

    // The plans Plan made.
    const std::vector<TFilePlan>& Plans() const { return plans_; }
    const TRunTally& Tally() const { return tally_; }

private:
    std::string operation_;
    TRunOrder order_;
    TRunPaths paths_;
    TRunSink& sink_;
    TFoundFileList found_;
    std::vector<TFilePlan> plans_;
    TRunTally tally_;
    bool planStopped_ = false;
};

// Undo of `run` (see UndoRun): logs "Undoing " + its description, puts its files back (reporting
// Reading, then Undoing, and each file's outcome), then logs the summary. A dry run only logs.
// Returns what was counted.
TRunTally UndoBatchRun(const TJournalRun& run, bool dryRun, TRunSink& sink);

}  // namespace parvex
