#pragma once
// A one-line progress display on a terminal: "parvex-cli: 412/1000 files [=====>     ]  41%".
//
// It stays invisible for the first moment of a run, so quick runs print nothing, and is redrawn at
// most ten times a second. Output that shares the terminal line must call Hide first; the next
// update draws the line again below that output.

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "batch/log_sink.h"
#include "batch/run_door.h"
#include "cli/cli.h"
#include "cli/save_signals.h"

namespace parvex::cli {

class TProgressBar {
public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kDelay{500};
    static constexpr std::chrono::milliseconds kInterval{100};

    // Draws on `terminal` only when `enabled` (the stream is a terminal); `columns` is the
    // terminal's width.
    TProgressBar(std::ostream& terminal, bool enabled, int columns = 80,
                 TClock clock = std::chrono::steady_clock::now);
    ~TProgressBar();
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    // While the folders are walked: how many files were found so far.
    void Scanning(std::size_t found);
    // While the files are worked on: `done` of `total`.
    void Working(std::size_t done, std::size_t total);
    // Erases the line if it is shown.
    void Hide();

    // The text of the line for `done` of `total` in `columns` characters.
    static std::string WorkingLine(std::size_t done, std::size_t total, int columns);

private:
    void Show(const std::string& line);

    std::ostream& terminal_;
    bool enabled_;
    int columns_;
    TClock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDrawn_;
    bool shown_ = false;
};

// Prints a run's log lines on standard output (control characters escaped), above the progress bar
// when both share the terminal.
class TStreamLog : public TLogSink {
public:
    TStreamLog(TStreams& io, TProgressBar& progress) : io_(io), progress_(progress) {}
    void AddLine(const std::string& line) override;

private:
    TStreams& io_;
    TProgressBar& progress_;
};

// Names a failed file or folder on standard error ("parvex-cli: MESSAGE", control characters
// escaped), after the log lines printed so far, with the progress bar out of the way.
void ReportFailure(TStreams& io, TProgressBar& progress, const std::string& message);

// A batch run or an undo shown on the command line: the log on standard output, each failed file or
// folder named on standard error, a progress bar on a terminal. While it lives, the first SIGINT,
// SIGTERM, SIGHUP or SIGPIPE stops the run between two files (TSignalStop).
class TPrintedRun final : public TRunSink {
public:
    explicit TPrintedRun(TStreams& io);

    void AddLine(const std::string& line) override { log_.AddLine(line); }
    void Progress(TRunStep step, const TRunProgress& at) override;
    void FileDone(const TFilePlan& plan, TFileOutcome outcome, const std::string& why) override;
    void FolderUnreadable(const std::string& line) override { ReportFailure(io_, progress_, line); }

    // Takes the progress bar away and sends the log out, once the run has ended.
    void Finish();

private:
    TStreams& io_;
    TSignalStop signalStop_;
    TProgressBar progress_;
    TStreamLog log_;
};

}  // namespace parvex::cli
