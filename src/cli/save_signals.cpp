#include "cli/save_signals.h"

#include <csignal>

#include "fs/folder_replace.h"

namespace parvex::cli {

namespace {

std::atomic<bool> runInProgress{false};
std::atomic<bool> stopAsked{false};
std::atomic<int> stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

void StopSaving(int signal) {
    if (runInProgress.load() && !stopAsked.exchange(true)) {
        stopSignal.store(signal);
        return;
    }
    RemoveCurrentTempFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void RemoveTempFileOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction action {};
        action.sa_handler = StopSaving;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

TSignalStop::TSignalStop() { runInProgress.store(true); }

TSignalStop::~TSignalStop() { runInProgress.store(false); }

const std::atomic<bool>& TSignalStop::Asked() { return stopAsked; }

void EndByStopSignal() {
    const int signal = stopSignal.load();
    if (signal == 0) return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace parvex::cli
