#pragma once
// Where batch routines report: one call per log line. The window appends to its log memo,
// the command-line tool prints, tests collect.

#include <string>
#include <vector>

namespace parvex {

class TLogSink {
public:
    virtual ~TLogSink() = default;
    virtual void AddLine(const std::string& line) = 0;
};

// Keeps every line in order; used by tests and by callers that show the log afterwards.
class TLineLog : public TLogSink {
public:
    void AddLine(const std::string& line) override { Lines.push_back(line); }
    std::vector<std::string> Lines;
};

}  // namespace parvex
