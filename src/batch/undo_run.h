#pragma once
// Undo of a batch run from its journal: each file the run changed gets its old comments and its old
// name back, through the same safe save and the same no-clobber rename as the run. Only Ogg files
// inside the run's folders, as the run left them, are touched; a file that was changed again since
// the run, or whose record in the journal is not whole, is left as it is.

#include "batch/batch_run.h"
#include "batch/run_journal.h"

namespace parvex {

// Puts the files of `run` back, the last changed first, so that names a rename freed for another
// file are free again when that file moves back. Each file is read first (`reading` is told the
// progress), then the files are put back as a run changes its files (ApplyRun: a group at a time,
// each file checked to be as it was read). Each file logs "Undo: " + the path it has now, then
// "     to: " + its old path, or its comments that change back (as ChangeLines), or why it is left
// alone: "     skipped: as it was before the run" (never reached by the run, or put back already, by
// an undo that was stopped), or a failure: "     left alone: changed since the run", "... its
// record in the journal is incomplete", "... not in the folders of the run". A file is taken as the
// run left it when its identity is the one noted after the change, or when it holds exactly the
// comments the run left in it. A dry run only logs. Outcomes are counted in `tally` and given to
// control.AfterFile with a plan whose Path is where the run left the file; a stop asked ends the
// undo between files, and the next undo of the run goes on where it stopped. After a real undo that
// got through every file without a failure the journal is marked undone. Never raises.
void UndoRun(const TJournalRun& run, bool dryRun, TLogSink& log, TRunTally& tally,
             const TRunControl& control = {}, const std::function<void(const TRunProgress&)>& reading = {});

// The last of `runs` (oldest first) that is not undone yet; null when there is none.
const TJournalRun* LastRunNotUndone(const std::vector<TJournalRun>& runs);

// "Run 7: Mass tag of /music/ on 2026-12-08 07:40, 12 files" (with ", undone" once undone): the
// files the run changed.
std::string RunDescription(const TJournalRun& run);

}  // namespace parvex
