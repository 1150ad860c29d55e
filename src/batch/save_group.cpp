#include "batch/save_group.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <system_error>

#include "fs/no_replace_rename.h"
#include "batch/run_journal.h"
#include "batch/tag_record.h"
#include "fs/file_handle.h"
#include "ogg/header_reader.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"

namespace parvex {

namespace {

std::string Indented(const std::string& text) { return kLogIndent + text; }

std::string WriteFailure(const std::string& reason) { return Indented(WriteFailureText(reason)); }

std::string RenameFailure(int error) {
    if (error == EEXIST) return "a file of that name already exists";
    return ErrorText(error);
}

std::string ChangedLine() { return Indented("left alone: the file changed since it was planned"); }

std::string JournalFailure(const std::exception& error) {
    return Indented(std::string("left unchanged: could not be recorded for undo: ") + error.what());
}

}  // namespace

// A waiting save holds two descriptors (old file, new file), its folder at most one more, and the
// folders of the last group's renames wait too: a group stays well inside the process's limit.
std::size_t MaxGroupFiles() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kGroupFiles;
    const rlim_t room = limit.rlim_cur > 64 ? (limit.rlim_cur - 64) / 4 : 1;
    return static_cast<std::size_t>(std::clamp<rlim_t>(room, 1, kGroupFiles));
}

struct TSaveGroup::TMember {
    const TFilePlan* Plan = nullptr;
    TLineLog Log;  // the file's lines, logged when the group is committed
    TFileOutcome Outcome = TFileOutcome::Skipped;
    std::string Why;  // a failed file's line that says why, unindented
    bool Waiting = false;  // checked, journaled and (for a store) written: waits for its rename
    bool Journaled = false;  // recorded in the journal: undo takes it as changed until told otherwise
    TPreparedSave Save;    // a store's new file
    std::pair<dev_t, ino_t> Folder{};
};

TSaveGroup::TSaveGroup(TRunJournal* journal, TLeftoverIndex* leftovers)
    : journal_(journal), leftovers_(leftovers), maxFiles_(MaxGroupFiles()) {}

TSaveGroup::~TSaveGroup() {
    std::vector<std::string> notes;
    FlushWaitingFolders(notes);
}

void TSaveGroup::Fail(TMember& member, const std::string& line) {
    member.Log.AddLine(line);
    member.Outcome = TFileOutcome::Failed;
    member.Why = Unindented(line);
    NoteUnchanged(member);
}

void TSaveGroup::Refuse(TMember& member, const std::string& line) {
    Fail(member, line);
    if (member.Waiting) {
        member.Waiting = false;
        --waiting_;
        if (member.Save.Replace) --folders_[member.Folder].Left;
    }
    member.Save = {};
}

TSharedFolder TSaveGroup::OpenFolder(const std::string& dir) const {
    const std::lock_guard lock(openedMutex_);
    std::weak_ptr<const TOpenFolder>& known = opened_[dir];
    TSharedFolder folder = known.lock();
    if (!folder) known = folder = OpenSharedFolder(dir);
    return folder;
}

// The saves in a folder share its descriptor. A file whose name is a link is saved where the link
// leads, through the folder of its canonical path.
std::unique_ptr<TFolderReplace> TSaveGroup::OpenForReplace(const TFilePlan& plan) const {
    const std::string& path = plan.Path;
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    try {
        return std::make_unique<TFolderReplace>(OpenFolder(dir), path.substr(slash + 1), plan.Planned, leftovers_);
    } catch (const std::system_error& error) {
        if (error.code().value() != ELOOP) throw;
    }
    return std::make_unique<TFolderReplace>(path, plan.Planned, leftovers_);
}

// The lines of the changes go: the file keeps its old comments, and the log says only why.
void TSaveGroup::RefuseUnjournaled(TMember& member, const std::exception& error) {
    member.Log.Lines.resize(std::min<std::size_t>(member.Log.Lines.size(), 1));
    Refuse(member, JournalFailure(error));
}

void TSaveGroup::NoteUnchanged(TMember& member) {
    if (!member.Journaled) return;
    member.Journaled = false;
    journal_->Unchanged(*member.Plan);
}

namespace {

// The comments of a file read into `info`, their values moved out of its table (which keeps the
// names, all a save needs of them): a huge header is not held twice.
std::vector<TWrittenComment> TakeComments(FileInfo& info) {
    std::vector<TWrittenComment> comments;
    comments.reserve(info.Tag.Count());
    for (std::size_t i = 1; i < info.Tag.Count(); ++i)
        comments.push_back({info.Tag.Names[i], std::move(info.Tag.Values[i])});
    return comments;
}

// The headers planning read, where the plan kept them (the file is the one planned: TFolderReplace
// checked it); else the file's own, read again. False when the file holds no Ogg Vorbis or Opus stream.
bool HeadersToWrite(const TFilePlan& plan, const TFileHandle& file, TPlannedHeaders& headers) {
    if (plan.Headers) {
        headers = *plan.Headers;
        return true;
    }
    return ReadFileInfo(file, headers.Info, TReadExtent::HeadersOnly);
}

}  // namespace

// The file is read once, by its plan: its headers go to the writer and its comments to the journal.
TPreparedStore TSaveGroup::Prepare(const TFilePlan& plan, TOggVorbis& file) const {
    TPreparedStore prepared;
    std::unique_ptr<TFolderReplace> replace;
    std::unique_ptr<TFileHandle> old;
    TPlannedHeaders headers;
    tagrecord record;
    try {
        replace = OpenForReplace(plan);
        old = std::make_unique<TFileHandle>(replace->Old());
        if (!HeadersToWrite(plan, *old, headers)) {
            prepared.Refusal = WriteFailure(kNotOggVorbisOrOpus);
        } else {
            // The journal keeps every old value.
            if (journal_) headers.TakeLeftOut(*old);
            if (!plan.Comments) record = RecordToStore(plan, headers, *old);
        }
    } catch (const EFileChanged&) {
        prepared.Refusal = ChangedLine();
    } catch (const std::system_error& error) {
        // A file or folder gone since the plan.
        const int code = error.code().value();
        prepared.Refusal = code == ENOENT || code == ENOTDIR ? ChangedLine() : WriteFailure(ErrorText(code));
    } catch (const std::exception& error) {
        prepared.Refusal = WriteFailure(ReasonOf(error));
    }
    if (!prepared.Refusal.empty()) return prepared;
    try {
        if (journal_) prepared.OldComments = TakeComments(headers.Info);
        old.reset();
        FileInfo& info = headers.Info;
        std::string reason;
        const bool written =
            plan.Comments ? PrepareSaveComments(*plan.Comments, std::move(replace), info, prepared.Save, &reason)
                          : PrepareWorkingRecord(file, record, std::move(replace), info, prepared.Save, &reason);
        if (!written) prepared.Refusal = WriteFailure(reason);
    } catch (const std::exception& error) {
        prepared.Save = {};
        prepared.Refusal = WriteFailure(ReasonOf(error));
    }
    return prepared;
}

void TSaveGroup::Add(const TFilePlan& plan, TPreparedStore prepared) {
    TMember& member = members_.emplace_back();
    member.Plan = &plan;
    member.Outcome = ShowPlan(plan, member.Log);
    member.Why = PlanFailure(plan);
    if (plan.Action == TPlanAction::Store) {
        if (!prepared.Refusal.empty()) return Refuse(member, prepared.Refusal);
        member.Save = std::move(prepared.Save);
    } else if (plan.Action == TPlanAction::Rename) {
        if (!(CurrentStamp(plan.Path) == plan.Planned)) return Refuse(member, ChangedLine());
    } else {
        return;
    }
    if (journal_) {
        try {
            if (plan.Action == TPlanAction::Store)
                journal_->BeforeChange(plan, prepared.OldComments, member.Save.WrittenDigest);
            else
                journal_->BeforeChange(plan);
        } catch (const std::exception& error) {
            return RefuseUnjournaled(member, error);
        }
        member.Journaled = true;
    }
    member.Waiting = true;
    ++waiting_;
    if (member.Save.Replace) {
        const TSharedFolder& folder = member.Save.Replace->SharedFolder();
        member.Folder = {folder->Device, folder->Inode};
        TFolderState& state = folders_[member.Folder];
        state.Folder = folder;
        ++state.Left;
        bytes_ += member.Save.Size;
    }
}

bool TSaveGroup::Ready() const { return waiting_ == 0 || waiting_ >= maxFiles_ || bytes_ >= kGroupBytes; }

// Writeback of every new file was started as it was written. Where each file's flush costs a flush
// of the disk's cache, one of the whole file system costs about as much as one file's: a group of
// new files on one file system is flushed so, and with them the journal and the folders of the
// last renames where they are on it too. Otherwise, or where that fails, each file is flushed by
// itself, which also tells which file's data could not be written.
void TSaveGroup::FlushNewFiles() {
    std::vector<TMember*> saves;
    for (TMember& member : members_)
        if (member.Waiting && member.Save.Replace) saves.push_back(&member);
    if (saves.empty()) return;
    const dev_t device = saves.front()->Folder.first;
    const bool oneFileSystem = std::all_of(saves.begin(), saves.end(),
                                           [device](const TMember* member) { return member->Folder.first == device; });
    const std::size_t served = saves.size() + (journal_ && journal_->UnflushedOn(device) ? 1 : 0) +
                               static_cast<std::size_t>(std::count_if(
                                   unflushedFolders_.begin(), unflushedFolders_.end(),
                                   [device](const TSharedFolder& folder) { return folder->Device == device; }));
    if (oneFileSystem && served > 1 && saves.front()->Save.Replace->FlushFileSystem()) {
        if (journal_) journal_->FileSystemFlushed(device);
        std::erase_if(unflushedFolders_, [device](const TSharedFolder& folder) { return folder->Device == device; });
        return;
    }
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
        for (TMember& member : members_)
            if (member.Waiting) RefuseUnjournaled(member, error);
    }
}

// One flush of their file system where it serves more than one folder or the journal as well;
// else each folder by itself.
void TSaveGroup::FlushWaitingFolders(std::vector<std::string>& notes) {
    if (unflushedFolders_.empty()) return;
    const dev_t device = unflushedFolders_.front()->Device;
    const bool oneFileSystem =
        std::all_of(unflushedFolders_.begin(), unflushedFolders_.end(),
                    [device](const TSharedFolder& folder) { return folder->Device == device; });
    const std::size_t served = unflushedFolders_.size() + (journal_ && journal_->UnflushedOn(device) ? 1 : 0);
    if (oneFileSystem && served > 1 && FlushFileSystemOf(unflushedFolders_.front()->Fd.Get())) {
        if (journal_) journal_->FileSystemFlushed(device);
    } else {
        for (const TSharedFolder& folder : unflushedFolders_) FlushFolder(*folder, notes);
    }
    unflushedFolders_.clear();
}

void TSaveGroup::RenameIntoPlace(TMember& member) {
    const TFilePlan& plan = *member.Plan;
    member.Waiting = false;
    --waiting_;
    member.Outcome = TFileOutcome::Written;
    if (plan.Action == TPlanAction::Rename) {
        if (const int error = RenameNoReplace(plan.Path, plan.NewPath); error != 0)
            Fail(member, Indented("not renamed: " + RenameFailure(error)));
        else if (journal_)
            journal_->AfterChange(plan);
        return;
    }
    std::vector<std::string> notes;
    try {
        member.Save.Replace->RenameOver();
        folders_[member.Folder].Renamed = true;
        notes = member.Save.Notes;
    } catch (const std::exception& error) {
        Fail(member, WriteFailure(ReasonOf(error)));
    }
    FolderDoneAfter(member, notes);
    for (const std::string& note : notes) member.Log.AddLine(Indented(note));
    if (journal_ && member.Outcome == TFileOutcome::Written) {
        try {
            journal_->AfterChange(plan, member.Save.Replace->NewIdentity());
        } catch (const std::exception&) {
            journal_->AfterChange(plan);
        }
    }
}

// Once its last file of the group is in place, a folder waits for its flush. One opened without
// read permission can be flushed only through its file system, which the new file leads to: it is
// flushed at once.
void TSaveGroup::FolderDoneAfter(TMember& member, std::vector<std::string>& notes) {
    TFolderState& folder = folders_[member.Folder];
    if (--folder.Left > 0 || !folder.Renamed) return;
    folder.Renamed = false;
    if (folder.Folder->PathOnly)
        member.Save.Replace->FlushFolder(notes);
    else
        unflushedFolders_.push_back(folder.Folder);
}

// After a stop: the folders whose other files were abandoned.
void TSaveGroup::EveryFolderLeftDone(TLogSink& log) {
    for (TMember& member : members_) {
        if (!member.Save.Replace || !folders_[member.Folder].Renamed) continue;
        folders_[member.Folder].Left = 1;
        std::vector<std::string> notes;
        FolderDoneAfter(member, notes);
        for (const std::string& note : notes) log.AddLine(Indented(note));
    }
}

bool TSaveGroup::Commit(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done) {
    FlushNewFiles();
    FlushJournal();
    if (waiting_ > 0) {
        std::vector<std::string> notes;
        FlushWaitingFolders(notes);
        for (const std::string& note : notes) log.AddLine(Indented(note));
    }
    bool stopped = false;
    for (TMember& member : members_) {
        if (stop && stop()) {
            stopped = true;
            break;
        }
        if (member.Waiting) RenameIntoPlace(member);
        for (const std::string& line : member.Log.Lines) log.AddLine(line);
        if (done) done(*member.Plan, member.Outcome, member.Why);
    }
    EveryFolderLeftDone(log);
    for (TMember& member : members_) {
        if (member.Waiting) NoteUnchanged(member);  // abandoned by the stop
        if (member.Save.Replace) oldFiles_.Close(member.Save.Replace->ReleaseOld());
    }
    members_.clear();  // the new files of abandoned members go with them
    folders_.clear();
    waiting_ = 0;
    bytes_ = 0;
    return !stopped;
}

bool TSaveGroup::CommitToFreeSpace(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done) {
    const bool committed = Commit(log, stop, done);
    oldFiles_.Wait();
    return committed;
}

void TSaveGroup::Finish(TLogSink& log) {
    std::vector<std::string> notes;
    FlushWaitingFolders(notes);
    for (const std::string& note : notes) log.AddLine(Indented(note));
}

}  // namespace parvex
