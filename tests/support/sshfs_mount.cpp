#include "support/sshfs_mount.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <utility>

#include "support/shell.h"

namespace parvex::test {

namespace {

constexpr const char* kServer = "/usr/sbin/sshd";

// A port of 127.0.0.1 that no one listens on now, as the system hands out for port 0.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

std::string UserName() {
    const passwd* user = ::getpwuid(::geteuid());
    return user ? user->pw_name : "root";
}

}  // namespace

SshfsMount::SshfsMount(std::filesystem::path remote) : remote_(std::move(remote)) {
    if (::geteuid() != 0) {
        why_ = "the test's sshd needs root";
    } else if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        why_ = "FUSE is not available (no /dev/fuse)";
    } else if (::access(kServer, X_OK) != 0 || !ToolInstalled("sshfs") || !ToolInstalled("ssh-keygen")) {
        why_ = "sshd, sshfs or ssh-keygen is not installed (openssh-server, sshfs)";
    } else {
        mounted_ = StartServer() && Mount();
    }
}

SshfsMount::~SshfsMount() {
    int status = 0;
    if (mounted_)
        RunCommand("fusermount3 -u " + ShellQuote(Path().string()) + " 2>&1 || umount -l " +
                       ShellQuote(Path().string()) + " 2>&1",
                   status);
    if (server_ > 0) ::kill(server_, SIGTERM);
}

// The server knows only the key made here, listens on 127.0.0.1 alone and serves sftp in process.
bool SshfsMount::StartServer() {
    const std::string dir = dir_.Path().string();
    port_ = FreePort();
    std::ofstream(dir_.Path() / "sshd_config")
        << "ListenAddress 127.0.0.1\nPort " << port_ << "\nHostKey " << dir
        << "/host_key\nAuthorizedKeysFile " << dir
        << "/user_key.pub\nPasswordAuthentication no\n"
           "KbdInteractiveAuthentication no\nPermitRootLogin "
           "prohibit-password\nUsePAM no\nStrictModes no\nPidFile none\n"
           "Subsystem sftp internal-sftp\n";
    int status = 0;
    const std::string q = ShellQuote(dir);
    std::string out =
        RunCommand("mkdir -p /run/sshd && ssh-keygen -q -t ed25519 -N '' -f " + q +
                       "/host_key 2>&1 && ssh-keygen -q -t ed25519 -N '' -f " + q + "/user_key 2>&1",
                   status);
    if (status != 0) {
        why_ = "cannot make the keys: " + out;
        return false;
    }
    // The server is stopped by the destructor, or by a watcher once this process is gone (a test
    // that crashes never reaches the destructor).
    out = RunCommand(
        std::string(kServer) + " -D -e -f " + q + "/sshd_config > " + q + "/sshd.log 2>&1 & echo $!", status);
    server_ = static_cast<pid_t>(std::atoi(out.c_str()));
    const std::string mnt = ShellQuote(Path().string());
    RunCommand("(while kill -0 " + std::to_string(::getpid()) + "; do sleep 1; done; fusermount3 -u -z " +
                   mnt + "; kill " + std::to_string(server_) + "; rm -rf " + q + ") > /dev/null 2>&1 &",
               status);
    for (int tries = 0; tries < 100 && !Accepts(port_); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (server_ <= 0 || !Accepts(port_)) {
        why_ = "the test's sshd did not start: " + RunCommand("cat " + q + "/sshd.log", status);
        return false;
    }
    return true;
}

bool SshfsMount::Mount() {
    std::filesystem::create_directories(Path());
    const std::string dir = dir_.Path().string();
    int status = 0;
    const std::string out =
        RunCommand("sshfs -p " + std::to_string(port_) + " -o " +
                       ShellQuote("IdentityFile=" + dir +
                                  "/user_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,"
                                  "BatchMode=yes") +
                       " " + ShellQuote(UserName() + "@127.0.0.1:" + remote_.string()) + " " +
                       ShellQuote(Path().string()) + " 2>&1",
                   status);
    if (status != 0) why_ = "sshfs cannot mount the folder: " + out;
    return status == 0;
}

}  // namespace parvex::test
