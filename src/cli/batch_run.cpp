#include "cli/batch_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "batch/batch_run.h"
#include "batch/log_sink.h"
#include "batch/run_journal.h"
#include "batch/run_tally.h"
#include "cli/progress.h"
#include "cli/save_signals.h"
#include "ogg/ogg_vorbis.h"
#include "scan/find_file.h"
#include "scan/given_paths.h"
#include "text/text_utils.h"

namespace parvex::cli {

void AddBatchOptions(TOptionParser& parser, TBatchArgs& args) {
    parser.Flag("recurse", 'r', [&args] { args.Recurse = true; });
    parser.Flag("dry-run", 'n', [&args] { args.DryRun = true; });
    parser.Flag("no-undo", 0, [&args] { args.NoUndo = true; });
}

namespace {

// Why a path named on the command line cannot be worked on at all (bad usage), or an empty text. A
// folder that exists but cannot be read is reported by the scan, like an unreadable subfolder.
std::string PathProblem(const std::string& path) {
    struct stat info {};
    const bool found = stat(path.c_str(), &info) == 0;
    if (found && S_ISREG(info.st_mode)) return {};
    // The scan takes ";" as a list separator and refuses wildcards: such a name would reach other
    // folders than the one given.
    if (path.find_first_of(";*?") != std::string::npos)
        return "cannot scan '" + path + "': folder names holding ';', '*' or '?' are not supported";
    if (!found) return "cannot access '" + path + "': " + std::strerror(errno);
    if (!S_ISDIR(info.st_mode)) return "'" + path + "' is neither a file nor a folder";
    return {};
}

// The files given and those of the scan of every folder given, each once, in the order found. A folder that cannot
// be read gets a log line, is named on standard error and counts in `tally`.
void FindFiles(const TBatchArgs& args, TFoundFileList& found, TStreamLog& log, TRunTally& tally,
                 TStreams& io, TProgressBar& progress) {
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = args.Recurse;
    finder.Details = false;  // a run takes each file's name, nothing more
    // No time limits: the whole list is taken before any file is written, and a file dated in the
    // future (a skewed clock, an unpacked archive) is as much the user's as any other.
    finder.OnFound = [&](TFindFile&, const std::string& folder, const DirEntry& entry) {
        found.Add(folder, entry.Name);
        progress.Scanning(found.Count());
    };
    finder.OnFolderError = [&](TFindFile&, const std::string& folder, const std::string& reason) {
        const std::string line = UnreadableFolderLine(folder, reason);
        log.AddLine(line);
        ReportFailure(io, progress, line);
        tally.CountUnreadableFolder();
    };
    FindGivenFiles(finder, args.Paths, found);
}

}  // namespace

int RunBatch(const std::string& command, const TBatchArgs& args, const TPlanJob& job, TStreams& io,
             const TClosingLines& closing, TPlanning planning) {
    if (args.Paths.empty()) return UsageError(io, command, "no file or folder given");
    for (const std::string& path : args.Paths)
        if (const std::string problem = PathProblem(path); !problem.empty())
            return UsageError(io, command, problem);
    const bool journaled = !args.DryRun && !args.NoUndo;
    if (const std::string problem = journaled ? JournalProblem(JournalFolder()) : ""; !problem.empty()) {
        io.Err << "parvex-cli: " << command << ": " << EscapedControls(problem)
               << "\nparvex-cli: no file was changed; with --no-undo the run changes the files without a way "
                  "back\n";
        return kExitFileFailed;
    }

    const TSignalStop signalStop;
    TProgressBar progress(io.Err, io.ErrIsTerminal, io.Columns);
    TStreamLog log(io, progress);
    TRunTally tally;
    TFoundFileList found;
    FindFiles(args, found, log, tally, io, progress);

    TRunControl control;
    control.Stop = &TSignalStop::Asked();
    control.Progress = [&progress](const TRunProgress& at) { progress.Working(at.Done, at.Total); };
    bool stopped = false;
    const std::vector<TFilePlan> plans = PlanRun(found, job, control, stopped, planning);
    control.AfterFile = [&](const TFilePlan& plan, TFileOutcome outcome, const std::string& why) {
        if (outcome == TFileOutcome::Failed) ReportFailure(io, progress, EscapedName(plan.Path) + ": " + why);
    };
    TRunJournal journal(JournalFolder(), command, FoldersOfGivenPaths(args.Paths));
    ApplyRun(plans, args.DryRun, log, tally, journaled ? &journal : nullptr, control);
    if (closing)
        for (const std::string& line : closing(found)) log.AddLine(line);
    log.AddLine(tally.SummaryLine());
    progress.Hide();
    io.Out.flush();
    return tally.AnyFailed() ? kExitFileFailed : kExitOk;
}

}  // namespace parvex::cli
