#include "batch/undo_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>

#include "batch/log_sink.h"
#include "fs/no_replace_rename.h"
#include "ogg/comment_writer.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "text/text_utils.h"

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

// The comments of the file as read from it, in file order; nothing when it cannot be read as Ogg
// Vorbis or Opus (gone, renamed since, another kind of file).
std::optional<std::vector<TWrittenComment>> CommentsInFile(const std::string& path) {
    FileInfo info;
    try {
        if (ReadFileInfo(path, info, TReadExtent::HeadersOnly)) return CommentsOf(info);
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

// Whether the file is as it was before the run: untouched by it, or already put back (by an undo
// stopped halfway, say).
bool AsBeforeTheRun(const TJournalEntry& entry) {
    if (CurrentStamp(entry.Path) == entry.Before) return true;
    return entry.Whole && entry.NewPath.empty() && CommentsInFile(entry.Path) == entry.OldComments;
}

// Whether the file at `path` is still as the run left it, and an Ogg file: the same file as after
// the change (or, for a rename the run did not note, as before it), else one that holds exactly the
// comments the run left in it (an undo of a later run gave it a new identity).
bool AsTheRunLeftIt(const TJournalEntry& entry, const std::string& path) {
    const FileIdentity now = CurrentStamp(path);
    const auto comments = CommentsInFile(path);
    if (!comments) return false;
    if (entry.After ? now == *entry.After : (!entry.NewPath.empty() && now == entry.Before)) return true;
    return entry.CommentsAfter && CommentsDigest(*comments) == *entry.CommentsAfter;
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
    log.AddLine(Indented("to: " + EscapedName(entry.Path)));
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

// Where the run left the file.
std::string ShownPath(const TJournalEntry& entry) {
    if (!entry.NewPath.empty()) return entry.NewPath;
    return entry.Path.empty() ? "(a file the journal does not name whole)" : entry.Path;
}

TFileOutcome AsBefore(TLogSink& log) {
    log.AddLine(Indented("skipped: as it was before the run"));
    return TFileOutcome::Skipped;
}

TFileOutcome LeftAlone(TLogSink& log, const std::string& why) {
    log.AddLine(Indented("left alone: " + why));
    return TFileOutcome::Failed;
}

TFileOutcome UndoEntry(const TJournalEntry& entry, const std::vector<std::string>& folders, bool dryRun,
                       TLogSink& log) {
    const bool renamed = !entry.NewPath.empty();
    const std::string now = renamed ? entry.NewPath : entry.Path;
    log.AddLine("Undo: " + EscapedName(ShownPath(entry)));
    // A file whose record is not whole is never written, however it stands.
    if (!entry.Whole)
        return !entry.Path.empty() && AsBeforeTheRun(entry) ? AsBefore(log)
                                                            : LeftAlone(log, "its record in the journal is incomplete");
    if (!InFolders(entry.Path, folders) || (renamed && !InFolders(entry.NewPath, folders)))
        return LeftAlone(log, "not in the folders of the run");
    // A rename that never happened leaves the file under its old name, as it was.
    if (!AsTheRunLeftIt(entry, now)) return AsBeforeTheRun(entry) ? AsBefore(log) : LeftAlone(log, "changed since the run");
    return renamed ? UndoRename(entry, dryRun, log) : UndoComments(entry, dryRun, log);
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

void UndoRun(const TJournalRun& run, bool dryRun, TLogSink& log, TRunTally& tally,
             const TRunControl& control) {
    std::size_t done = 0;
    bool failed = false;
    for (auto entry = run.Files.rbegin(); entry != run.Files.rend(); ++entry, ++done) {
        if (control.StopAsked()) {
            log.AddLine(StoppedLine(done, run.Files.size()));
            return;
        }
        if (control.Progress) control.Progress({done, run.Files.size(), entry->Path});
        const TFileOutcome outcome = UndoEntry(*entry, run.Folders, dryRun, log);
        failed = failed || outcome == TFileOutcome::Failed;
        tally.Count(outcome);
        if (control.AfterFile) {
            TFilePlan file;
            file.Path = ShownPath(*entry);
            control.AfterFile(file, outcome);
        }
    }
    // A run with a file left as it is stays to be undone: the next undo takes up that file again.
    if (dryRun || failed) return;
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
    const std::size_t count = run.Changed;
    return "Run " + std::to_string(run.Number) + ": " + OperationName(run.Operation) + " of " + run.Where +
           " on " + when + ", " + std::to_string(count) + (count == 1 ? " file" : " files") +
           (run.Undone ? ", undone" : "");
}

}  // namespace parvex
