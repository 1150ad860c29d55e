// The "Log" page: the log of the last batch run, the row that shows a running batch (its progress,
// the current file, "Stop") with "Undo last run", the logo with the version label and the two lines
// that say where Parvex comes from and where to report problems.

#include <QPixmap>

#include "app/form_builder.h"
#include "app/logo.h"
#include "app/main_window.h"

namespace parvex {

void TForm1::CreateLogPage() {
    QWidget* page = TabSheet6;
    memoLog = MakeControl<QPlainTextEdit>(page, "memoLog", {8, 8, 553, 329});
    memoLog->setReadOnly(true);
    memoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoLogSink_.Attach(*memoLog);

    prgRun = MakeControl<QProgressBar>(page, "prgRun", {8, 345, 180, 17});
    prgRun->setVisible(false);
    lblRunFile = MakeControl<QLabel>(page, "lblRunFile", {194, 345, 196, 17});
    lblRunFile->setVisible(false);
    btnUndoRun = MakeButton(page, "btnUndoRun", "&Undo last run", {394, 341, 90, 25});
    btnStopRun = MakeButton(page, "btnStopRun", "&Stop", {488, 341, 73, 25});
    btnStopRun->setEnabled(false);
    ConnectClick(btnUndoRun, &TForm1::btnUndoRunClick);
    ConnectClick(btnStopRun, &TForm1::btnStopRunClick);

    // The labels are created after the picture, so they are drawn over it.
    Image1 = MakeControl<QLabel>(page, "Image1", {8, 378, 553, 81});
    Image1->setPixmap(QPixmap::fromImage(LogoPicture()));
    Image1->setScaledContents(true);                      // the picture fills its place at every layout scale
    Version = MakeLabel(page, "Version", "", {16, 422});  // its caption is set at creation
    Label10 = MakeLabel(page, "Label10", "https://parvex.example.org/", {358, 402});
    Label11 = MakeLabel(page, "Label11", "Problems and ideas: parvex@example.org", {358, 420});
}

void TMemoLog::AddLine(const std::string& line) {
    if (memo_) memo_->appendPlainText(QString::fromStdString(line));
}

}  // namespace parvex
