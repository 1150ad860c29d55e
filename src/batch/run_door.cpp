#include "batch/run_door.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "batch/undo_run.h"
#include "ogg/ogg_codec.h"
#include "scan/find_file.h"
#include "scan/given_paths.h"

namespace parvex {

namespace {

// How PlanRun, ApplyRun and UndoRun report to the sink under `step`.
TRunControl ControlOf(TRunSink& sink, TRunStep step) {
    TRunControl control;
    control.Stop = sink.Stop();
    control.Progress = [&sink, step](const TRunProgress& at) { sink.Progress(step, at); };
    control.AfterFile = [&sink](const TFilePlan& plan, TFileOutcome outcome, const std::string& why) {
        sink.FileDone(plan, outcome, why);
    };
    return control;
}

std::string PathProblem(const std::string& path) {
    struct stat info {};
    const bool found = ::stat(path.c_str(), &info) == 0;
    const int error = found ? 0 : errno;
    if (found && S_ISREG(info.st_mode)) return {};
    if (std::string problem = ScanFolderProblem(path); !problem.empty()) return problem;
    if (!found) return "cannot access '" + path + "': " + std::strerror(error);
    if (!S_ISDIR(info.st_mode)) return "'" + path + "' is neither a file nor a folder";
    return {};
}

}  // namespace

std::string ScanFolderProblem(const std::string& folder) {
    if (folder.find_first_of(";*?") == std::string::npos) return {};
    return "cannot scan '" + folder + "': folder names holding ';', '*' or '?' are not supported";
}

std::string RunPathsProblem(const std::vector<std::string>& paths) {
    if (paths.empty()) return "no file or folder given";
    for (const std::string& path : paths)
        if (std::string problem = PathProblem(path); !problem.empty()) return problem;
    return {};
}

TBatchRun::TBatchRun(std::string operation, TRunOrder order, TRunPaths paths, TRunSink& sink)
    : operation_(std::move(operation)), order_(std::move(order)), paths_(std::move(paths)), sink_(sink) {}

const std::vector<TFilePlan>& TBatchRun::Plan() {
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = paths_.Recurse;
    finder.Details = false;  // a run takes each file's name, nothing more
    finder.ModifiedBefore = paths_.Before;
    finder.CreatedBefore = paths_.Before;
    finder.OnFound = [this](TFindFile&, const std::string& folder, const DirEntry& entry) {
        found_.Add(folder, entry.Name);
        sink_.Progress(TRunStep::Scanning, {found_.Count(), 0, {}});
    };
    finder.OnFolderError = [this](TFindFile&, const std::string& folder, const std::string& reason) {
        const std::string line = UnreadableFolderLine(folder, reason);
        sink_.AddLine(line);
        sink_.FolderUnreadable(line);
        tally_.CountUnreadableFolder();
    };
    FindGivenFiles(finder, paths_.Paths, found_);
    plans_ =
        PlanRun(found_, order_.Planner, ControlOf(sink_, TRunStep::Reading), planStopped_, order_.Planning);
    return plans_;
}

void TBatchRun::Apply(bool dryRun, bool journaled) {
    if (planStopped_ || sink_.StopAsked()) {
        sink_.AddLine(StoppedLine(0, found_.Count()));
    } else {
        TRunJournal journal(JournalFolder(), operation_,
                            paths_.Where.empty() ? FoldersOfGivenPaths(paths_.Paths) : paths_.Where);
        ApplyRun(plans_, dryRun, sink_, tally_, journaled && !dryRun ? &journal : nullptr,
                 ControlOf(sink_, TRunStep::Writing));
        // Lines about the run as a whole would read as its result after a stop.
        if (order_.Closing && !sink_.StopAsked())
            for (const std::string& line : order_.Closing(found_)) sink_.AddLine(line);
    }
    sink_.AddLine(tally_.SummaryLine());
}

TRunTally UndoBatchRun(const TJournalRun& run, bool dryRun, TRunSink& sink) {
    sink.AddLine("Undoing " + RunDescription(run));
    TRunTally tally;
    UndoRun(run, dryRun, sink, tally, ControlOf(sink, TRunStep::Undoing),
            ControlOf(sink, TRunStep::Reading).Progress);
    sink.AddLine(tally.SummaryLine());
    return tally;
}

}  // namespace parvex
