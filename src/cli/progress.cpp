#include "cli/progress.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "text/text_utils.h"

namespace parvex::cli {

namespace {

constexpr char kEraseLine[] = "\r\033[K";

}  // namespace

TProgressBar::TProgressBar(std::ostream& terminal, bool enabled, int columns, TClock clock)
    : terminal_(terminal), enabled_(enabled), columns_(columns), clock_(std::move(clock)), start_(clock_()) {}

TProgressBar::~TProgressBar() { Hide(); }

void TProgressBar::Scanning(std::size_t found) {
    Show("parvex-cli: scanning, " + std::to_string(found) + " files found");
}

void TProgressBar::Working(std::size_t done, std::size_t total) { Show(WorkingLine(done, total, columns_)); }

void TProgressBar::Hide() {
    if (!shown_) return;
    terminal_ << kEraseLine << std::flush;
    shown_ = false;
}

std::string TProgressBar::WorkingLine(std::size_t done, std::size_t total, int columns) {
    const std::size_t percent = total == 0 ? 100 : done * 100 / total;
    const std::string count = "parvex-cli: " + std::to_string(done) + "/" + std::to_string(total) + " files ";
    const std::string share = std::to_string(percent) + "%";
    // The bar takes what the terminal line leaves, less one column so the cursor never wraps.
    const int width = columns - static_cast<int>(count.size() + 5) - 3;
    if (width < 10) return (count + share).substr(0, static_cast<std::size_t>(std::max(columns - 1, 0)));
    const auto barWidth = static_cast<std::size_t>(width);
    const std::size_t filled = total == 0 ? barWidth : done * barWidth / total;
    std::string bar(barWidth, ' ');
    std::fill_n(bar.begin(), filled, '=');
    if (filled < bar.size() && filled > 0) bar[filled - 1] = '>';
    return count + "[" + bar + "]" + std::string(5 - share.size(), ' ') + share;
}

void TProgressBar::Show(const std::string& line) {
    if (!enabled_) return;
    const auto now = clock_();
    if (now - start_ < kDelay) return;
    if (shown_ && now - lastDrawn_ < kInterval) return;
    terminal_ << kEraseLine << line << std::flush;
    lastDrawn_ = now;
    shown_ = true;
}

void TStreamLog::AddLine(const std::string& line) {
    if (io_.OutIsTerminal) progress_.Hide();
    io_.Out << EscapedControls(line) << '\n';
    if (io_.OutIsTerminal) io_.Out.flush();
}

void ReportFailure(TStreams& io, TProgressBar& progress, const std::string& message) {
    progress.Hide();
    io.Out.flush();  // keeps the log and the errors in order where both go to one file
    io.Err << "parvex-cli: " << EscapedControls(message) << '\n';
}

TPrintedRun::TPrintedRun(TStreams& io)
    : TRunSink(&TSignalStop::Asked()), io_(io), progress_(io.Err, io.ErrIsTerminal, io.Columns), log_(io, progress_) {}

void TPrintedRun::Progress(TRunStep step, const TRunProgress& at) {
    if (step == TRunStep::Scanning)
        progress_.Scanning(at.Done);
    else
        progress_.Working(at.Done, at.Total);
}

void TPrintedRun::FileDone(const TFilePlan& plan, TFileOutcome outcome, const std::string& why) {
    if (outcome == TFileOutcome::Failed) ReportFailure(io_, progress_, EscapedName(plan.Path) + ": " + why);
}

void TPrintedRun::Finish() {
    progress_.Hide();
    io_.Out.flush();
}

}  // namespace parvex::cli
