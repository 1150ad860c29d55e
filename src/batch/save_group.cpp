#include "batch/save_group.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <exception>

#include "batch/no_replace_rename.h"
#include "batch/run_journal.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/open_error.h"

namespace parvex {

namespace {

std::string Indented(const std::string& text) { return kLogIndent + text; }

std::string WriteFailure(const std::string& reason) {
    return Indented("could not be written: " + reason + "; the file is unchanged");
}

std::string RenameFailure(int error) {
    if (error == EEXIST) return "a file of that name already exists";
    return ErrorText(error);
}

// Each waiting save holds three descriptors (folder, old file, new file): a group stays well inside
// the process's limit.
std::size_t GroupFilesWithinLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kGroupFiles;
    const rlim_t room = limit.rlim_cur > 64 ? (limit.rlim_cur - 64) / 4 : 1;
    return static_cast<std::size_t>(std::clamp<rlim_t>(room, 1, kGroupFiles));
}

}  // namespace

struct TSaveGroup::TMember {
    const TFilePlan* Plan = nullptr;
    TLineLog Log;  // the file's lines, logged when the group is committed
    TFileOutcome Outcome = TFileOutcome::Skipped;
    bool Waiting = false;  // checked, journaled and (for a store) written: waits for its rename
    TPreparedSave Save;    // a store's new file
    std::pair<dev_t, ino_t> Folder{};
};

TSaveGroup::TSaveGroup(TOggVorbis& file, TRunJournal* journal, TLeftoverIndex* leftovers)
    : file_(file), journal_(journal), leftovers_(leftovers), maxFiles_(GroupFilesWithinLimit()) {}

TSaveGroup::~TSaveGroup() = default;

void TSaveGroup::Refuse(TMember& member, const std::string& line) {
    member.Log.AddLine(line);
    member.Outcome = TFileOutcome::Failed;
    if (member.Waiting) {
        member.Waiting = false;
        --waiting_;
        if (member.Save.Replace) --folders_[member.Folder].Left;
    }
    member.Save = {};
}

void TSaveGroup::Add(const TFilePlan& plan) {
    TMember& member = members_.emplace_back();
    member.Plan = &plan;
    member.Outcome = ShowPlan(plan, member.Log);
    if (plan.Action != TPlanAction::Store && plan.Action != TPlanAction::Rename) return;
    if (!(CurrentStamp(plan.Path) == plan.Planned))
        return Refuse(member, Indented("left alone: the file changed since it was planned"));
    if (plan.Action == TPlanAction::Store) {
        std::string reason;
        try {
            if (!PrepareWorkingRecord(file_, plan.Record, plan.Path, member.Save, &reason, leftovers_))
                return Refuse(member, WriteFailure(reason));
        } catch (const EFOpenError& error) {
            return Refuse(member, WriteFailure(ErrorText(error.Error())));
        } catch (const std::exception& error) {
            return Refuse(member, WriteFailure(error.what()));
        }
    }
    if (journal_) {
        try {
            journal_->BeforeChange(plan);
        } catch (const std::exception& error) {
            return Refuse(member, Indented(std::string("could not be recorded for undo: ") + error.what() +
                                           "; the file is unchanged"));
        }
    }
    member.Waiting = true;
    ++waiting_;
    if (member.Save.Replace) {
        struct stat folder {};
        (void)::fstat(member.Save.Replace->Folder(), &folder);
        member.Folder = {folder.st_dev, folder.st_ino};
        ++folders_[member.Folder].Left;
        bytes_ += member.Save.Size;
    }
}

bool TSaveGroup::Ready() const { return waiting_ == 0 || waiting_ >= maxFiles_ || bytes_ >= kGroupBytes; }

// Writeback of every new file was started as it was written. Where each file's flush costs a flush
// of the disk's cache, one of the whole file system costs about as much as one file's: a group of
// new files on one file system is flushed so. Otherwise, or where that fails, each file is flushed
// by itself, which also tells which file's data could not be written.
void TSaveGroup::FlushNewFiles() {
    std::vector<TMember*> saves;
    for (TMember& member : members_)
        if (member.Waiting && member.Save.Replace) saves.push_back(&member);
    const bool oneFileSystem = std::all_of(saves.begin(), saves.end(), [&saves](const TMember* member) {
        return member->Folder.first == saves.front()->Folder.first;
    });
    if (saves.size() > 1 && oneFileSystem && saves.front()->Save.Replace->FlushFileSystem()) return;
    for (TMember* member : saves) {
        try {
            member->Save.Replace->FlushData();
        } catch (const std::exception& error) {
            Refuse(*member, WriteFailure(ReasonOf(error)));
        }
    }
}

void TSaveGroup::FlushJournal() {
    if (!journal_ || waiting_ == 0) return;
    try {
        journal_->Flush();
    } catch (const std::exception& error) {
        const std::string line = Indented(std::string("could not be recorded for undo: ") + error.what() +
                                          "; the file is unchanged");
        for (TMember& member : members_)
            if (member.Waiting) Refuse(member, line);
    }
}

void TSaveGroup::RenameIntoPlace(TMember& member) {
    const TFilePlan& plan = *member.Plan;
    member.Waiting = false;
    --waiting_;
    member.Outcome = TFileOutcome::Written;
    if (plan.Action == TPlanAction::Rename) {
        if (const int error = RenameNoReplace(plan.Path, plan.NewPath); error != 0) {
            member.Log.AddLine(Indented("not renamed: " + RenameFailure(error)));
            member.Outcome = TFileOutcome::Failed;
        }
    } else {
        std::vector<std::string> notes;
        try {
            member.Save.Replace->RenameOver();
            folders_[member.Folder].Renamed = true;
            notes = member.Save.Notes;
        } catch (const std::exception& error) {
            member.Log.AddLine(WriteFailure(ReasonOf(error)));
            member.Outcome = TFileOutcome::Failed;
        }
        FlushFolderAfter(member, notes);
        for (const std::string& note : notes) member.Log.AddLine(Indented(note));
    }
    if (journal_ && member.Outcome == TFileOutcome::Written) journal_->AfterChange(plan);
}

// A folder is flushed once its last file of the group is in place.
void TSaveGroup::FlushFolderAfter(TMember& member, std::vector<std::string>& notes) {
    TFolderState& folder = folders_[member.Folder];
    if (--folder.Left > 0 || !folder.Renamed) return;
    folder.Renamed = false;
    member.Save.Replace->FlushFolder(notes);
}

// After a stop: the folders whose other files were abandoned.
void TSaveGroup::FlushEveryFolderLeft(TLogSink& log) {
    for (TMember& member : members_) {
        if (!member.Save.Replace || !folders_[member.Folder].Renamed) continue;
        folders_[member.Folder].Renamed = false;
        std::vector<std::string> notes;
        member.Save.Replace->FlushFolder(notes);
        for (const std::string& note : notes) log.AddLine(Indented(note));
    }
}

bool TSaveGroup::Commit(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done) {
    FlushNewFiles();
    FlushJournal();
    bool stopped = false;
    for (TMember& member : members_) {
        if (stop && stop()) {
            stopped = true;
            break;
        }
        if (member.Waiting) RenameIntoPlace(member);
        for (const std::string& line : member.Log.Lines) log.AddLine(line);
        if (done) done(*member.Plan, member.Outcome);
    }
    FlushEveryFolderLeft(log);
    members_.clear();  // the new files of abandoned members go with them
    folders_.clear();
    waiting_ = 0;
    bytes_ = 0;
    return !stopped;
}

}  // namespace parvex
