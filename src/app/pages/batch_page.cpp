#include "app/pages/batch_page.h"

#include "app/form_builder.h"
#include "scan/find_file.h"

namespace parvex {

TBatchPage::TBatchPage(TPageContext& context, QWidget* parent, const char* objectName, std::string mode)
    : QWidget(parent), context_(context), mode_(std::move(mode)) {
    setObjectName(objectName);
}

void TBatchPage::SetRunGoing(bool going) {
    runGoing_ = going;
    UpdateRunButtons();
}

void TBatchPage::UpdateRunButtons() {
    const bool usable = !runGoing_ && CanRun();
    runButton->setEnabled(usable);
    previewButton->setEnabled(usable);
}

void TBatchPage::MakeRunButtons(const char* previewName, const char* runName, const QString& caption) {
    previewButton = MakeButton(this, previewName, "Pre&view", {400, 432, 75, 25});
    previewButton->setToolTip("Show what the run would change, then apply it or leave everything as it is");
    runButton = MakeButton(this, runName, caption, {480, 432, 75, 25});
    connect(previewButton, &QPushButton::clicked, this, [this] {
        context_.Handle([this] {
            if (ReadyToRun()) emit runAsked(true);
        });
    });
    connect(runButton, &QPushButton::clicked, this, [this] {
        context_.Handle([this] {
            if (ReadyToRun()) emit runAsked(false);
        });
    });
    UpdateRunButtons();
}

void CheckScannableFolder(const std::string& folder) {
    if (folder.find(';') != std::string::npos)
        throw EFindFileError(folder + "\n\rfolder names holding \";\" cannot be scanned");
    // The scan's own rules on a location (no wildcards), met here before anything starts.
    TFindFile().SetLocation(folder);
}

}  // namespace parvex
