#include "cli/save_signals.h"

#include <csignal>

#include "ogg/folder_replace.h"

namespace parvex::cli {

namespace {

void StopSaving(int signal) {
    RemoveCurrentTempFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void RemoveTempFileOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = StopSaving;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace parvex::cli
