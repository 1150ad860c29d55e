#pragma once
// What the five batch commands share: the folder operands and the -r / -n flags, the scan of the
// folders for "*.ogg" files, and the run over the files found, with the log lines on standard
// output, each failed file or folder named on standard error, and a progress bar on a terminal.

#include <functional>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/file_plan.h"
#include "batch/tag_record.h"
#include "cli/cli.h"
#include "cli/options.h"
#include "scan/found_files.h"

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

// Plans the work on one found file (see TPlanner). The plans of every file are made first, then
// carried out, or in a dry run only shown; either way their lines are the log.
using TPlanJob = TPlanner;

// The lines a run logs after its last file (before the summary), from the files it found.
using TClosingLines = std::function<std::vector<std::string>(const TFoundFileList& found)>;

// Checks the paths, scans the folders among them (into subfolders with Recurse) and runs `job` on
// every file given or found, in the order of the paths, each file once however many paths lead to
// it. The log goes to io.Out and ends with the run's summary line. Returns kExitUsage for a path
// that is missing or a folder that cannot be scanned, kExitFileFailed when a folder could not be read or a file could not be read or written, otherwise
// kExitOk. Each failure is also named on io.Err with its reason, and the run goes on. A real run
// records the old state of each file it changes in a journal (JournalFolder), for undo; where the
// journal cannot be written, the run does not start (kExitFileFailed, with the reason and a pointer
// to --no-undo) unless NoUndo. The files are planned as `planning` allows (see TPlanning).
int RunBatch(const std::string& command, const TBatchArgs& args, const TPlanJob& job, TStreams& io,
             const TClosingLines& closing = {}, TPlanning planning = TPlanning::Concurrent);

}  // namespace parvex::cli
