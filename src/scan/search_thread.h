#pragma once
// The worker of a threaded TFindFile search. Internal to the scan unit.

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "scan/find_file.h"
#include "scan/search_walk.h"

namespace parvex {

// The owner's side of the tie between a component and the tasks its workers post: Owner is cleared
// when the component is destroyed, so a task that runs later does nothing. Touched only on the
// owner's thread.
struct TOwnerLink {
    TFindFile* Owner = nullptr;
};

// Runs one walk in its own thread; each folder and each match is handed to the owner's thread
// through the hand-over, and the worker waits for the handler. When the walk has ended it posts a
// last task that lets the owner join it and raise OnComplete. The destructor stops the walk (also
// while it waits for a handler) and joins the thread.
class TSearchThread {
public:
    TSearchThread(std::shared_ptr<TOwnerLink> link, TEventHandOver& handOver, TSearchWalk walk,
                  TThreadPriority priority);
    ~TSearchThread();
    TSearchThread(const TSearchThread&) = delete;
    TSearchThread& operator=(const TSearchThread&) = delete;

    void SetPriority(TThreadPriority priority);

private:
    // What the worker and its posted tasks share; outlives the worker when a task is still queued.
    struct TSignal {
        std::mutex Mutex;
        std::condition_variable Changed;
        bool StopRequested = false;
    };

    void Run();
    bool StopRequested() const;
    void RequestStop();
    // Runs `handler` on the owner's thread and waits for it. Returns its result, or false when the
    // worker was stopped meanwhile; rethrows the handler's error.
    bool CallOwner(std::function<bool(TFindFile&)> handler);
    void ApplyPriority();

    std::shared_ptr<TOwnerLink> link_;
    TEventHandOver& handOver_;
    TSearchWalk walk_;
    std::shared_ptr<TSignal> signal_ = std::make_shared<TSignal>();
    std::mutex priorityMutex_;
    TThreadPriority priority_;
    pid_t threadId_ = 0;  // kernel id of the worker once it runs; guarded by priorityMutex_
    std::thread thread_;  // last: started when everything above is ready
};

}  // namespace parvex
