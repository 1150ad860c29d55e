#include "app/pages/batch_page.h"

#include <QStandardItemModel>

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

void TBatchPage::SetSelectedCount(int count) {
    scopeBox->setItemText(kSelectedFiles, QString("Selected files (%1)").arg(count));
    // An entry that cannot be chosen: nothing is selected.
    qobject_cast<QStandardItemModel*>(scopeBox->model())->item(kSelectedFiles)->setEnabled(count > 0);
    scopeBox->setCurrentIndex(count >= 2 ? kSelectedFiles : 0);
}

void TBatchPage::MakeRunButtons(const char* previewName, const char* runName, const QString& caption) {
    // Before the buttons, so that Tab reaches it first.
    scopeBox = MakeControl<QComboBox>(this, QString(previewName).replace("btnPreview", "cbScope").toLatin1().constData(),
                                      {400, 462, 155, 21});
    scopeBox->addItems({"Whole folder", "Selected files (0)"});
    scopeBox->setToolTip("The files the run goes through: the working folder's, or those selected on the Browse page");
    SetSelectedCount(0);
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
    if (const std::string problem = ScanFolderProblem(folder); !problem.empty()) throw EFindFileError(problem);
}

}  // namespace parvex
