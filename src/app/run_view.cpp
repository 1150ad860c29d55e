// The window's side of a batch run: the run goes on off the window's thread while a nested event
// loop keeps the window answering; a timer moves the run's log lines into the Log page and shows its
// progress. Also the checks before a run, Stop, "Undo last run", the preview and closing the
// window during a run.

#include <QDir>
#include <QEventLoop>
#include <QFontMetrics>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "app/main_window.h"
#include "batch/run_door.h"
#include "batch/run_journal.h"
#include "batch/undo_run.h"

namespace parvex {

namespace {

// How often the window takes the run's lines and progress: often enough to look live, seldom
// enough that appending to the log never holds up the window.
constexpr int kRunRefreshMs = 40;

constexpr const char* kCloseDuringRun =
    "A batch run is going on. Stop it after the file being written, then close Parvex?";
constexpr const char* kNoRunToUndo = "There is no run to undo.";
constexpr const char* kRunCancelled = "The run was cancelled: no file was changed.";
constexpr const char* kNoWorkingFolder = "Choose a folder with the \"Directory\" button first.";

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    const auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error) return false;
    const auto canonicalB = std::filesystem::weakly_canonical(b, error);
    return !error && canonicalA == canonicalB;
}

// The question a recursive run over a folder that holds far more than music asks first, or an
// empty text for any other folder.
std::string WholeTreeQuestion(const std::string& folder) {
    std::string what;
    if (SameFolder(folder, "/"))
        what = "the root of the file system";
    else if (const std::string home = QDir::homePath().toStdString(); SameFolder(folder, home))
        what = "your home folder " + home;
    else
        return {};
    return "\"Recurse subdirs\" is ticked and the folder is " + what +
           ": the run will go through every Ogg file in it and in all its subfolders. Go on?";
}

// Whether the run keeps its journal: true when it can; where it cannot, the user chooses between a
// run without undo (false) and none at all (nothing).
std::optional<bool> JournalChoice(TPlatform& platform) {
    const std::string problem = JournalProblem(JournalFolder());
    if (problem.empty()) return true;
    if (platform.Confirm("This run could not be undone: " + problem +
                         ".\n\nRun it without undo? \"No\" cancels the run."))
        return false;
    return std::nullopt;
}

// A run's reports on their way to the window: its lines and progress wait in the run thread until
// the window's timer takes them (ShowRunState). The scan's count is not shown.
class TThreadSink final : public TRunSink {
public:
    explicit TThreadSink(TRunThread& run) : TRunSink(&run.StopFlag()), run_(run) {}

    void AddLine(const std::string& line) override { run_.AddLine(line); }
    void Progress(TRunStep step, const TRunProgress& at) override {
        if (step != TRunStep::Scanning) run_.Report(Caption(step), at);
    }

private:
    static const char* Caption(TRunStep step) {
        switch (step) {
            case TRunStep::Writing:
                return "Writing";
            case TRunStep::Undoing:
                return "Undoing";
            default:
                return "Reading";
        }
    }

    TRunThread& run_;
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

void TMainWindow::RunOffThread(TRunThread::TJob job) {
    run_.Start(std::move(job));
    ShowRunState();
    UpdateBatchButtons();
    logPage->progressBar->setVisible(true);
    logPage->runFileLabel->setVisible(true);
    logPage->stopButton->setEnabled(true);
    QEventLoop loop;
    QTimer refresh;
    connect(&refresh, &QTimer::timeout, &loop, [this, &loop] {
        ShowRunState();
        if (run_.Done()) loop.quit();
    });
    refresh.start(kRunRefreshMs);
    if (!run_.Done()) loop.exec();
    refresh.stop();
    ShowRunState();
    logPage->progressBar->setVisible(false);
    logPage->runFileLabel->setVisible(false);
    logPage->stopButton->setEnabled(false);
    // Finish first: the buttons follow whether a run is going on.
    struct TUpdateAfter {
        TMainWindow& form;
        ~TUpdateAfter() { form.UpdateBatchButtons(); }
    } update{*this};
    run_.Finish();
}

void TMainWindow::ShowRunState() {
    if (const std::vector<std::string> lines = run_.TakeLines(); !lines.empty())
        logPage->logView->appendPlainText(QString::fromStdString(Joined(lines)));
    const TRunThread::TShownProgress progress = run_.Progress();
    // Until the run reports its first step the row shows nothing, not the figures of the run before.
    if (progress.Step.empty()) {
        logPage->progressBar->reset();
        logPage->progressBar->setFormat(QString());
        logPage->runFileLabel->clear();
        logPage->runFileLabel->setToolTip({});
        return;
    }
    const QString step = QString::fromStdString(progress.Step);
    // A step that cannot know its total (the loading of a list) shows a busy bar and its count.
    const bool counted = progress.At.Total > 0;
    logPage->progressBar->setMaximum(static_cast<int>(progress.At.Total));
    logPage->progressBar->setValue(static_cast<int>(progress.At.Done));
    logPage->progressBar->setFormat(step + " %v of %m");
    const QString current = counted ? QString::fromStdString(progress.At.Current)
                                    : step + " " + QString::number(progress.At.Done) + " lines";
    logPage->runFileLabel->setText(
        QFontMetrics(logPage->runFileLabel->font()).elidedText(current, Qt::ElideMiddle, logPage->runFileLabel->width()));
    logPage->runFileLabel->setToolTip(current);
}

void TMainWindow::UpdateBatchButtons() {
    const bool idle = !RunGoing();
    for (QPushButton* button : {folderButton, logPage->undoButton}) button->setEnabled(idle);
    for (TBatchPage* page : BatchPages()) page->SetRunGoing(!idle);
}

void TMainWindow::CloseWhenRunEnds() {
    if (closeAfterRun_) QTimer::singleShot(0, this, [this] { close(); });
}

bool TMainWindow::MayCloseDuringRun() {
    if (!RunGoing()) return true;
    // No file begins while the question is open: Yes stops the run after the file it shows, No lets
    // it go on.
    run_.Hold(true);
    if (platform_.Confirm(kCloseDuringRun)) {
        closeAfterRun_ = true;
        stopRun();
    }
    run_.Hold(false);
    return false;
}

void TMainWindow::stopRun() {
    stopAsked_ = true;
    run_.AskStop();
    logPage->stopButton->setEnabled(false);
}

bool TMainWindow::MayRunOnWorkingFolder(bool recurse) {
    const std::string folder = folderEdit->text().toStdString();
    // An empty folder text would be read as the current folder, which the user never chose.
    if (folder.empty()) {
        platform_.ShowMessage(TMessageKind::Error, kNoWorkingFolder);
        return false;
    }
    const std::string question = recurse ? WholeTreeQuestion(folder) : std::string();
    return question.empty() || platform_.Confirm(question);
}

std::optional<TMainWindow::TRunSetup> TMainWindow::SetUpRun(TBatchPage& page) {
    std::vector<std::string> files;
    if (page.OnSelection()) {
        // A scope of selected files never widens to the whole folder.
        files = browsePage->SelectedFilePaths();
        if (files.empty()) {
            platform_.ShowMessage(TMessageKind::Error, "No file is selected on the Browse page.");
            page.SetSelectedCount(0);
            return std::nullopt;
        }
    }
    return SetUpRun({page.Mode(), page.Order(), {std::move(files), page.recurseCheck->isChecked()}});
}

std::optional<TMainWindow::TRunSetup> TMainWindow::SetUpRun(TRunSetup setup, bool showLog) {
    TRunPaths& paths = setup.Paths;
    if (RunGoing() || !MayRunOnWorkingFolder(paths.Recurse && paths.Paths.empty())) return std::nullopt;
    // The run may rewrite the file the Browse page shows.
    if (!browsePage->ResolveUnsavedEdits()) return std::nullopt;
    logPage->logView->clear();
    BatchMode = setup.Mode;
    stopAsked_ = false;
    if (showLog) SetActivePage(logPage);
    // The journal names the working folder, also for a run on some of its files.
    paths.Where = {folderEdit->text().toStdString()};
    if (paths.Paths.empty()) paths.Paths = paths.Where;
    // Only the folder must be there: a selected file gone since it was listed fails on its own in
    // the run, and the other files are still changed.
    if (const std::string problem = RunPathsProblem(paths.Where); !problem.empty()) {
        platform_.ShowMessage(TMessageKind::Error, problem);
        return std::nullopt;
    }
    // Files written before this moment, by this session too, all belong to the scan.
    paths.Before = Now();
    return setup;
}

bool TMainWindow::PlanAndApply(const TRunSetup& setup, bool preview) {
    // Without a preview the user is asked about a run without undo before anything is read.
    std::optional<bool> journaled;
    if (!preview && !(journaled = JournalChoice(platform_))) {
        MemoLog().AddLine(kRunCancelled);
        return false;
    }
    TThreadSink shown(run_);
    TBatchRun batch(setup.Mode, setup.Order, setup.Paths, shown);
    RunOffThread([&](TRunThread& run) {
        if (setup.Order.Prepare) setup.Order.Prepare(run);
        batch.Plan();
    });
    if (preview) {
        std::vector<TPreviewRow> rows;
        for (const TFilePlan& plan : batch.Plans())
            for (TPreviewRow& row : PreviewRows(plan)) rows.push_back(std::move(row));
        if (stopAsked_ || !platform_.ShowPlan(rows)) {
            MemoLog().AddLine("Preview closed: no file was changed.");
        } else if (!(journaled = JournalChoice(platform_))) {
            MemoLog().AddLine(kRunCancelled);
        }
    }
    if (journaled) {
        RunOffThread([&](TRunThread& run) {
            // A stop asked while the files were read holds for the writing: no file is changed.
            if (stopAsked_) run.AskStop();
            batch.Apply(false, *journaled);
        });
    }
    CloseWhenRunEnds();
    return journaled.has_value();
}

void TMainWindow::StartBatch(TBatchPage& page) {
    if (const std::optional<TRunSetup> setup = SetUpRun(page)) PlanAndApply(*setup, false);
}

void TMainWindow::PreviewBatch(TBatchPage& page) {
    if (const std::optional<TRunSetup> setup = SetUpRun(page)) PlanAndApply(*setup, true);
}

bool TMainWindow::RunOnFiles(const std::string& mode, const TBatchOrder& order,
                             const std::vector<std::string>& files, bool preview) {
    const std::optional<TRunSetup> setup = SetUpRun({mode, order, {files}}, false);
    return setup && PlanAndApply(*setup, preview);
}

void TMainWindow::undoLastRun() {
    const TRunList list = ListRuns(JournalFolder());
    if (!list.Problem.empty()) return platform_.ShowMessage(TMessageKind::Error, list.Problem);
    const TJournalRun* last = LastRunNotUndone(list.Runs);
    if (!last) return platform_.ShowMessage(TMessageKind::Information, kNoRunToUndo);
    std::string reason;
    const std::optional<TJournalRun> run = ReadJournal(last->File, &reason);
    if (!run) return platform_.ShowMessage(TMessageKind::Error, "Cannot read " + last->File + ": " + reason);
    if (RunGoing() || !platform_.Confirm("Undo " + RunDescription(*run) +
                                         "? Every file it changed gets its old tags and its old name back."))
        return;
    logPage->logView->clear();
    stopAsked_ = false;
    RunOffThread([&run](TRunThread& thread) {
        TThreadSink shown(thread);
        UndoBatchRun(*run, false, shown);
    });
    CloseWhenRunEnds();
}

}  // namespace parvex
