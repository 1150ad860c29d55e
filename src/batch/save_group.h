#pragma once
// Carrying out the plans of a batch run a group of files at a time. The new version of each file of
// the group is written beside the old one, then all are flushed to disk together, the journal
// records the group's old states on disk, and only then is each renamed over its old file (still
// checked to be the planned file), and each folder flushed once. A killed run so leaves only whole
// old or whole new files, and flushes cost once per group, not once per file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "batch/file_plan.h"
#include "batch/log_sink.h"
#include "ogg/comment_writer.h"

namespace parvex {

class TOggVorbis;
class TRunJournal;

// How many files (or bytes of new files) a group holds at most.
inline constexpr std::size_t kGroupFiles = 64;
inline constexpr int64_t kGroupBytes = int64_t{64} << 20;

class TSaveGroup {
public:
    // Files are read through `file`; `journal` (may be null) records old states; `leftovers` (may be
    // null) is the run's index of leftovers of killed saves.
    TSaveGroup(TOggVorbis& file, TRunJournal* journal, TLeftoverIndex* leftovers);
    ~TSaveGroup();
    TSaveGroup(const TSaveGroup&) = delete;
    TSaveGroup& operator=(const TSaveGroup&) = delete;

    // Takes the plan (which must outlive the group) in: a file no longer as planned is refused, a
    // file to store gets its new version written beside it, and the journal gets its old state. A
    // failure refuses that file only, which stays as it was.
    void Add(const TFilePlan& plan);
    // Whether the group is to be committed now: it is full, or nothing in it waits for a rename (a
    // file left alone is then logged at once).
    bool Ready() const;

    using TFileDone = std::function<void(const TFilePlan&, TFileOutcome)>;
    // Flushes the new files and the journal, then for each file in order: `stop` is looked at, the
    // file is renamed into place (or renamed, for a rename), its lines are logged and `done` is
    // called. A stop abandons the files from there on: their new files are removed, the old ones
    // stay as they were, and nothing is logged for them. Each touched folder is flushed once, after
    // its last rename. False when stopped. The group is empty afterwards.
    bool Commit(TLogSink& log, const std::function<bool()>& stop, const TFileDone& done);

private:
    struct TMember;
    void Refuse(TMember& member, const std::string& line);
    void FlushNewFiles();
    void FlushJournal();
    void RenameIntoPlace(TMember& member);
    void FlushFolderAfter(TMember& member, std::vector<std::string>& notes);
    void FlushEveryFolderLeft(TLogSink& log);

    TOggVorbis& file_;
    TRunJournal* journal_;
    TLeftoverIndex* leftovers_;
    std::vector<TMember> members_;
    std::size_t waiting_ = 0;  // members waiting for their rename
    int64_t bytes_ = 0;        // of the new files written
    std::size_t maxFiles_;
    // Per folder (device, inode): the stores in it still to be renamed, and whether one was.
    struct TFolderState {
        std::size_t Left = 0;
        bool Renamed = false;
    };
    std::map<std::pair<dev_t, ino_t>, TFolderState> folders_;
};

}  // namespace parvex
