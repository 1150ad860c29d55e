#pragma once
// One file's plan carried out as a batch run carries out its plans (ApplyRun: the grouped save, the
// check that the file is as planned), without a journal: for tests of what an operation's plan
// leaves in a file and in the log.

#include "batch/batch_run.h"
#include "batch/log_sink.h"
#include "batch/run_tally.h"

namespace parvex::test {

// Logs the plan's lines into `log`, carries it out and returns its outcome.
inline TFileOutcome ApplyPlan(const TFilePlan& plan, TLogSink& log) {
    TFileOutcome outcome = TFileOutcome::Skipped;
    TRunControl control;
    control.AfterFile = [&outcome](const TFilePlan&, TFileOutcome result, const std::string&) {
        outcome = result;
    };
    TRunTally tally;
    ApplyRun({plan}, false, log, tally, nullptr, control);
    return outcome;
}

}  // namespace parvex::test
