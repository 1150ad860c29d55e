#include "batch/batch_run.h"

#include "batch/log_sink.h"
#include "batch/ordered_work.h"
#include "ogg/ogg_vorbis.h"
#include "scan/found_files.h"

namespace parvex {

namespace {

void Report(const TRunControl& control, std::size_t done, std::size_t total, const std::string& current) {
    if (control.Progress) control.Progress({done, total, current});
}

}  // namespace

// Each worker reads with its own file object and record; the plans are taken in the order found.
std::vector<TFilePlan> PlanRun(const TFoundFileList& found, const TPlanner& planner,
                               const TRunControl& control, bool& stopped, TPlanning planning) {
    struct TWorkerState {
        TOggVorbis File;
        tagrecord Record;
    };
    const std::size_t count = found.Count();
    const std::size_t workers = planning == TPlanning::Concurrent ? WorkerCount(count) : 1;
    std::vector<TWorkerState> states(workers);
    std::vector<TFilePlan> plans(count);
    std::size_t taken = 0;
    {
        TOrderedWork work(count, workers, [&](std::size_t index, std::size_t worker) {
            const auto [dir, name] = TFoundFileList::Split(found[index]);
            plans[index] = planner(dir, name, states[worker].File, states[worker].Record);
        });
        stopped = false;
        for (; taken < count; ++taken) {
            if (control.StopAsked()) {
                stopped = true;
                break;
            }
            const auto [dir, name] = TFoundFileList::Split(found[taken]);
            Report(control, taken, count, dir + name);
            work.Await(taken);
        }
    }
    plans.resize(taken);
    return plans;
}

TApplyOutcome ApplyRun(const std::vector<TFilePlan>& plans, bool dryRun, TLogSink& log, TRunTally& tally,
                       TRunJournal* journal, const TRunControl& control) {
    TOggVorbis file;
    TApplyOutcome outcome;
    for (const TFilePlan& plan : plans) {
        if (control.StopAsked()) {
            outcome.Stopped = true;
            log.AddLine(StoppedLine(outcome.Done, plans.size()));
            break;
        }
        Report(control, outcome.Done, plans.size(), plan.Path);
        const TFileOutcome result = dryRun ? ShowPlan(plan, log) : CarryOutPlan(plan, file, log, journal);
        tally.Count(result);
        ++outcome.Done;
        if (control.AfterFile) control.AfterFile(plan, result);
    }
    Report(control, outcome.Done, plans.size(), {});
    return outcome;
}

std::string StoppedLine(std::size_t done, std::size_t total) {
    return "Stopped by the user after " + std::to_string(done) + " of " + std::to_string(total) +
           " files; the other files are unchanged.";
}

}  // namespace parvex
