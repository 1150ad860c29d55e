#include "fake_platform.h"

#include <stdexcept>

namespace parvex::test {

void TFakePlatform::ShowMessage(TMessageKind kind, const std::string& text) {
    messages.push_back({kind, text});
}

bool TFakePlatform::Confirm(const std::string& question) {
    questions.push_back(question);
    if (whileAsking) whileAsking();
    if (confirmAnswers.empty()) return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

std::optional<std::string> TFakePlatform::ChooseDirectory(const std::string& start) {
    directoryChooserStarts.push_back(start);
    return NextAnswer();
}

std::optional<std::string> TFakePlatform::ChooseOpenFile(const std::string& filter,
                                                         const std::string& fileName) {
    openFileRequests.emplace_back(filter, fileName);
    return NextAnswer();
}

std::optional<std::string> TFakePlatform::ChooseSaveFile(const std::string& filter,
                                                         const std::string& fileName) {
    saveFileRequests.emplace_back(filter, fileName);
    return NextAnswer();
}

bool TFakePlatform::ShowPlan(const std::vector<TPreviewRow>& rows) {
    shownPlans.push_back(rows);
    if (planAnswers.empty()) return false;
    const bool answer = planAnswers.front();
    planAnswers.pop_front();
    return answer;
}

TSaveChoice TFakePlatform::AskSaveChanges(const std::string& question) {
    questions.push_back(question);
    if (saveAnswers.empty()) return TSaveChoice::Cancel;
    const TSaveChoice answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

void TFakePlatform::BeginWaitCursor() {
    ++waitCursorDepth;
    ++waitCursorShown;
}

void TFakePlatform::EndWaitCursor() { --waitCursorDepth; }

void TFakePlatform::ProcessPendingMessages() { ++pendingMessageRuns; }

std::optional<std::string> TFakePlatform::NextAnswer() {
    if (chooserRaises) throw std::runtime_error(*chooserRaises);
    if (chooserAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    return answer;
}

}  // namespace parvex::test
