#include "batch/batch_run.h"

#include <algorithm>
#include <set>
#include <utility>

#include "batch/log_sink.h"
#include "batch/ordered_work.h"
#include "batch/run_journal.h"
#include "batch/save_group.h"
#include "ogg/ogg_vorbis.h"
#include "scan/found_files.h"

namespace parvex {

namespace {

// The journal's last "done" lines; undo does without them, so a failure is passed over.
void FlushLastNotes(TRunJournal* journal) {
    if (!journal) return;
    try {
        journal->Flush();
    } catch (const std::exception&) {
    }
}

void Report(const TRunControl& control, std::size_t done, std::size_t total, const std::string& current) {
    if (control.Progress) control.Progress({done, total, current});
}

// How many plans from `first` on are prepared together: up to `room`, while the files to store come
// to no more than kGroupBytes (at least one plan). A file's preparation holds its headers in memory
// a few times over, and its size bounds them: files with huge comment headers are so prepared one
// or a few at a time, never a group of a thousand at once.
std::size_t PreparedTogether(const std::vector<TFilePlan>& plans, std::size_t first, std::size_t room) {
    int64_t bytes = 0;
    std::size_t count = 0;
    for (; count < room && first + count < plans.size(); ++count) {
        const TFilePlan& plan = plans[first + count];
        if (plan.Action == TPlanAction::Store) bytes += plan.Planned.Size;
        if (count > 0 && bytes > kGroupBytes) break;
    }
    return count;
}

// Drops each plan whose file (device and inode, as read through the file it opened) an earlier plan
// already has: a link or a second name leads to a file the run works on once. A plan that read no
// file (identity left zero) is kept. A folder listing's inode numbers cannot tell this: network
// and FUSE file systems give unknown or shared ones there.
void DropSecondPaths(std::vector<TFilePlan>& plans) {
    std::set<std::pair<dev_t, ino_t>> seen;
    std::erase_if(plans, [&seen](const TFilePlan& plan) {
        const FileIdentity& id = plan.Planned;
        return (id.Device != 0 || id.Inode != 0) && !seen.insert({id.Device, id.Inode}).second;
    });
}

}  // namespace

// Each worker reads with its own file object and record; the plans are taken in order.
std::vector<TFilePlan> PlanEach(std::size_t count, const std::function<std::string(std::size_t)>& pathOf,
                                const TIndexPlanner& plan, const TRunControl& control, bool& stopped,
                                TPlanning planning) {
    struct TWorkerState {
        TOggVorbis File;
        tagrecord Record;
    };
    const std::size_t workers = planning == TPlanning::Concurrent ? WorkerCount(count) : 1;
    std::vector<TWorkerState> states(workers);
    std::vector<TFilePlan> plans(count);
    std::size_t taken = 0;
    {
        TOrderedWork work(count, workers, [&](std::size_t index, std::size_t worker) {
            plans[index] = plan(index, states[worker].File, states[worker].Record);
        });
        stopped = false;
        for (; taken < count; ++taken) {
            if (control.StopAsked()) {
                stopped = true;
                break;
            }
            Report(control, taken, count, pathOf(taken));
            work.Await(taken);
        }
    }
    plans.resize(taken);
    return plans;
}

std::vector<TFilePlan> PlanRun(const TFoundFileList& found, const TPlanner& planner,
                               const TRunControl& control, bool& stopped, TPlanning planning) {
    const auto pathOf = [&found](std::size_t index) {
        const auto [dir, name] = TFoundFileList::Split(found[index]);
        return dir + name;
    };
    const auto plan = [&](std::size_t index, TOggVorbis& file, tagrecord& record) {
        const auto [dir, name] = TFoundFileList::Split(found[index]);
        return planner(dir, name, file, record);
    };
    std::vector<TFilePlan> plans = PlanEach(found.Count(), pathOf, plan, control, stopped, planning);
    DropSecondPaths(plans);
    return plans;
}

// A group's new files are written on a few threads, each with a file object of its own, while the
// group takes them in order; the next group's are begun once it is committed.
TApplyOutcome ApplyRun(const std::vector<TFilePlan>& plans, bool dryRun, TLogSink& log, TRunTally& tally,
                       TRunJournal* journal, const TRunControl& control) {
    TOggVorbis file;
    TLeftoverIndex leftovers;
    TSaveGroup group(journal, &leftovers);
    std::vector<TOggVorbis> files(dryRun ? 0 : WorkerCount(plans.size()));
    TApplyOutcome outcome;
    const auto done = [&](const TFilePlan& plan, TFileOutcome result, const std::string& why) {
        tally.Count(result);
        ++outcome.Done;
        if (control.AfterFile) control.AfterFile(plan, result, why);
    };
    const auto stopAsked = [&control] { return control.StopAsked(); };
    // Once the disk is full, files are prepared one at a time: files prepared ahead would take the
    // room each commit frees for the file that waits for it.
    bool prepareAhead = true;
    for (std::size_t next = 0; next < plans.size() && !outcome.Stopped;) {
        const std::size_t first = next;
        const std::size_t count = dryRun ? plans.size() : PreparedTogether(plans, first, group.Room());
        std::vector<TPreparedStore> prepared(dryRun ? 0 : count);
        TOrderedWork work(count, prepareAhead ? files.size() : 1, [&](std::size_t index, std::size_t worker) {
            const TFilePlan& plan = plans[first + index];
            if (!dryRun && plan.Action == TPlanAction::Store) prepared[index] = group.Prepare(plan, files[worker]);
        });
        for (; next < first + count && !outcome.Stopped; ++next) {
            const TFilePlan& plan = plans[next];
            if (control.StopAsked()) {
                outcome.Stopped = true;
                break;
            }
            Report(control, next, plans.size(), plan.Path);
            work.Await(next - first);
            if (dryRun) {
                done(plan, ShowPlan(plan, log), PlanFailure(plan));
                continue;
            }
            TPreparedStore store = std::move(prepared[next - first]);
            // The disk filled up while the group's new files take space their old files still hold:
            // the group is put in place, which frees it, and the file is tried once more. The files
            // prepared ahead are dropped (their new files removed) and prepared again in turn; the
            // workers stop first, or they would take the room the commit frees.
            const bool full = store.Save.NoSpace;
            if (full && prepareAhead) {
                work.Finish();
                for (std::size_t ahead = next - first + 1; ahead < count; ++ahead) prepared[ahead] = {};
            }
            if (full) {
                if (!group.CommitToFreeSpace(log, stopAsked, done)) {
                    outcome.Stopped = true;
                    break;
                }
                store = group.Prepare(plan, file);
            }
            group.Add(plan, std::move(store));
            if (group.Ready() && !group.Commit(log, stopAsked, done)) outcome.Stopped = true;
            if (full && prepareAhead) {
                prepareAhead = false;
                ++next;
                break;
            }
        }
    }
    // A stop between two files still puts the files written so far in place: a group may hold many
    // files, and a user who stops a long run expects the work shown as done to be kept.
    if (!group.Commit(log, outcome.Stopped ? std::function<bool()>() : stopAsked, done)) outcome.Stopped = true;
    group.Finish(log);
    if (outcome.Stopped) log.AddLine(StoppedLine(outcome.Done, plans.size()));
    FlushLastNotes(journal);
    Report(control, outcome.Done, plans.size(), {});
    return outcome;
}

std::string StoppedLine(std::size_t done, std::size_t total) {
    return "Stopped by the user after " + std::to_string(done) + " of " + std::to_string(total) +
           " files; the other files are unchanged.";
}

}  // namespace parvex
