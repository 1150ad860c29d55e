#pragma once
// A folder mounted over sshfs from an sshd of the test's own on 127.0.0.1, with host and user keys
// made for the test: a FUSE file system whose folder listings give no inode numbers (4294967295),
// as a music folder mounted from another machine does. Needs root, /dev/fuse, sshd and sshfs;
// tests skip with Why() where the mount cannot be made.

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace parvex::test {

class SshfsMount {
public:
    // Mounts the folder `remote` (which must exist) as the server holds it.
    explicit SshfsMount(std::filesystem::path remote);
    // Unmounts the folder and stops the sshd.
    ~SshfsMount();
    SshfsMount(const SshfsMount&) = delete;
    SshfsMount& operator=(const SshfsMount&) = delete;

    bool Mounted() const { return mounted_; }
    // Why the folder could not be mounted.
    const std::string& Why() const { return why_; }
    // The mounted folder: the remote folder as the client sees it.
    std::filesystem::path Path() const { return dir_.Path() / "mnt"; }

private:
    bool StartServer();
    bool Mount();

    std::filesystem::path remote_;
    TempDir dir_;  // keys, the server's configuration and log, the mount point
    int port_ = 0;
    pid_t server_ = 0;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace parvex::test
