#pragma once
// Undo of a batch run from its journal: each file the run changed gets its old comments and its old
// name back, through the same safe save and the same no-clobber rename as the run. A file that was
// changed again since the run is left as it is.

#include "batch/batch_run.h"
#include "batch/run_journal.h"

namespace parvex {

// Puts the files of `run` back, the last changed first, so that names a rename freed for another
// file are free again when that file moves back. Each file logs "Undo: " + the path it has now,
// then "     to: " + its old path, or its comments that change back (as ChangeLines), or why it is
// left alone: "     skipped: as it was before the run" (never reached by the run, or put back
// already, by an undo that was stopped), "     left alone: changed since the run" (a failure). A
// dry run only logs. Outcomes are counted in `tally`; a stop asked ends the undo between files, and
// the next undo of the run goes on where it stopped. After a real undo that got through every file
// the journal is marked undone. Never raises.
void UndoRun(const TJournalRun& run, bool dryRun, TLogSink& log, TRunTally& tally,
             const TRunControl& control = {});

// "Run 7: Mass tag of /music/ on 2026-12-08 07:40, 12 files" (with ", undone" once undone).
std::string RunDescription(const TJournalRun& run);

}  // namespace parvex
