#pragma once
// Carrying out the plans of a batch run a group of files at a time. The new version of each file of
// the group is written beside the old one, then all are flushed to disk together with the journal's
// record of the group's old states, and only then is each renamed over its old file (still checked
// to be the planned file). The folders of the renames are flushed with the next group's files, or,
// after the last group, once more before the run ends. A killed run so leaves only whole old or
// whole new files, and flushes cost once per group, not once per file: where the group's files,
// the journal and the folders share an ext4, XFS or Btrfs file system, one flush of it serves all.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "fs/background_close.h"
#include "batch/file_plan.h"
#include "batch/log_sink.h"
#include "ogg/comment_writer.h"
#include "fs/folder_replace.h"

namespace parvex {

class TOggVorbis;
class TRunJournal;

// How many files (or bytes of new files) a group holds at most.
inline constexpr std::size_t kGroupFiles = 1024;
inline constexpr int64_t kGroupBytes = int64_t{32} << 20;
// How many files a group holds at most: kGroupFiles, or fewer where the process's limit of open
// files would not hold the descriptors of so many.
std::size_t MaxGroupFiles();

// A store's new file written beside the old one, waiting to join its group (TSaveGroup::Prepare).
struct TPreparedStore {
    TPreparedSave Save;
    std::vector<TWrittenComment> OldComments;  // the file's comments before, for the journal
    std::string Refusal;                       // the log line of a file refused; empty when prepared
};

class TSaveGroup {
public:
    // `journal` (may be null) records old states; `leftovers` (may be null) is the run's index of
    // leftovers of killed saves.
    TSaveGroup(TRunJournal* journal, TLeftoverIndex* leftovers);
    // Flushes the folders still waiting for it (see Finish), without a word on failure.
    ~TSaveGroup();
    TSaveGroup(const TSaveGroup&) = delete;
    TSaveGroup& operator=(const TSaveGroup&) = delete;

    // Takes the plan (which must outlive the group) in, with a store's new file written beside the
    // old one by Prepare: a file no longer as planned is refused, and the journal gets its old state.
    // A failure refuses that file only, which stays as it was.
    void Add(const TFilePlan& plan, TPreparedStore prepared);
    // Writes the new version of a file to store beside it, through `file`, and reads its comments
    // for the journal. May run on several threads at once, each with a file object of its own,
    // while the group takes other files in.
    TPreparedStore Prepare(const TFilePlan& plan, TOggVorbis& file) const;
    // How many more files the group takes before it is full.
    std::size_t Room() const { return maxFiles_ - waiting_; }
    // Whether the group is to be committed now: it is full, or nothing in it waits for a rename (a
    // file left alone is then logged at once).
    bool Ready() const;

    // A file's plan and outcome, and for a failed file the line that says why, unindented.
    using TFileDone = std::function<void(const TFilePlan&, TFileOutcome, const std::string& why)>;
    // Flushes the new files, the journal and the folders of the last group's renames, then for each
    // file in order: `stop` is looked at, the file is renamed into place (or renamed, for a rename),
    // its lines are logged and `done` is called. A stop abandons the files from there on: their new
    // files are removed, the old ones stay as they were, and nothing is logged for them. The folders
    // of the renames wait for the next Commit or Finish. False when stopped. The group is empty
    // afterwards.
    bool Commit(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done);
    // Commit, then returns once the old files it replaced are closed: on a full disk, their space
    // is free for the next files. False when stopped.
    bool CommitToFreeSpace(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done);
    // Flushes the folders of the last renames (and with them the journal, where one flush of their
    // file system serves both), so that every file in place stays so; a folder that cannot be
    // flushed gets a line in `log`. Due before a run reports its outcome.
    void Finish(TLogSink& log);

private:
    struct TMember;
    // Fails a member with `line` (its last) for the reason.
    void Fail(TMember& member, const std::string& line);
    // Fails a member before its rename; it no longer waits for one.
    void Refuse(TMember& member, const std::string& line);
    // Refuses a member whose old state the journal could not take.
    void RefuseUnjournaled(TMember& member, const std::exception& error);
    // Tells the journal that a member it recorded stays as it was.
    void NoteUnchanged(TMember& member);
    std::unique_ptr<TFolderReplace> OpenForReplace(const TFilePlan& plan) const;
    TSharedFolder OpenFolder(const std::string& dir) const;
    void FlushNewFiles();
    void FlushJournal();
    void FlushWaitingFolders(std::vector<std::string>& notes);
    void RenameIntoPlace(TMember& member);
    void FolderDoneAfter(TMember& member, std::vector<std::string>& notes);
    void EveryFolderLeftDone(TLogSink& log);

    TRunJournal* journal_;
    TLeftoverIndex* leftovers_;
    std::vector<TMember> members_;
    std::size_t waiting_ = 0;  // members waiting for their rename
    int64_t bytes_ = 0;        // of the new files written
    std::size_t maxFiles_;
    // The folders open for saves, by the path they were opened by: the saves in one share it.
    mutable std::mutex openedMutex_;
    mutable std::map<std::string, std::weak_ptr<const TOpenFolder>> opened_;
    // Per folder (device, inode): the stores in it still to be renamed, and whether one was.
    struct TFolderState {
        TSharedFolder Folder;
        std::size_t Left = 0;
        bool Renamed = false;
    };
    std::map<std::pair<dev_t, ino_t>, TFolderState> folders_;
    // Folders whose renames are not yet on disk.
    std::vector<TSharedFolder> unflushedFolders_;
    // Closes the old files of the group's saves (declared last: its threads are done before the
    // rest goes).
    TBackgroundClose oldFiles_;
};

}  // namespace parvex
