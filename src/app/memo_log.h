#pragma once
// The log sink of the window's batch runs: every line goes to the end of the Log page's memo.

#include <QPlainTextEdit>
#include <string>

#include "batch/log_sink.h"

namespace parvex {

class TMemoLog final : public TLogSink {
public:
    // `memo` receives the lines from now on; it must outlive the sink's use.
    void Attach(QPlainTextEdit& memo) { memo_ = &memo; }
    // Appends `line` to the memo; without a memo the line is dropped.
    void AddLine(const std::string& line) override;

private:
    QPlainTextEdit* memo_ = nullptr;
};

}  // namespace parvex
