#include "support/address_space.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace parvex::test {

namespace {

std::size_t AddressSpace() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

int RunWithinAddressSpace(std::size_t extra, const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::size_t limit = AddressSpace() + extra;
        const rlimit space{limit, limit};
        if (setrlimit(RLIMIT_AS, &space) != 0) _exit(3);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace parvex::test
