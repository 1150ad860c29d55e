#include "app/pages/log_page.h"

#include <QPixmap>

#include "app/form_builder.h"
#include "app/logo.h"
#include "app/memo_log.h"

namespace parvex {

TLogPage::TLogPage(QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheet6");
    logView = MakeControl<QPlainTextEdit>(this, "memoLog", {8, 8, 553, 329});
    logView->setReadOnly(true);
    logView->setLineWrapMode(QPlainTextEdit::NoWrap);
    logView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    progressBar = MakeControl<QProgressBar>(this, "prgRun", {8, 345, 180, 17});
    progressBar->setVisible(false);
    runFileLabel = MakeControl<QLabel>(this, "lblRunFile", {194, 345, 196, 17});
    runFileLabel->setVisible(false);
    undoButton = MakeButton(this, "btnUndoRun", "&Undo last run", {394, 341, 90, 25});
    stopButton = MakeButton(this, "btnStopRun", "&Stop", {488, 341, 73, 25});
    stopButton->setEnabled(false);

    // The labels are created after the picture, so they are drawn over it.
    logoImage = MakeControl<QLabel>(this, "Image1", {8, 378, 553, 81});
    logoImage->setPixmap(QPixmap::fromImage(LogoPicture()));
    logoImage->setScaledContents(true);  // the picture fills its place at every layout scale
    versionLabel = MakeLabel(this, "Version", "Version " PARVEX_VERSION, {16, 422});
    homePageLabel = MakeLabel(this, "Label10", "https://parvex.example.org/", {358, 402});
    contactLabel = MakeLabel(this, "Label11", "Problems and ideas: parvex@example.org", {358, 420});
}

void TMemoLog::AddLine(const std::string& line) {
    if (memo_) memo_->appendPlainText(QString::fromStdString(line));
}

}  // namespace parvex
