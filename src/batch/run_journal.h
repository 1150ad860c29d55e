#pragma once
// The journal of a batch run, which undo reads. Before a file is changed, its old name and its old
// comments are written to the run's journal file and put on disk (once for a group of files changed
// together, by the flush of the group's whole file system where the journal shares it); after the
// change, what the file looks like now. So a run can be undone even when the program was killed in
// the middle of it.
//
// One text file per run, "run-000042.journal", in the journal folder; the newest kKeptRuns are
// kept. Each line is a word and tab-separated fields, with "\", tab, LF and CR escaped as "\\",
// "\t", "\n" and "\r":
//   parvex-journal 1
//   run   OPERATION  STARTED (seconds since 1970)  WHERE
//   file  PATH  NEW PATH (empty unless renamed)  DEVICE INODE SIZE MTIME-SEC MTIME-NSEC
//   old   NAME  VALUE          (the file's comments before, in file order)
//   new   NAME  VALUE          (the comments the run writes)
//   done  DEVICE INODE SIZE MTIME-SEC MTIME-NSEC  PATH   (the file after the change)
//   undone
// The "file" lines of a group of files come before their "done" lines; a "done" line without a
// PATH (journals of earlier versions) belongs to the file just before it. A file's "done" line is
// missing when the run ended during its change.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "ogg/fd_io.h"

namespace parvex {

inline constexpr int kKeptRuns = 20;

// $XDG_STATE_HOME/parvex/, or ~/.local/state/parvex/ when XDG_STATE_HOME is unset or not an
// absolute path.
std::string JournalFolder();

// What the journal holds of one changed file.
struct TJournalEntry {
    std::string Path;     // the file's name before the run
    std::string NewPath;  // where a rename put it; empty when its comments were changed
    TFileStamp Before;
    std::optional<TFileStamp> After;           // missing when the run ended during the change
    std::vector<TWrittenComment> OldComments;  // as read from the file, in file order
    std::vector<TWrittenComment> NewComments;  // as the run wrote them (WrittenComments)
};

struct TJournalRun {
    int Number = 0;
    std::string File;       // the journal file
    std::string Operation;  // the batch mode or command that ran: "mass", "rename", "from-list", ...
    int64_t Started = 0;    // seconds since 1970
    std::string Where;      // the folder of the run
    std::vector<TJournalEntry> Files;
    bool Undone = false;
};

class TRunJournal {
public:
    // A journal in `folder` for a run of `operation` over `where`. Its file is made at the first
    // change, so a run that changes nothing leaves no journal.
    TRunJournal(std::string folder, std::string operation, std::string where);

    // Writes the file's old name and, for a change of comments, its comments as they are now and as
    // the plan writes them; Flush must follow before the file changes. Raises std::exception when
    // the journal cannot be written or the file cannot be read.
    void BeforeChange(const TFilePlan& plan);
    // The same with the comments the file holds now as the caller read them (CommentsOf).
    void BeforeChange(const TFilePlan& plan, const std::vector<TWrittenComment>& oldComments);
    // Puts what was written so far on disk, the journal file's name included. Raises
    // std::system_error when it cannot.
    void Flush();
    // Whether the journal holds lines not yet on disk, on the file system `device`.
    bool UnflushedOn(dev_t device) const;
    // Tells the journal that the whole file system `device` was flushed after its last write: where
    // the journal lives there, it is on disk without a flush of its own.
    void FileSystemFlushed(dev_t device);
    // Notes what the changed file looks like now (on disk with the next Flush). A failure is passed
    // over: undo then recognises the file by its comments.
    void AfterChange(const TFilePlan& plan);
    // The same for a file whose identity after the change the caller knows.
    void AfterChange(const TFilePlan& plan, const TFileStamp& now);

    // The run's number; 0 while nothing was changed.
    int Number() const { return number_; }

private:
    void Open();
    void Append(const std::string& lines);

    std::string folder_, operation_, where_;
    std::optional<TUniqueFd> fd_;  // open from the first change on
    dev_t device_ = 0;             // of the journal file
    bool unflushed_ = false;       // lines written since the last flush
    bool nameUnflushed_ = false;   // the new journal file's name is not yet on disk
    int number_ = 0;
};

// The comments of a file as read into `info`, in file order, without the vendor string.
std::vector<TWrittenComment> CommentsOf(const FileInfo& info);

// The run in the journal file `path`; nothing when it is not a journal. A last line cut short (the
// program was killed while writing it) is passed over.
std::optional<TJournalRun> ReadJournal(const std::string& path);
// Every run kept in `folder`, oldest first.
std::vector<TJournalRun> ListRuns(const std::string& folder);
// Marks the run as undone in its journal file. Raises std::system_error on failure.
void MarkUndone(const TJournalRun& run);

}  // namespace parvex
