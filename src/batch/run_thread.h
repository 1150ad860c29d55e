#pragma once
// A batch job on a thread of its own, for a front end that must keep answering meanwhile (the
// window). The job logs into the run (it is the job's log sink) and reports its progress through
// Control(); the front end takes the lines and the progress whenever it looks, and asks for a stop,
// which the job sees between files.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/batch_run.h"
#include "batch/log_sink.h"

namespace parvex {

class TRunThread final : public TLogSink {
public:
    using TJob = std::function<void(TRunThread& run)>;

    // What the front end shows: the step the job is at ("Reading", "Writing") and how far it got.
    struct TShownProgress {
        std::string Step;
        TRunProgress At;
    };

    TRunThread() = default;
    // Asks a job still running to stop and waits for it.
    ~TRunThread() override;
    TRunThread(const TRunThread&) = delete;
    TRunThread& operator=(const TRunThread&) = delete;

    // Starts `job` on a new thread. The job before it must have been finished (Finish).
    void Start(TJob job);
    // Whether a job was started and not finished yet.
    bool Running() const { return thread_.joinable(); }
    // Whether the job has returned (or raised); Finish then returns at once.
    bool Done() const { return done_; }
    // Waits for the job, then raises again what the job raised, if anything.
    void Finish();

    // The job stops before its next file; a held job is released to see it.
    void AskStop();
    bool StopAsked() const { return stop_; }
    // While held, the job waits in the progress report made before each file begins: nothing new is
    // read or written until it is released or asked to stop (the reported file is then the last).
    void Hold(bool held);
    // The flag AskStop sets, for a job's sink (TRunSink).
    const std::atomic<bool>& StopFlag() const { return stop_; }
    // The job is at `at` of `step`; it waits here while held.
    void Report(const std::string& step, const TRunProgress& at);
    // The control a job hands to PlanRun or ApplyRun: the stop flag, and the progress reported
    // under `step`.
    TRunControl Control(const std::string& step);

    // The job's log lines, kept until taken.
    void AddLine(const std::string& line) override;
    // The lines logged since the last call, in order.
    std::vector<std::string> TakeLines();
    TShownProgress Progress() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool held_ = false;
    std::vector<std::string> lines_;
    TShownProgress progress_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace parvex
