#include "batch/undo_run.h"

#include <ctime>
#include <optional>

#include "batch/log_sink.h"
#include "batch/no_replace_rename.h"
#include "ogg/comment_writer.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/open_error.h"

namespace parvex {

namespace {

std::string Indented(const std::string& text) { return kLogIndent + text; }

// Nothing when the file cannot be read as Ogg Vorbis or Opus.
std::optional<std::vector<TWrittenComment>> CommentsNow(const std::string& path) {
    TOggVorbis file;
    tagrecord record;
    if (LoadWorkingRecord(file, record, path) != TLoadOutcome::Loaded) return std::nullopt;
    return WrittenComments(record);
}

// Whether the file holds exactly the comments it had before the run, in the same order; false too
// when it cannot be read (gone, renamed since).
bool HoldsItsOldComments(const TJournalEntry& entry) {
    FileInfo info;
    try {
        return ReadFileInfo(entry.Path, info, TReadExtent::HeadersOnly) &&
               CommentsOf(info) == entry.OldComments;
    } catch (const std::exception&) {
        return false;
    }
}

// Whether the file is as it was before the run: untouched by it, or already put back (by an undo
// stopped halfway, say).
bool AsBeforeTheRun(const TJournalEntry& entry) {
    return CurrentStamp(entry.Path) == entry.Before || (entry.NewPath.empty() && HoldsItsOldComments(entry));
}

// Whether the file at `path` is still as the run left it: the same file as after the change, or,
// when the run ended before noting that, one holding exactly the comments the run wrote.
bool AsTheRunLeftIt(const TJournalEntry& entry, const std::string& path) {
    if (entry.After) return CurrentStamp(path) == *entry.After;
    return !entry.NewPath.empty() ? CurrentStamp(path) == entry.Before
                                  : CommentsNow(path) == entry.NewComments;
}

// Writes `comments` in place of the file's comments, in that order, keeping its vendor string.
bool RestoreComments(const std::string& path, const std::vector<TWrittenComment>& comments,
                     std::string& reason) {
    FileInfo info;
    if (!ReadFileInfo(path, info)) {
        reason = kNotOggVorbisOrOpus;
        return false;
    }
    if (reason = RewriteRefusal(info); !reason.empty()) return false;
    VorbisTag& tag = info.Tag;
    tag.Names.resize(1);
    tag.Values.resize(1);
    for (const TWrittenComment& comment : comments) {
        tag.Names.push_back(comment.Name);
        tag.Values.push_back(comment.Value);
    }
    const std::string data = BuildCommentData(info);
    info.SecondPage.Crc = 0;
    return ReplaceThroughTempFile(path, data, info, &reason);
}

TFileOutcome UndoRename(const TJournalEntry& entry, bool dryRun, TLogSink& log) {
    log.AddLine(Indented("to: " + entry.Path));
    if (dryRun) return TFileOutcome::Written;
    if (const int error = RenameNoReplace(entry.NewPath, entry.Path); error != 0) {
        log.AddLine(
            Indented("not renamed: " + (error == EEXIST ? std::string("a file of that name already exists")
                                                        : ErrorText(error))));
        return TFileOutcome::Failed;
    }
    return TFileOutcome::Written;
}

TFileOutcome UndoComments(const TJournalEntry& entry, bool dryRun, TLogSink& log) {
    for (const std::string& line :
         ChangeLines(CommentsNow(entry.Path).value_or(std::vector<TWrittenComment>{}), entry.OldComments))
        log.AddLine(line);
    if (dryRun) return TFileOutcome::Written;
    std::string reason;
    try {
        if (RestoreComments(entry.Path, entry.OldComments, reason)) return TFileOutcome::Written;
    } catch (const EFOpenError& error) {
        reason = error.Reason();
    } catch (const std::exception& error) {
        reason = error.what();
    }
    log.AddLine(Indented(WriteFailureText(reason)));
    return TFileOutcome::Failed;
}

TFileOutcome UndoEntry(const TJournalEntry& entry, bool dryRun, TLogSink& log) {
    const bool renamed = !entry.NewPath.empty();
    const std::string now = renamed ? entry.NewPath : entry.Path;
    log.AddLine("Undo: " + now);
    if (!AsTheRunLeftIt(entry, now)) {
        // A rename that never happened leaves the file under its old name, as it was.
        const bool asBefore = AsBeforeTheRun(entry);
        log.AddLine(
            Indented(asBefore ? "skipped: as it was before the run" : "left alone: changed since the run"));
        return asBefore ? TFileOutcome::Skipped : TFileOutcome::Failed;
    }
    return renamed ? UndoRename(entry, dryRun, log) : UndoComments(entry, dryRun, log);
}

std::string OperationName(const std::string& mode) {
    if (mode == "mass") return "Mass tag";
    if (mode == "clear") return "Clear tags";
    if (mode == "filename" || mode == "from-filename") return "Tag from file name";
    if (mode == "rename") return "Rename from tag";
    if (mode == "taglist" || mode == "from-list") return "Tag from list";
    return mode;
}

}  // namespace

void UndoRun(const TJournalRun& run, bool dryRun, TLogSink& log, TRunTally& tally,
             const TRunControl& control) {
    std::size_t done = 0;
    for (auto entry = run.Files.rbegin(); entry != run.Files.rend(); ++entry, ++done) {
        if (control.StopAsked()) {
            log.AddLine(StoppedLine(done, run.Files.size()));
            return;
        }
        if (control.Progress) control.Progress({done, run.Files.size(), entry->Path});
        tally.Count(UndoEntry(*entry, dryRun, log));
    }
    if (dryRun) return;
    try {
        MarkUndone(run);
    } catch (const std::exception& error) {
        log.AddLine(std::string("The run could not be marked as undone: ") + error.what());
    }
}

std::string RunDescription(const TJournalRun& run) {
    const std::time_t started = static_cast<std::time_t>(run.Started);
    char when[32] = "";
    if (std::tm local{}; localtime_r(&started, &local))
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    const std::size_t count = run.Files.size();
    return "Run " + std::to_string(run.Number) + ": " + OperationName(run.Operation) + " of " + run.Where +
           " on " + when + ", " + std::to_string(count) + (count == 1 ? " file" : " files") +
           (run.Undone ? ", undone" : "");
}

}  // namespace parvex
