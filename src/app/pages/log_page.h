#pragma once
// The "Log" page: the log of the last batch run, the row that shows a running batch (its progress,
// the current file, "Stop") with "Undo last run", the logo with the version label and the two lines
// that say where Parvex comes from and where to report problems. The main window drives the run row.

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace parvex {

class TLogPage : public QWidget {
    Q_OBJECT

public:
    // `parent` gives the page the window's font while it is built.
    explicit TLogPage(QWidget* parent);

    QPlainTextEdit* logView;
    QProgressBar* progressBar;  // while a run goes on: "Writing 12 of 40"
    QLabel* runFileLabel;       // the file the run works on
    QPushButton* undoButton;
    QPushButton* stopButton;
    QLabel* logoImage;
    QLabel* versionLabel;
    QLabel* homePageLabel;
    QLabel* contactLabel;
};

}  // namespace parvex
