#include "batch/undo_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "batch/log_sink.h"
#include "fs/file_identity.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

// What planning reads of the file where the run left it, in one read: its identity, its comments as
// they stand in the file (which recognise it), and as its loaded record holds them (which the log
// compares with the old ones).
struct TFileNow {
    FileIdentity Identity;
    std::vector<TWrittenComment> InFile;
    std::vector<TWrittenComment> Loaded;
    std::shared_ptr<const TPlannedHeaders> Headers;  // for the save that puts the old comments back
};

// Nothing when the file cannot be read as Ogg Vorbis or Opus (gone, renamed since, another kind of
// file).
std::optional<TFileNow> ReadNow(const std::string& path, TOggVorbis& file, tagrecord& record) {
    TFileNow now;
    FileInfo info;
    try {
        if (LoadWorkingRecord(file, record, path, &now.Identity, &info) != TLoadOutcome::Loaded) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    now.InFile = CommentsOf(info);
    now.Loaded = WrittenComments(record);
    now.Headers = std::make_shared<const TPlannedHeaders>(PlannedHeaders(std::move(info)));
    return now;
}

// Whether the file is as it was before the run: untouched by it, or put back already (by an undo
// stopped halfway, say). `now` is what was read where the run left it, when it was read.
bool AsBeforeTheRun(const TJournalEntry& entry, const std::optional<TFileNow>& now) {
    if (CurrentStamp(entry.Path) == entry.Before) return true;
    return entry.Whole && entry.NewPath.empty() && now && now->InFile == entry.OldComments;
}

// Whether the file is still as the run left it: the same file as after the change (or, for a rename
// the run did not note, as before it), else one that holds exactly the comments the run left in it
// (an undo of a later run gave it a new identity).
bool AsTheRunLeftIt(const TJournalEntry& entry, const TFileNow& now) {
    if (entry.After ? now.Identity == *entry.After : (!entry.NewPath.empty() && now.Identity == entry.Before))
        return true;
    return entry.CommentsAfter && CommentsDigest(now.InFile) == *entry.CommentsAfter;
}

// Whether `path` lies inside one of the run's folders (a journal of an earlier version names none).
bool InFolders(const std::string& path, const std::vector<std::string>& folders) {
    if (folders.empty()) return true;
    const std::string file = std::filesystem::path(path).lexically_normal().string();
    return std::any_of(folders.begin(), folders.end(), [&file](const std::string& folder) {
        std::string inside = std::filesystem::path(folder).lexically_normal().string();
        if (inside.empty() || inside.back() != '/') inside += '/';
        return file.size() > inside.size() && file.compare(0, inside.size(), inside) == 0;
    });
}

// Where the run left the file.
std::string ShownPath(const TJournalEntry& entry) {
    if (!entry.NewPath.empty()) return entry.NewPath;
    return entry.Path.empty() ? "(a file the journal does not name whole)" : entry.Path;
}

// The plan that puts one file back: its old name, or its old comments in their old order; or why it
// is passed over. A file whose record is not whole is never written, however it stands.
TFilePlan PlanEntry(const TJournalEntry& entry, const std::vector<std::string>& folders, TOggVorbis& file,
                    tagrecord& record) {
    TFilePlan plan;
    plan.Path = ShownPath(entry);
    plan.Lines.push_back("Undo: " + EscapedName(plan.Path));
    const auto leftAlone = [&plan](const std::string& why) {
        plan.Fail("left alone: " + why);
        return plan;
    };
    const auto asBefore = [&plan] {
        plan.Skip("as it was before the run");
        return plan;
    };
    if (!entry.Whole)
        return !entry.Path.empty() && AsBeforeTheRun(entry, std::nullopt)
                   ? asBefore()
                   : leftAlone("its record in the journal is incomplete");
    const bool renamed = !entry.NewPath.empty();
    if (!InFolders(entry.Path, folders) || (renamed && !InFolders(entry.NewPath, folders)))
        return leftAlone("not in the folders of the run");
    const std::optional<TFileNow> now = ReadNow(plan.Path, file, record);
    // A rename that never happened leaves the file under its old name, as it was.
    if (!now || !AsTheRunLeftIt(entry, *now))
        return AsBeforeTheRun(entry, now) ? asBefore() : leftAlone("changed since the run");
    plan.Planned = now->Identity;
    if (renamed) {
        plan.Action = TPlanAction::Rename;
        plan.NewPath = entry.Path;
        plan.Lines.push_back(kLogIndent + std::string("to: ") + EscapedName(entry.Path));
        return plan;
    }
    plan.Action = TPlanAction::Store;
    plan.Headers = now->Headers;
    plan.Comments = &entry.OldComments;
    plan.Changes = CommentChanges(now->Loaded, entry.OldComments);
    for (std::string& line : ChangeLines(now->Loaded, entry.OldComments)) plan.Lines.push_back(std::move(line));
    return plan;
}

std::string OperationName(const std::string& mode) {
    if (mode == "mass") return "Mass tag";
    if (mode == "edit") return "Edit of selected files";
    if (mode == "clear") return "Clear tags";
    if (mode == "filename" || mode == "from-filename") return "Tag from file name";
    if (mode == "rename") return "Rename from tag";
    if (mode == "taglist" || mode == "from-list") return "Tag from list";
    return mode;
}

}  // namespace

// The files are read first, a few at a time, the last changed first; then put back as a run's
// files are changed, a group at a time.
void UndoRun(const TJournalRun& run, bool dryRun, TLogSink& log, TRunTally& tally, const TRunControl& control,
             const std::function<void(const TRunProgress&)>& reading) {
    const std::size_t count = run.Files.size();
    TRunControl planning;
    planning.Stop = control.Stop;
    planning.Progress = reading;
    bool stopped = false;
    const std::vector<TFilePlan> plans = PlanEach(
        count, [&run, count](std::size_t index) { return ShownPath(run.Files[count - 1 - index]); },
        [&run, count](std::size_t index, TOggVorbis& file, tagrecord& record) {
            return PlanEntry(run.Files[count - 1 - index], run.Folders, file, record);
        },
        planning, stopped, TPlanning::Concurrent);
    if (stopped) {
        log.AddLine(StoppedLine(0, count));
        return;
    }
    const int failedBefore = tally.Failed();
    const TApplyOutcome outcome = ApplyRun(plans, dryRun, log, tally, nullptr, control);
    // A run with a file left as it is stays to be undone: the next undo takes up that file again.
    if (dryRun || outcome.Stopped || tally.Failed() > failedBefore) return;
    try {
        MarkUndone(run);
    } catch (const std::exception& error) {
        log.AddLine(std::string("The run could not be marked as undone: ") + error.what());
    }
}

const TJournalRun* LastRunNotUndone(const std::vector<TJournalRun>& runs) {
    const auto last = std::find_if(runs.rbegin(), runs.rend(), [](const TJournalRun& run) { return !run.Undone; });
    return last == runs.rend() ? nullptr : &*last;
}

std::string RunDescription(const TJournalRun& run) {
    const std::time_t started = static_cast<std::time_t>(run.Started);
    char when[32] = "";
    if (std::tm local{}; localtime_r(&started, &local))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    const std::size_t count = run.Changed;
    return "Run " + std::to_string(run.Number) + ": " + OperationName(run.Operation) + " of " + run.Where +
           " on " + when + ", " + std::to_string(count) + (count == 1 ? " file" : " files") +
           (run.Undone ? ", undone" : "");
}

}  // namespace parvex
