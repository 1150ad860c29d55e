#include "scan/search_thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <exception>

namespace parvex {

namespace {

int NiceValue(TThreadPriority priority) {
    switch (priority) {
        case TThreadPriority::tpIdle: return 19;
        case TThreadPriority::tpLowest: return 10;
        case TThreadPriority::tpLower: return 5;
        case TThreadPriority::tpNormal: return 0;
        case TThreadPriority::tpHigher: return -5;
        case TThreadPriority::tpHighest: return -10;
        case TThreadPriority::tpTimeCritical: return -15;
    }
    return 0;
}

// The result of one handed-over call, written on the owner's thread under the signal's mutex.
struct TOwnerCall {
    bool Done = false;
    bool Result = false;
    std::exception_ptr Error;
};

}  // namespace

TSearchThread::TSearchThread(std::shared_ptr<TOwnerLink> link, TEventHandOver& handOver, TSearchWalk walk,
                             TThreadPriority priority)
    : link_(std::move(link)), handOver_(handOver), walk_(std::move(walk)), priority_(priority),
      thread_(&TSearchThread::Run, this) {}

TSearchThread::~TSearchThread() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void TSearchThread::SetPriority(TThreadPriority priority) {
    std::lock_guard lock(priorityMutex_);
    priority_ = priority;
    if (threadId_ != 0) setpriority(PRIO_PROCESS, static_cast<id_t>(threadId_), NiceValue(priority_));
}

void TSearchThread::ApplyPriority() {
    std::lock_guard lock(priorityMutex_);
    threadId_ = gettid();
    // On Linux a nice value set through a thread id applies to that thread alone.
    if (priority_ != TThreadPriority::tpNormal)
        setpriority(PRIO_PROCESS, static_cast<id_t>(threadId_), NiceValue(priority_));
}

bool TSearchThread::StopRequested() const {
    std::lock_guard lock(signal_->Mutex);
    return signal_->StopRequested;
}

void TSearchThread::RequestStop() {
    {
        std::lock_guard lock(signal_->Mutex);
        signal_->StopRequested = true;
    }
    signal_->Changed.notify_all();
}

bool TSearchThread::CallOwner(std::function<bool(TFindFile&)> handler) {
    auto call = std::make_shared<TOwnerCall>();
    handOver_.Post([link = link_, signal = signal_, call, handler = std::move(handler)] {
        bool result = false;
        std::exception_ptr error;
        if (link->Owner != nullptr) {
            try {
                result = handler(*link->Owner);
            } catch (...) {
                error = std::current_exception();
            }
        }
        std::lock_guard lock(signal->Mutex);
        call->Done = true;
        call->Result = result;
        call->Error = error;
        signal->Changed.notify_all();
    });

    std::unique_lock lock(signal_->Mutex);
    signal_->Changed.wait(lock, [&] { return call->Done || signal_->StopRequested; });
    if (call->Error) std::rethrow_exception(call->Error);
    return call->Done && call->Result;
}

void TSearchThread::Run() {
    ApplyPriority();
    TSearchEvents events;
    // The folder text and the entry are copied into the task, so the handler sees stable values.
    events.NewFolder = [this](const std::string& folder) {
        return CallOwner([folder](TFindFile& owner) { return owner.DoNewFolder(folder); });
    };
    events.Found = [this](const std::string& folder, const DirEntry& entry) {
        CallOwner([folder, entry](TFindFile& owner) {
            owner.DoFound(folder, entry);
            return true;
        });
    };
    events.Stopped = [this] { return StopRequested(); };
    events.FolderError = [this](const std::string& folder, int error) {
        CallOwner([folder, error](TFindFile& owner) {
            owner.DoFolderError(folder, error);
            return true;
        });
    };

    bool aborted = false;
    try {
        walk_.Run(events);
    } catch (...) {
        aborted = true;
    }
    if (StopRequested()) return;  // the owner is going away and wants no more events
    handOver_.Post([link = link_, aborted] {
        if (link->Owner != nullptr) link->Owner->WorkerEnded(aborted);
    });
}

}  // namespace parvex
