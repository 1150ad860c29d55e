#include <algorithm>
#include <optional>
#include <ostream>

#include "batch/log_sink.h"
#include "batch/undo_run.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "cli/save_signals.h"
#include "text/text_utils.h"

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

// Prints each line, and keeps the last line of the current file: the reason when it fails.
class TUndoLog : public TLogSink {
public:
    explicit TUndoLog(TStreams& io) : io_(io) {}
    void AddLine(const std::string& line) override {
        io_.Out << EscapedControls(line) << '\n';
        lastLine_ = line;
    }
    std::string LastLine() const { return lastLine_.substr(std::min(lastLine_.find_first_not_of(' '), lastLine_.size())); }

private:
    TStreams& io_;
    std::string lastLine_;
};

void ReportError(TStreams& io, const std::string& message) {
    io.Out.flush();  // keeps the log and the errors in order where both go to one file
    io.Err << "parvex-cli: " << EscapedControls(message) << '\n';
}

const TJournalRun* ChosenRun(const std::vector<TJournalRun>& runs, const std::vector<std::string>& operands,
                             std::string& error) {
    if (operands.empty()) {
        const auto last =
            std::find_if(runs.rbegin(), runs.rend(), [](const TJournalRun& r) { return !r.Undone; });
        if (last == runs.rend()) error = "no run to undo";
        return last == runs.rend() ? nullptr : &*last;
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
    const TRunList list = ListRuns(JournalFolder());
    if (!list.Problem.empty()) {
        ReportError(io, "undo: " + list.Problem);
        return kExitFileFailed;
    }
    for (const std::string& file : list.PassedOver) ReportError(io, "undo: passed over " + file);
    if (args.List) {
        for (const TJournalRun& run : list.Runs) io.Out << RunDescription(run) << '\n';
        return kExitOk;
    }
    std::string error;
    const TJournalRun* chosen = ChosenRun(list.Runs, args.Operands, error);
    if (!chosen) return UsageError(io, "undo", error);
    const std::optional<TJournalRun> run = ReadJournal(chosen->File, &error);
    if (!run) {
        ReportError(io, "undo: cannot read " + chosen->File + ": " + error);
        return kExitFileFailed;
    }
    TUndoLog log(io);
    log.AddLine("Undoing " + RunDescription(*run));
    TRunTally tally;
    const TSignalStop signalStop;
    TRunControl control;
    control.Stop = &TSignalStop::Asked();
    control.AfterFile = [&](const TFilePlan& file, TFileOutcome outcome) {
        if (outcome == TFileOutcome::Failed) ReportError(io, file.Path + ": " + log.LastLine());
    };
    UndoRun(*run, args.DryRun, log, tally, control);
    log.AddLine(tally.SummaryLine());
    io.Out.flush();
    return tally.AnyFailed() ? kExitFileFailed : kExitOk;
}

}  // namespace parvex::cli
