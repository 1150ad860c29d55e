#include "batch/run_tally.h"

#include "text/text_utils.h"

namespace parvex {

namespace {

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void TRunTally::Count(TFileOutcome outcome) {
    switch (outcome) {
        case TFileOutcome::Written:
            ++changed_;
            break;
        case TFileOutcome::Skipped:
            ++unchanged_;
            break;
        case TFileOutcome::Failed:
            ++failed_;
            break;
    }
}

std::string TRunTally::SummaryLine() const {
    std::string line = "Done: " + Counted(changed_, "file changed", "files changed") + ", " +
                       std::to_string(unchanged_) + " left unchanged, " + std::to_string(failed_) +
                       " failed.";
    if (unreadableFolders_ > 0)
        line += " " + Counted(unreadableFolders_, "folder", "folders") + " could not be read.";
    return line;
}

std::string UnreadableFolderLine(const std::string& folder, const std::string& reason) {
    return "Cannot read folder " + EscapedName(folder) + ": " + reason;
}

}  // namespace parvex
