#pragma once
// The desktop as the Qt toolkit provides it: QMessageBox, QFileDialog and the application's override
// cursor.

#include <QStringList>

#include "app/platform/platform.h"

namespace parvex {

class TQtPlatform final : public TPlatform {
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
};

// Turns a "description|masks|description|masks" filter into Qt name filters, one per pair:
// "csv (*.csv)|*.CSV|" gives "csv (*.CSV)". Masks separated by ";" become one filter of several
// patterns. Qt matches them without regard to letter case.
QStringList QtNameFilters(const std::string& filter);

}  // namespace parvex
