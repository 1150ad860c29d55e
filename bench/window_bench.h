#pragma once
// What the window's benchmarks share: a folder of their own, which the runs they start keep their
// settings and journals in instead of the user's, and a watch on the window's event loop.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "support/temp_dir.h"

namespace parvex::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A temporary folder (below $TMPDIR) that is also the runs' settings and state folder.
class TBenchRoot : public test::TempDir {
public:
    TBenchRoot() {
        setenv("XDG_CONFIG_HOME", (Path() / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (Path() / "state").c_str(), 1);
    }
};

// The longest time the event loop kept a timer of 5 ms waiting, from Start to Stop.
class TEventLoopWatch {
public:
    TEventLoopWatch() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (sinceTick_.isValid()) longest_ = std::max(longest_, sinceTick_.elapsed());
            sinceTick_.start();
        });
    }
    void Start() { timer_.start(5); }
    // The longest wait, in milliseconds.
    qint64 Stop() {
        timer_.stop();
        return longest_;
    }

private:
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
};

}  // namespace parvex::bench
