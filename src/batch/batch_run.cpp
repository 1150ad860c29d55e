#include "batch/batch_run.h"

#include "batch/log_sink.h"
#include "ogg/ogg_vorbis.h"
#include "scan/found_files.h"

namespace parvex {

namespace {

void Report(const TRunControl& control, std::size_t done, std::size_t total, const std::string& current) {
    if (control.Progress) control.Progress({done, total, current});
}

}  // namespace

std::vector<TFilePlan> PlanRun(const TFoundFileList& found, const TPlanner& planner,
                               const TRunControl& control, bool& stopped) {
    TOggVorbis file;
    tagrecord record;
    std::vector<TFilePlan> plans;
    plans.reserve(found.Count());
    stopped = false;
    for (const std::string& entry : found) {
        if (control.StopAsked()) {
            stopped = true;
            break;
        }
        const auto [dir, name] = TFoundFileList::Split(entry);
        Report(control, plans.size(), found.Count(), dir + name);
        plans.push_back(planner(dir, name, file, record));
    }
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
