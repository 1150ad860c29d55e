#pragma once
// TFindFile: walks folders, optionally into every subfolder, tests each entry against a set of
// filters and reports each match through OnFound, then the end of the walk through OnComplete.
//
// By default the walk runs inside Search, in the caller's thread, and every event is raised there
// in walk order. With Threaded set and an event hand-over given, Search starts a worker and returns
// at once; the worker hands every event to the thread that owns the component and waits until its
// handler has returned, so handlers never run concurrently with the owner's own code.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "scan/date_time.h"
#include "scan/dir_entry.h"

namespace parvex {

class EFindFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// How a worker reaches the thread that owns its component: Post queues a task to run there later,
// in posting order, and returns at once. It is called from the worker thread. Tasks must run on
// the owner thread, never inside Post; a task left unrun when the component is destroyed is
// harmless. The window implements it with its event loop, tests with a queue.
class TEventHandOver {
public:
    virtual ~TEventHandOver() = default;
    virtual void Post(std::function<void()> task) = 0;
};

class TSearchThread;
struct TOwnerLink;

class TFindFile {
public:
    using TFoundEvent = std::function<void(TFindFile& sender, const std::string& folder, const DirEntry& fileInfo)>;
    // `ignoreFolder` comes in false; setting it skips the folder with its whole tree.
    using TNewFolderEvent = std::function<void(TFindFile& sender, const std::string& folder, bool& ignoreFolder)>;
    using TNotifyEvent = std::function<void(TFindFile& sender)>;
    // `reason` says why in words: "permission denied", "file name too long".
    using TFolderErrorEvent =
        std::function<void(TFindFile& sender, const std::string& folder, const std::string& reason)>;

    TFindFile();
    // Stops a running worker and waits for it; no event is raised from then on.
    ~TFindFile();
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    // One or more masks separated by ";" (see CompleteMask and MatchesFileName).
    std::string Filename = "*.*";
    // When not empty, replaces Location x Filename: each line is a folder-plus-mask target.
    std::vector<std::string> IncludeFiles;
    // Masks (optionally with a folder part) of entries to refuse, see MatchesMask.
    std::vector<std::string> ExcludeFiles;
    bool Subfolders = true;
    // Attributes an entry may carry; without ExactAttribute an entry passes when its set is empty or
    // shares a member with this one, with it only when the sets are equal. So by default a plain
    // folder is refused and a hidden or read-only one passes.
    TFileAttributes Attributes = ffArchive | ffReadonly | ffHidden | ffSystem;
    bool ExactAttribute = false;
    // Date limits in local time, each inclusive, 0 for none (see InDateRange).
    TDateTime ModifiedBefore = 0, ModifiedAfter = 0;
    TDateTime CreatedBefore = 0, CreatedAfter = 0;
    TDateTime AccessedBefore = 0, AccessedAfter = 0;
    // Size limits in bytes for files, each inclusive, 0 for none.
    std::int32_t SizeMin = 0, SizeMax = 0;
    // When not empty, only files holding this text are reported.
    std::string Containing;
    bool IgnoreCase = true;
    // False for a caller that takes only a found file's name, kind and identity: a file then is
    // not looked up unless a filter needs its size, times or mode, and OnFound gets its Size and
    // times as 0 and no ffReadonly (see TSearchCriteria::Details).
    bool Details = true;
    // Run the walk in a worker thread (needs an event hand-over, see SetEventHandOver).
    bool Threaded = false;

    TFoundEvent OnFound;
    TNewFolderEvent OnNewFolder;
    // Raised for a folder of the walk that cannot be listed (a location or subfolder without read
    // permission, a path too long to open, a read error) or whose entries cannot be examined: its
    // files are not reported, and the walk goes on with the next folder.
    TFolderErrorEvent OnFolderError;
    // Raised once when a walk has ended, for any reason. Busy is already false, so the handler may
    // start the next search.
    TNotifyEvent OnComplete;

    // One or more folders separated by ";"; empty means the current folder.
    const std::string& Location() const { return location_; }
    // Throws EFindFileError when `location` holds "*" or "?", keeping the old value.
    void SetLocation(const std::string& location);

    TThreadPriority ThreadPriority() const { return priority_; }
    // Applied at once to a running worker too. Raising the priority above normal needs privileges;
    // without them the worker keeps its priority.
    void SetThreadPriority(TThreadPriority priority);

    // Where a worker hands its events; not owned, and must outlive the component. Without one,
    // Threaded has no effect and the walk runs in the caller's thread.
    void SetEventHandOver(TEventHandOver* handOver) { handOver_ = handOver; }

    // Starts a search with a snapshot of the properties; does nothing while Busy. Without a worker it
    // returns after OnComplete. An error inside the walk (a handler's included) ends the walk, sets
    // Aborted and is not reported. An error of the OnComplete handler passes to the caller of Search,
    // or in worker mode to whatever runs the hand-over's task.
    void Search();

    bool Busy() const { return busy_; }
    // Whether the last walk ended because of an error.
    bool Aborted() const { return aborted_; }

private:
    friend class TSearchThread;

    void DoFound(const std::string& folder, const DirEntry& entry);
    bool DoNewFolder(const std::string& folder);
    void DoFolderError(const std::string& folder, int error);
    void DoComplete();
    void WorkerEnded(bool aborted);

    std::string location_;
    std::string foundFolder_, strippedFolder_;  // of the last file found: as the walk gives it, stripped
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    TEventHandOver* handOver_ = nullptr;
    bool busy_ = false;
    bool aborted_ = false;
    bool destroying_ = false;
    std::shared_ptr<TOwnerLink> link_;
    std::unique_ptr<TSearchThread> worker_;
};

// `folder` without its trailing "/", except for the root "/" itself, which keeps it.
std::string StripTrailingBackslash(const std::string& folder);

}  // namespace parvex
