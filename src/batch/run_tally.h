#pragma once
// Counts what a batch run did and says it in the run's closing line, so that a run over thousands
// of files ends with its result where the user looks first: the last line of the log.

#include <string>

#include "batch/tag_record.h"

namespace parvex {

class TRunTally {
public:
    void Count(TFileOutcome outcome);
    // A folder the scan could not read: its files were never reached.
    void CountUnreadableFolder() { ++unreadableFolders_; }

    // "Done: 3 files changed, 1 left unchanged, 0 failed.", followed by " 1 folder could not be
    // read." when the scan met one.
    std::string SummaryLine() const;
    // Whether any file or folder failed.
    bool AnyFailed() const { return failed_ > 0 || unreadableFolders_ > 0; }

    int Changed() const { return changed_; }
    int Unchanged() const { return unchanged_; }
    int Failed() const { return failed_; }

private:
    int changed_ = 0;
    int unchanged_ = 0;
    int failed_ = 0;
    int unreadableFolders_ = 0;
};

// The log line of a folder the scan could not read: "Cannot read folder /music/closed/: permission
// denied".
std::string UnreadableFolderLine(const std::string& folder, const std::string& reason);

}  // namespace parvex
