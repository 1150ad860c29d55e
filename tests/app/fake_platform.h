#pragma once
// A platform that shows nothing: it records every message box and question, answers the choosers
// and the questions from a script and counts the wait-cursor and pending-message calls, so a test
// never waits on a modal window.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/platform.h"

namespace parvex::test {

struct TShownMessage {
    TMessageKind kind;
    std::string text;
    bool operator==(const TShownMessage&) const = default;
};

class TFakePlatform final : public TPlatform {
public:
    void ShowMessage(TMessageKind kind, const std::string& text) override;
    bool Confirm(const std::string& question) override;
    std::optional<std::string> ChooseDirectory(const std::string& start) override;
    std::optional<std::string> ChooseOpenFile(const std::string& filter,
                                              const std::string& fileName) override;
    std::optional<std::string> ChooseSaveFile(const std::string& filter,
                                              const std::string& fileName) override;
    TSaveChoice AskSaveChanges(const std::string& question) override;
    bool ShowPlan(const std::vector<TPreviewRow>& rows) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void ProcessPendingMessages() override;

    // Answers of the next chooser calls, first to last; a chooser with no answer left cancels.
    std::deque<std::optional<std::string>> chooserAnswers;
    // When set, the choosers raise std::runtime_error with this message instead of answering.
    std::optional<std::string> chooserRaises;

    // Answers of the next questions, first to last; a question with no answer left is answered No.
    std::deque<bool> confirmAnswers;
    // When set, runs while a question is open, before it is answered.
    std::function<void()> whileAsking;
    // Answers of the next "Save changes" questions, first to last; with none left the answer is Cancel.
    std::deque<TSaveChoice> saveAnswers;

    // Answers of the next previews (true: Apply), first to last; with none left the answer is Cancel.
    std::deque<bool> planAnswers;
    std::vector<std::vector<TPreviewRow>> shownPlans;

    std::vector<TShownMessage> messages;
    std::vector<std::string> questions;
    std::vector<std::string> directoryChooserStarts;
    std::vector<std::pair<std::string, std::string>> openFileRequests;  // filter, file name
    std::vector<std::pair<std::string, std::string>> saveFileRequests;  // filter, file name
    int waitCursorDepth = 0;
    int waitCursorShown = 0;
    int pendingMessageRuns = 0;

private:
    std::optional<std::string> NextAnswer();
};

}  // namespace parvex::test
