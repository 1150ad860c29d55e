#pragma once
// The process's soft limit of open files lowered for a while: a batch run then commits its saves in
// groups of fewer files (see MaxGroupFiles), which lets a test go through several groups quickly.

#include <sys/resource.h>

namespace parvex::test {

// The limit under which a group holds `files` files.
constexpr rlim_t OpenFileLimitForGroupsOf(rlim_t files) { return 64 + 4 * files; }

class TOpenFileLimit {
public:
    explicit TOpenFileLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = soft;
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~TOpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    TOpenFileLimit(const TOpenFileLimit&) = delete;
    TOpenFileLimit& operator=(const TOpenFileLimit&) = delete;

private:
    rlimit saved_{};
};

}  // namespace parvex::test
