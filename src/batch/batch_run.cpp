#include "batch/batch_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
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

// Lets the workers plan files at once while those come to at most `limit` bytes in all, in the
// order they ask; a file larger than that is planned alone. Planning holds a file's headers a few
// times over: files with headers of a hundred megabytes are so planned one at a time, small files
// as many at once as there are workers.
class TSizeGate {
public:
    explicit TSizeGate(int64_t limit) : limit_(limit) {}

    // Held while a file of `bytes` is planned.
    struct TPass {
        TPass(TSizeGate& gate, int64_t bytes) : Gate(gate), Bytes(bytes) { gate.Enter(bytes); }
        ~TPass() { Gate.Leave(Bytes); }
        TPass(const TPass&) = delete;
        TPass& operator=(const TPass&) = delete;
        TSizeGate& Gate;
        const int64_t Bytes;
    };

private:
    void Enter(int64_t bytes) {
        std::unique_lock lock(mutex_);
        const uint64_t ticket = next_++;
        changed_.wait(lock, [&] { return ticket == serving_ && (inside_ == 0 || inside_ + bytes <= limit_); });
        ++serving_;
        inside_ += bytes;
        lock.unlock();
        changed_.notify_all();
    }
    void Leave(int64_t bytes) {
        {
            const std::lock_guard lock(mutex_);
            inside_ -= bytes;
        }
        changed_.notify_all();
    }

    const int64_t limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int64_t inside_ = 0;
    uint64_t next_ = 0, serving_ = 0;
};

// The size of the file at `path`; 0 when it cannot be looked up.
int64_t FileSizeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : 0;
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

// Each worker reads with its own file object and record, the files planned at once coming to at
// most kGroupBytes; the plans are taken in order, and keep the headers they read as far as the
// run's budget for them goes.
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
    std::size_t heldHeaders = 0;
    TSizeGate gate(kGroupBytes);
    {
        TOrderedWork work(count, workers, [&](std::size_t index, std::size_t worker) {
            const int64_t size = workers > 1 ? FileSizeOf(pathOf(index)) : 0;
            const TSizeGate::TPass pass(gate, size);
            plans[index] = plan(index, states[worker].File, states[worker].Record);
            // The file's comments go once its plan is made: a worker holds no huge header between files.
            states[worker] = {};
        });
        stopped = false;
        for (; taken < count; ++taken) {
            if (control.StopAsked()) {
                stopped = true;
                break;
            }
            Report(control, taken, count, pathOf(taken));
            work.Await(taken);
            KeepHeadersWithin(plans[taken], heldHeaders);
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
