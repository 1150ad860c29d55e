#pragma once
// What the five batch commands share: the folder operands and the -r / -n flags, the scan of the
// folders for "*.ogg" files, and the run over the files found, with the log lines on standard
// output, each failed file named on standard error, and a progress bar on a terminal.

#include <functional>
#include <string>
#include <vector>

#include "batch/tag_record.h"
#include "cli/cli.h"
#include "cli/options.h"

namespace parvex::cli {

struct TBatchArgs {
    std::vector<std::string> Folders;  // the operands
    bool Recurse = false;
    bool DryRun = false;
};

// Adds -r/--recurse and -n/--dry-run.
void AddBatchOptions(TOptionParser& parser, TBatchArgs& args);

// Help lines of the flags above, spliced into each command's help text.
#define PARVEX_CLI_BATCH_OPTIONS_HELP                                     \
    "  -r, --recurse         also work on the files of every subfolder\n" \
    "  -n, --dry-run         show what would change in each file and touch nothing\n"

// Works on one found file: `dir` is its folder ending in "/", `name` the file name. Writes its log
// lines to `log`. An error it raises (EFOpenError above all) marks the file as failed and the run
// goes on.
using TFileJob = std::function<TFileOutcome(const std::string& dir, const std::string& name, TLogSink& log)>;

// Checks the folders, scans them (into subfolders with Recurse) and runs `job` on every file found,
// in the order found. Returns kExitUsage for a folder that is missing or cannot be scanned,
// kExitFileFailed when a file could not be read or written, otherwise kExitOk. A failed file is
// named on io.Err with the reason (its last log line, or the open error) and the run goes on.
int RunBatch(const std::string& command, const TBatchArgs& args, const TFileJob& job, TStreams& io);

}  // namespace parvex::cli
