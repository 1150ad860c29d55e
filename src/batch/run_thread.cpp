#include "batch/run_thread.h"

namespace parvex {

TRunThread::~TRunThread() {
    AskStop();
    if (thread_.joinable()) thread_.join();
}

void TRunThread::Start(TJob job) {
    stop_ = false;
    done_ = false;
    error_ = nullptr;
    {
        const std::lock_guard lock(mutex_);
        lines_.clear();
        progress_ = {};
    }
    thread_ = std::thread([this, job = std::move(job)] {
        try {
            job(*this);
        } catch (...) {
            error_ = std::current_exception();
        }
        done_ = true;
    });
}

void TRunThread::Finish() {
    if (thread_.joinable()) thread_.join();
    if (const std::exception_ptr error = std::exchange(error_, nullptr)) std::rethrow_exception(error);
}

void TRunThread::AskStop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    released_.notify_all();
}

void TRunThread::Hold(bool held) {
    {
        const std::lock_guard lock(mutex_);
        held_ = held;
    }
    released_.notify_all();
}

void TRunThread::Report(const std::string& step, const TRunProgress& at) {
    std::unique_lock lock(mutex_);
    progress_ = {step, at};
    released_.wait(lock, [this] { return !held_ || stop_; });
}

TRunControl TRunThread::Control(const std::string& step) {
    TRunControl control;
    control.Stop = &stop_;
    control.Progress = [this, step](const TRunProgress& at) { Report(step, at); };
    return control;
}

void TRunThread::AddLine(const std::string& line) {
    const std::lock_guard lock(mutex_);
    lines_.push_back(line);
}

std::vector<std::string> TRunThread::TakeLines() {
    const std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
}

TRunThread::TShownProgress TRunThread::Progress() const {
    const std::lock_guard lock(mutex_);
    return progress_;
}

}  // namespace parvex
