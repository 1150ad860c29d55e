#pragma once
// The tool stopped by the user or the system: a batch run ends between two files with its log and
// summary written, and nothing is ever left half-saved.

#include <atomic>

namespace parvex::cli {

// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE (the reader of the log went away) first remove the
// temporary file of the save in progress, if it has a name yet, then take their normal course;
// during a batch run (TSignalStop) the first of them only asks the run to stop.
void RemoveTempFileOnSignals();

// While one lives, the first of those signals sets Asked() instead of ending the process, so
// that the run can stop between two files and report what it did; a second signal ends the process
// at once, as outside a run.
class TSignalStop {
public:
    TSignalStop();
    ~TSignalStop();
    TSignalStop(const TSignalStop&) = delete;
    TSignalStop& operator=(const TSignalStop&) = delete;

    static const std::atomic<bool>& Asked();
};

// After the output is written: a process whose run was stopped by a signal ends by that signal, so
// that the shell or script that started it knows it was interrupted.
void EndByStopSignal();

}  // namespace parvex::cli
