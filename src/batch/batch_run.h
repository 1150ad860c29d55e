#pragma once
// A batch run carried out: every found file is planned first, which only reads, then the plans are
// applied in groups of files (TSaveGroup: each file checked to be as planned, its old state
// journaled before it changes, the group's new files flushed to disk together before any takes its
// place). The window and parvex-cli only start runs and show them: the window from a worker thread,
// so progress is reported through a callback and a stop is asked through a flag, which is looked at
// between files and never cuts a save short.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "batch/run_tally.h"

namespace parvex {

class TFoundFileList;
class TRunJournal;

// Where a run stands: `Done` of `Total` files, `Current` the file worked on next.
struct TRunProgress {
    std::size_t Done = 0;
    std::size_t Total = 0;
    std::string Current;
};

// How the starter of a run follows and steers it. Every member may be left empty.
struct TRunControl {
    const std::atomic<bool>* Stop = nullptr;            // set (from any thread) to end the run
    std::function<void(const TRunProgress&)> Progress;  // before each file, on the running thread
    // Once a file is done and logged: its plan, its outcome and, for a failed file, the line that
    // says why, unindented ("left alone: changed since the run").
    std::function<void(const TFilePlan&, TFileOutcome, const std::string& why)> AfterFile;

    bool StopAsked() const { return Stop && Stop->load(); }
};

// Plans the work on one found file: `dir` is its folder ending in "/", `name` the file name; `file`
// and `record` are a file object and working record of the thread that calls it.
using TPlanner = std::function<TFilePlan(const std::string& dir, const std::string& name, TOggVorbis& file,
                                         tagrecord& record)>;

// How the files of a run may be planned.
enum class TPlanning {
    // Each plan depends on its file alone: the planner is called from a few threads at once and
    // may only read what it shares with other calls (options, a loaded list).
    Concurrent,
    // A plan depends on the plans made before it (the names a rename takes): one call at a time,
    // in order.
    InOrder,
};

// The plans of the found files, in order, one per file: the plan of a path that leads to a file
// planned already (a link, a second name), told by the identity of the file the planner opened, is
// dropped. Progress is reported from the calling thread before each path's plan is taken. A stop
// asked while planning ends it early: the plans made so far are returned and `stopped` is set.
std::vector<TFilePlan> PlanRun(const TFoundFileList& found, const TPlanner& planner,
                               const TRunControl& control, bool& stopped,
                               TPlanning planning = TPlanning::InOrder);

// Plans `count` files as `planning` allows: `plan(index, file, record)` makes the plan of file
// `index` with a file object and working record of the thread that calls it, and `pathOf(index)`
// names it in the progress reported before its plan is taken. The plans come in order of index; a
// stop asked while planning ends it early, with the plans made so far and `stopped` set.
using TIndexPlanner = std::function<TFilePlan(std::size_t index, TOggVorbis& file, tagrecord& record)>;
std::vector<TFilePlan> PlanEach(std::size_t count, const std::function<std::string(std::size_t)>& pathOf,
                                const TIndexPlanner& plan, const TRunControl& control, bool& stopped,
                                TPlanning planning);

// How far ApplyRun got.
struct TApplyOutcome {
    std::size_t Done = 0;  // files whose plan was logged and carried out
    bool Stopped = false;  // a stop was asked before the last file
};

// Logs the plans and carries them out in order (a dry run only logs them: ShowPlan), each outcome
// counted in `tally`; `journal` (may be null) records each file's old state. The files are written
// a group at a time (up to kGroupFiles files or kGroupBytes of new files), so a file's lines and its
// AfterFile come once its group is committed, in the order of the plans; the progress's Done counts
// the files written so far. A stop asked before a file ends the run there with StoppedLine: the
// files of the group written so far are whole, and are put in place first. A stop asked while the
// group's files are being put in place ends it there: a file whose new version is not yet in place
// is abandoned (its new file removed, the old one unchanged). A file the disk has no room for is
// tried once more after the group so far is put in place and its old files freed. Never raises.
TApplyOutcome ApplyRun(const std::vector<TFilePlan>& plans, bool dryRun, TLogSink& log, TRunTally& tally,
                       TRunJournal* journal, const TRunControl& control = {});

// "Stopped by the user after 12 of 40 files; the other files are unchanged."
std::string StoppedLine(std::size_t done, std::size_t total);

}  // namespace parvex
