#pragma once
// The journal of a batch run, which undo reads. Before a file is changed, its old name and its old
// comments are written to the run's journal file and put on disk (once for a group of files changed
// together, by the flush of the group's whole file system where the journal shares it); after the
// change, what the file looks like now, or that it was left as it was after all. So a run can be
// undone even when the program was killed in the middle of it.
//
// One text file per run, "run-000042.journal", readable and writable by its owner only, in a journal
// folder that only its owner may write; the newest kKeptRuns are kept. Each line is a word and
// tab-separated fields, with "\", tab, LF and CR escaped as "\\", "\t", "\n" and "\r":
//   parvex-journal 2
//   state  FILES UNDONE SUM      fixed width, rewritten in place: how many files the run changed and
//                                whether it was undone, so that a list of runs reads only the head
//   run    OPERATION  STARTED (seconds since 1970)  WHERE  FOLDER...
//   end    LENGTH SUM
//   file   PATH  NEW PATH (empty unless renamed)  DEVICE INODE SIZE MTIME-SEC MTIME-NSEC  COMMENTS
//   old    NAME  VALUE          (the file's comments before, in file order; a change of comments)
//   end    LENGTH SUM
//   done   DEVICE INODE SIZE MTIME-SEC MTIME-NSEC  PATH   (the file after the change)
//   end    LENGTH SUM
//   kept   PATH                 (a file recorded, then left as it was: a stop, a failed write)
//   end    LENGTH SUM
//   undone
//   end    LENGTH SUM
// Every record ends with an "end" line giving its length in bytes and its checksum (TFnvHash
// of its bytes): a record cut short or damaged is never used, and the length finds the next
// whole record after it. COMMENTS is the CommentsDigest of the comments the file holds after the
// run, as the reader takes them from the comment packet written, which recognises the file when its identity changed since (an undo
// of a later run rewrote it). The "file" records of a group of files come before their "done" lines.
//
// Journals of the first version ("parvex-journal 1") are still read: their records have no "end"
// line, so a file's record counts as whole once another record or a "done" line follows it (the
// program wrote each record in one piece before going on); the last record of such a journal, with
// nothing after it, may be cut short and is taken as incomplete.

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_plan.h"
#include "fs/fd_io.h"

namespace parvex {

inline constexpr int kKeptRuns = 20;
// A journal never grows beyond this, and a file named like one that is larger is not read.
inline constexpr int64_t kMaxJournalBytes = int64_t{1} << 30;

// $XDG_STATE_HOME/parvex/, or ~/.local/state/parvex/ when XDG_STATE_HOME is unset or not an
// absolute path.
std::string JournalFolder();

// Why a run could not keep its journal in `folder`, in plain words, or an empty text when it can.
// Makes the folder (and its missing parents) readable and writable by the user only when it is
// missing; a folder that another user owns or may write is refused.
std::string JournalProblem(const std::string& folder);

// What the journal holds of one file the run changed, or may have changed.
struct TJournalEntry {
    std::string Path;     // the file's name before the run; empty when its record lost it
    std::string NewPath;  // where a rename put it; empty when its comments were changed
    FileIdentity Before;
    std::optional<FileIdentity> After;           // missing when the run ended during the change
    std::vector<TWrittenComment> OldComments;  // as read from the file, in file order
    // CommentsDigest of the comments the file holds after the run; missing in some old journals.
    std::optional<uint64_t> CommentsAfter;
    // False when the record was cut short or damaged: then only Path and Before may be known (from
    // its first line, when that is whole), and the file must be left as it is.
    bool Whole = true;
};

struct TJournalRun {
    int Number = 0;
    std::string File;                  // the journal file
    std::string Operation;             // the batch mode or command that ran: "mass", "rename", ...
    int64_t Started = 0;               // seconds since 1970
    std::string Where;                 // the folders of the run, as shown
    std::vector<std::string> Folders;  // the folders of the run; empty in old journals
    // The files the run changed or may have changed, in the order recorded (not those it recorded
    // and then left as they were). Empty in the runs ListRuns gives.
    std::vector<TJournalEntry> Files;
    std::size_t Changed = 0;  // how many such files
    bool Undone = false;
};

class TRunJournal {
public:
    // A journal in `folder` for a run of `operation` over `folders`. Its file is made at the first
    // change, so a run that changes nothing leaves no journal.
    TRunJournal(std::string folder, std::string operation, std::vector<std::string> folders);

    // Writes the file's old name and, for a change of comments, its comments as they are now; Flush
    // must follow before the file changes. Reads the file. Raises std::exception when the journal
    // cannot be written or the file cannot be read.
    void BeforeChange(const TFilePlan& plan);
    // The same with the comments the file holds now (CommentsOf) and the CommentsDigest of those it
    // holds after the change, as the caller read them.
    void BeforeChange(const TFilePlan& plan, const std::vector<TWrittenComment>& oldComments,
                      uint64_t commentsAfter);
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
    void AfterChange(const TFilePlan& plan, const FileIdentity& now);
    // Notes that the file recorded by BeforeChange was left as it was, so that undo and the count
    // of the run's files pass over it. A failure is passed over.
    void Unchanged(const TFilePlan& plan);

    // The run's number; 0 while nothing was changed.
    int Number() const { return number_; }

private:
    void Open();
    void Append(const std::string& record);
    void WriteState();

    std::string folder_, operation_;
    std::vector<std::string> folders_;
    std::optional<TUniqueFd> fd_;  // open from the first change on
    dev_t device_ = 0;             // of the journal file
    int64_t size_ = 0;             // of the journal file
    bool unflushed_ = false;       // lines written since the last flush
    bool nameUnflushed_ = false;   // the new journal file's name is not yet on disk
    int number_ = 0;
    std::size_t recorded_ = 0, kept_ = 0;  // files recorded, and of them left as they were
};

// The comments of a file as read into `info`, in file order, without the vendor string.
std::vector<TWrittenComment> CommentsOf(const FileInfo& info);

// The run in the journal file `path`, read whole; nothing, with the reason in `reason`, when it
// is not a journal of the user's that may be trusted (see ListRuns).
std::optional<TJournalRun> ReadJournal(const std::string& path, std::string* reason = nullptr);

struct TRunList {
    std::vector<TJournalRun> Runs;        // oldest first, from their heads (Files empty)
    std::vector<std::string> PassedOver;  // "FILE: reason" for each file named like a journal not read
    std::string Problem;                  // why the folder cannot be read; empty when it can
};
// The runs kept in `folder`. Only regular files that the user owns and alone may write, at most
// kMaxJournalBytes long and beginning like a journal, are read; others are passed over.
TRunList ListRuns(const std::string& folder);

// Marks the run as undone in its journal file. Raises std::system_error on failure.
void MarkUndone(const TJournalRun& run);

}  // namespace parvex
