#include <optional>
#include <ostream>

#include "batch/run_door.h"
#include "batch/undo_run.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "cli/progress.h"

namespace parvex::cli {

const char kUndoHelp[] =
    "Usage: parvex-cli undo [OPTION]... [RUN]\n"
    "Puts back every file a batch run changed: its old comments and its old name. Without RUN, the\n"
    "last run that was not undone yet. The journals of the last 20 runs are kept in\n"
    "$XDG_STATE_HOME/parvex/ (by default ~/.local/state/parvex/).\n\n"
    "  --list                list the kept runs, the last one last\n"
    "  -n, --dry-run         show what undo would do and touch nothing\n"
    "  -h, --help            show this help\n\n"
    "Each file gets the log line \"Undo: PATH\" on standard output, followed by its old name or the\n"
    "comments that change back; the undo ends with a summary line. A file that was changed again\n"
    "since the run, or whose record in the journal is incomplete, is left as it is and named on\n"
    "standard error; the run then stays to be undone.\n"
    "Exit status: 0 when every file was put back, 1 when some file was left as it is or could not\n"
    "be written, or the journal could not be read, 2 for bad usage or a run that is not kept.\n\n"
    "Example: parvex-cli undo --list; parvex-cli undo 12 --dry-run\n";

namespace {

struct TUndoArgs {
    bool List = false;
    bool DryRun = false;
    std::vector<std::string> Operands;
};

const TJournalRun* ChosenRun(const std::vector<TJournalRun>& runs, const std::vector<std::string>& operands,
                             std::string& error) {
    if (operands.empty()) {
        const TJournalRun* last = LastRunNotUndone(runs);
        if (!last) error = "no run to undo";
        return last;
    }
    const std::string& wanted = operands[0];
    for (const TJournalRun& run : runs)
        if (std::to_string(run.Number) == wanted) return &run;
    error = "no run " + wanted + " is kept; 'parvex-cli undo --list' lists them";
    return nullptr;
}

}  // namespace

int RunUndo(const std::vector<std::string>& argv, TStreams& io) {
    TUndoArgs args;
    TOptionParser parser;
    parser.Flag("list", 0, [&args] { args.List = true; });
    parser.Flag("dry-run", 'n', [&args] { args.DryRun = true; });
    if (const std::string error = parser.Parse(argv, args.Operands); !error.empty())
        return UsageError(io, "undo", error);
    if (args.Operands.size() > 1) return UsageError(io, "undo", "give one run number");
    TProgressBar progress(io.Err, false);  // only names what went wrong before the undo
    const TRunList list = ListRuns(JournalFolder());
    if (!list.Problem.empty()) {
        ReportFailure(io, progress, "undo: " + list.Problem);
        return kExitFileFailed;
    }
    for (const std::string& file : list.PassedOver) ReportFailure(io, progress, "undo: passed over " + file);
    if (args.List) {
        for (const TJournalRun& run : list.Runs) io.Out << RunDescription(run) << '\n';
        return kExitOk;
    }
    std::string error;
    const TJournalRun* chosen = ChosenRun(list.Runs, args.Operands, error);
    if (!chosen) return UsageError(io, "undo", error);
    const std::optional<TJournalRun> run = ReadJournal(chosen->File, &error);
    if (!run) {
        ReportFailure(io, progress, "undo: cannot read " + chosen->File + ": " + error);
        return kExitFileFailed;
    }
    TPrintedRun shown(io);
    const TRunTally tally = UndoBatchRun(*run, args.DryRun, shown);
    shown.Finish();
    return tally.AnyFailed() ? kExitFileFailed : kExitOk;
}

}  // namespace parvex::cli
