#pragma once
// What the five batch commands share: the folder and file operands and the -r / -n / --no-undo
// flags, and the run of the command's operation through the batch run's door, printed (TPrintedRun).

#include <string>
#include <vector>

#include "batch/run_door.h"
#include "cli/cli.h"
#include "cli/options.h"

namespace parvex::cli {

struct TBatchArgs {
    std::vector<std::string> Paths;  // the operands: folders and files
    bool Recurse = false;
    bool DryRun = false;
    bool NoUndo = false;  // change the files without a journal
};

// Adds -r/--recurse, -n/--dry-run and --no-undo.
void AddBatchOptions(TOptionParser& parser, TBatchArgs& args);

// Help lines of the flags above, spliced into each command's help text.
#define PARVEX_CLI_BATCH_OPTIONS_HELP                                     \
    "  -r, --recurse         also work on the files of every subfolder\n" \
    "  -n, --dry-run         show what would change in each file and touch nothing\n"  \
    "      --no-undo         change the files without keeping the journal that undo needs\n"

// Runs `order` over the files given and those found in the folders given (into subfolders with
// Recurse), in the order of the paths; every file is planned first, then the plans are carried out,
// or in a dry run only shown; either way their lines are the log, which ends with the run's summary
// line. Returns kExitUsage for a path that is missing or a folder that cannot be scanned,
// kExitFileFailed when a folder could not be read or a file could not be read or written, otherwise
// kExitOk. Each failure is also named on io.Err with its reason, and the run goes on. A real run
// records the old state of each file it changes in a journal (JournalFolder), for undo; where the
// journal cannot be written, the run does not start (kExitFileFailed, with the reason and a pointer
// to --no-undo) unless NoUndo.
int RunBatchCommand(const std::string& command, const TBatchArgs& args, const TRunOrder& order, TStreams& io);

}  // namespace parvex::cli
