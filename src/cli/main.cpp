#include <sys/ioctl.h>
#include <unistd.h>

#include <iostream>

#include "batch/run_memory.h"
#include "cli/cli.h"
#include "cli/save_signals.h"

namespace {

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

}  // namespace

int main(int argc, char** argv) {
    parvex::KeepFreedMemoryForRuns();
    parvex::cli::RemoveTempFileOnSignals();
    parvex::cli::TStreams io{std::cout, std::cerr};
    io.OutIsTerminal = isatty(STDOUT_FILENO) == 1;
    io.ErrIsTerminal = isatty(STDERR_FILENO) == 1;
    if (io.ErrIsTerminal) io.Columns = TerminalColumns();
    const int status = parvex::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), io);
    std::cout.flush();
    parvex::cli::EndByStopSignal();
    return status;
}
