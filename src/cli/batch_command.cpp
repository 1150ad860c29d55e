#include "cli/batch_command.h"

#include <ostream>

#include "batch/run_journal.h"
#include "cli/progress.h"
#include "text/text_utils.h"

namespace parvex::cli {

void AddBatchOptions(TOptionParser& parser, TBatchArgs& args) {
    parser.Flag("recurse", 'r', [&args] { args.Recurse = true; });
    parser.Flag("dry-run", 'n', [&args] { args.DryRun = true; });
    parser.Flag("no-undo", 0, [&args] { args.NoUndo = true; });
}

int RunBatchCommand(const std::string& command, const TBatchArgs& args, const TRunOrder& order,
                    TStreams& io) {
    if (const std::string problem = RunPathsProblem(args.Paths); !problem.empty())
        return UsageError(io, command, problem);
    const bool journaled = !args.DryRun && !args.NoUndo;
    if (const std::string problem = journaled ? JournalProblem(JournalFolder()) : ""; !problem.empty()) {
        io.Err << "parvex-cli: " << command << ": " << EscapedControls(problem)
               << "\nparvex-cli: no file was changed; with --no-undo the run changes the files without a way "
                  "back\n";
        return kExitFileFailed;
    }
    TPrintedRun shown(io);
    TBatchRun run(command, order, {args.Paths, args.Recurse}, shown);
    run.Plan();
    run.Apply(args.DryRun, journaled);
    shown.Finish();
    return run.Tally().AnyFailed() ? kExitFileFailed : kExitOk;
}

}  // namespace parvex::cli
