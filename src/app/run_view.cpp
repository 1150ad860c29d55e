// The window's side of a batch run: the run goes on off the window's thread while a nested event
// loop keeps the window answering; a timer moves the run's log lines into the Log page and shows its
// progress. Also Stop, "Undo last run", the preview and closing the window during a run.

#include <QEventLoop>
#include <QFontMetrics>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "app/main_window.h"
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

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

void TForm1::RunOffThread(TRunThread::TJob job) {
    run_.Start(std::move(job));
    UpdateBatchButtons();
    prgRun->setVisible(true);
    lblRunFile->setVisible(true);
    btnStopRun->setEnabled(true);
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
    prgRun->setVisible(false);
    lblRunFile->setVisible(false);
    btnStopRun->setEnabled(false);
    // Finish first: the buttons follow whether a run is going on.
    struct TUpdateAfter {
        TForm1& form;
        ~TUpdateAfter() { form.UpdateBatchButtons(); }
    } update{*this};
    run_.Finish();
}

void TForm1::ShowRunState() {
    if (const std::vector<std::string> lines = run_.TakeLines(); !lines.empty())
        memoLog->appendPlainText(QString::fromStdString(Joined(lines)));
    const TRunThread::TShownProgress progress = run_.Progress();
    const QString step = QString::fromStdString(progress.Step);
    // A step that cannot know its total (the loading of a list) shows a busy bar and its count.
    const bool counted = progress.At.Total > 0;
    prgRun->setMaximum(static_cast<int>(progress.At.Total));
    prgRun->setValue(static_cast<int>(progress.At.Done));
    prgRun->setFormat(step + " %v of %m");
    const QString current = counted ? QString::fromStdString(progress.At.Current)
                                    : step + " " + QString::number(progress.At.Done) + " lines";
    lblRunFile->setText(
        QFontMetrics(lblRunFile->font()).elidedText(current, Qt::ElideMiddle, lblRunFile->width()));
    lblRunFile->setToolTip(current);
}

void TForm1::UpdateBatchButtons() {
    const bool idle = !RunGoing();
    for (QPushButton* button : {BitBtn1, btnTagFromFilename, btnRenameFromTag, BitBtn29, btnPreviewFileName,
                                btnPreviewRename, btnPreviewList, btnUndoRun})
        button->setEnabled(idle);
    CheckBox9Click();
    CheckBox1Click();
}

void TForm1::CloseWhenRunEnds() {
    if (closeAfterRun_) QTimer::singleShot(0, this, [this] { close(); });
}

bool TForm1::MayCloseDuringRun() {
    if (!RunGoing()) return true;
    if (platform_.Confirm(kCloseDuringRun)) {
        closeAfterRun_ = true;
        btnStopRunClick();
    }
    return false;
}

void TForm1::btnStopRunClick() {
    stopAsked_ = true;
    run_.AskStop();
    btnStopRun->setEnabled(false);
}

std::optional<TForm1::TRunSetup> TForm1::SetUpRun(const std::string& mode, const QCheckBox& recurse) {
    if (RunGoing() || !MayRunOnWorkingFolder(recurse.isChecked())) return std::nullopt;
    // The run may rewrite the file the Browse page shows.
    if (!ResolveUnsavedEdits()) return std::nullopt;
    memoLog->clear();
    BatchMode = mode;
    batchTally_ = TRunTally();
    stopAsked_ = false;
    SetActivePage(TabSheet6);
    FindFile1.Subfolders = recurse.isChecked();
    SetScanTimeLimits();
    SetScanLocation();
    return TRunSetup{mode, batchOperations_.at(mode)(), FindFile1.Location(), FindFile1.Subfolders,
                     FindFile1.ModifiedBefore};
}

std::vector<TFilePlan> TForm1::PlanOffThread(const TRunSetup& setup) {
    std::vector<TFilePlan> plans;
    RunOffThread([&](TRunThread& run) {
        if (setup.Order.Prepare) setup.Order.Prepare(run);
        ScanForRun(setup, run);
        bool stopped = false;
        plans = PlanRun(runFiles_, setup.Order.Planner, run.Control("Reading"), stopped, setup.Order.Planning);
    });
    return plans;
}

void TForm1::ApplyOffThread(const TRunSetup& setup, const std::vector<TFilePlan>& plans, bool journaled) {
    RunOffThread([&](TRunThread& run) {
        if (stopAsked_) {
            run.AddLine(StoppedLine(0, runFiles_.Count()));
        } else {
            TRunJournal journal(JournalFolder(), setup.Mode, {setup.Folder});
            ApplyRun(plans, false, run, batchTally_, journaled ? &journal : nullptr, run.Control("Writing"));
            if (setup.Order.Closing && !run.StopAsked())
                for (const std::string& line : setup.Order.Closing(runFiles_)) run.AddLine(line);
        }
        run.AddLine(batchTally_.SummaryLine());
    });
}

void TForm1::StartBatch(const std::string& mode, const QCheckBox& recurse) {
    const std::optional<TRunSetup> setup = SetUpRun(mode, recurse);
    if (!setup) return;
    const std::optional<bool> journaled = JournalChoice(platform_);
    if (!journaled) return MemoLog().AddLine(kRunCancelled);
    ApplyOffThread(*setup, PlanOffThread(*setup), *journaled);
    CloseWhenRunEnds();
}

void TForm1::PreviewBatch(const std::string& mode, const QCheckBox& recurse) {
    const std::optional<TRunSetup> setup = SetUpRun(mode, recurse);
    if (!setup) return;
    const std::vector<TFilePlan> plans = PlanOffThread(*setup);
    std::vector<TPreviewRow> rows;
    for (const TFilePlan& plan : plans)
        for (TPreviewRow& row : PreviewRows(plan)) rows.push_back(std::move(row));
    if (stopAsked_ || !platform_.ShowPlan(rows)) {
        MemoLog().AddLine("Preview closed: no file was changed.");
    } else if (const std::optional<bool> journaled = JournalChoice(platform_)) {
        ApplyOffThread(*setup, plans, *journaled);
    } else {
        MemoLog().AddLine(kRunCancelled);
    }
    CloseWhenRunEnds();
}

void TForm1::btnUndoRunClick() {
    const TRunList list = ListRuns(JournalFolder());
    if (!list.Problem.empty()) return platform_.ShowMessage(TMessageKind::Error, list.Problem);
    const auto last =
        std::find_if(list.Runs.rbegin(), list.Runs.rend(), [](const TJournalRun& run) { return !run.Undone; });
    if (last == list.Runs.rend()) return platform_.ShowMessage(TMessageKind::Information, kNoRunToUndo);
    std::string reason;
    const std::optional<TJournalRun> run = ReadJournal(last->File, &reason);
    if (!run) return platform_.ShowMessage(TMessageKind::Error, "Cannot read " + last->File + ": " + reason);
    if (RunGoing() || !platform_.Confirm("Undo " + RunDescription(*run) +
                                         "? Every file it changed gets its old tags and its old name back."))
        return;
    memoLog->clear();
    stopAsked_ = false;
    RunOffThread([&run](TRunThread& thread) {
        thread.AddLine("Undoing " + RunDescription(*run));
        TRunTally tally;
        UndoRun(*run, false, thread, tally, thread.Control("Undoing"));
        thread.AddLine(tally.SummaryLine());
    });
    CloseWhenRunEnds();
}

}  // namespace parvex
