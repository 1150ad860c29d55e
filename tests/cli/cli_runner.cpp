#include "cli_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "support/temp_dir.h"

namespace parvex::test {

namespace {

// In the forked child: gives up root for `user`; false when that fails.
bool BecomeUser(uid_t user) {
    const passwd* entry = getpwuid(user);
    const gid_t group = entry != nullptr ? entry->pw_gid : user;
    return setgroups(0, nullptr) == 0 && setgid(group) == 0 && setuid(user) == 0;
}

// The runs a test starts keep their journals in a folder of the test process's own unless the test
// names one: never in the user's own state folder, whose undo history the tests would crowd out, and
// which another test process running at the same time would share.
void KeepJournalsApart() {
    static const TempDir state;
    if (std::getenv("XDG_STATE_HOME") == nullptr) setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
}

CliResult Run(const std::vector<std::string>& args, std::optional<uid_t> user, const std::string* input) {
    KeepJournalsApart();
    TempDir capture;
    const std::string out = (capture.Path() / "out").string();
    const std::string err = (capture.Path() / "err").string();
    int pipeEnds[2] = {-1, -1};
    if (input && pipe(pipeEnds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (input) close(pipeEnds[1]);
        const int in = input ? pipeEnds[0] : open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0 || dup2(in, 0) < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(127);
        if (user && !BecomeUser(*user)) _exit(127);
        std::vector<char*> argv{const_cast<char*>(PARVEX_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(PARVEX_CLI, argv.data());
        _exit(127);
    }
    if (input) {
        std::signal(SIGPIPE, SIG_IGN);  // a program that stops reading must not end the test
        close(pipeEnds[0]);
        const std::size_t half = input->size() / 2;
        bool written = write(pipeEnds[1], input->data(), half) == static_cast<ssize_t>(half);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const std::size_t rest = input->size() - half;
        written = written && write(pipeEnds[1], input->data() + half, rest) == static_cast<ssize_t>(rest);
        close(pipeEnds[1]);
        if (!written) return {};
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, std::optional<uid_t> user) {
    return Run(args, user, nullptr);
}

CliResult RunCliWithInput(const std::vector<std::string>& args, const std::string& input) {
    return Run(args, std::nullopt, &input);
}

std::optional<uid_t> NobodyUser() {
    const passwd* entry = getpwnam("nobody");
    if (entry == nullptr) return std::nullopt;
    return entry->pw_uid;
}

}  // namespace parvex::test
