#pragma once
// The main window: the "Directory" row above seven tabbed pages, each page a class of its own
// (app/pages/). The window is the frame: it lists the chosen folder on the Browse page, carries out
// the batch runs the pages ask for and shows them on the Log page (progress, Stop, Undo), keeps the
// pages' controls and its own place in the settings file, and asks before closing.

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "app/memo_log.h"
#include "app/pages/batch_page.h"
#include "app/pages/browse_page.h"
#include "app/pages/clear_page.h"
#include "app/pages/log_page.h"
#include "app/pages/mass_page.h"
#include "app/pages/name_pages.h"
#include "app/pages/page_context.h"
#include "app/platform/platform.h"
#include "batch/run_thread.h"
#include "scan/date_time.h"
#include "settings/form_storage.h"

namespace parvex {

// What the window keeps in the settings file: the entries every version keeps, then the Browse
// table's column layout ("Listview1_Columns").
const std::vector<std::string>& WindowStoredProps();

class TMainWindow : public QWidget {
    Q_OBJECT

public:
    // Builds the window's pages, then runs FormCreate. `platform` must outlive the window.
    explicit TMainWindow(TPlatform& platform);
    // Writes the settings when nothing was written since they were read (the window was not closed).
    ~TMainWindow() override;

    // Creation: an empty batch mode and the genre lists.
    void FormCreate();
    // First show: the first page becomes the active page. The settings are read just before it.
    void FormShow();
    // Closing: unsaved edits of the Browse page are saved or dropped as the user answers, or the
    // closing is refused (false); then the separator and replace texts of the file-name pages are
    // wrapped in double quotes, so that blanks at their ends survive the settings file, which is
    // written after it.
    bool FormCloseQuery();
    // The "Directory" button: the directory chooser; a chosen folder becomes the working directory,
    // with a trailing "/". Cancelling leaves the working directory as it was.
    void chooseFolder();
    // Lists `folder` (absolute, ending in "/") as the working directory and selects `fileName` in it
    // when given: the folder or file Parvex was started with.
    void OpenFolder(const std::string& folder, const std::string& fileName = {});
    // Fills the genre boxes of the Mass and Browse pages with the names of genre.txt in the current
    // directory, or, when there is no such file, with the built-in names. Raises EFOpenError when the
    // file exists but cannot be opened; the names read before a failure stay in the lists.
    void LoadGenres();
    // Makes `page` the active page without running the page-change handler, as any change made by
    // the program (rather than the user) does.
    void SetActivePage(QWidget* page);
    // The Add a Tag and Add a word dialogs, created after the window; both must outlive it.
    void SetDialogs(TAddTagDialog& addTag, TAddWordDialog& addWord);

    // The start of every batch run. Without a working directory it says so and stops; a recursive
    // run over the root folder or the home folder itself runs only when the user confirms it, and
    // unsaved edits of the Browse page are asked about (Cancel: no run); nothing starts while a run
    // is going on. Then it empties the log, sets the batch mode, shows the Log page and runs off the
    // window's thread: the scan of the working directory (into subfolders when the page's "Recurse
    // subdirs" is checked), the plan of every file found, then the plan carried out file by file,
    // each file's old state journaled for undo. Meanwhile the window answers, the log grows, the
    // progress row shows "N of M" and the current file, and Stop ends the run after the file being
    // written. Returns when the run has ended. A file that cannot be read or written is logged with
    // the reason and the run goes on.
    void StartBatch(TBatchPage& page);
    // The same up to the plan, which is shown by the platform's preview; Apply carries out exactly
    // that plan, Cancel changes nothing.
    void PreviewBatch(TBatchPage& page);
    // A run of `order` on the given `files` (paths in the working folder or below it) instead of a
    // scan, after its preview when `preview`: the Browse page's edit of several files. The window
    // stays on the Browse page; the Log page gets the run's lines. Returns whether the plans were
    // carried out.
    bool RunOnFiles(const std::string& mode, const TBatchOrder& order, const std::vector<std::string>& files,
                    bool preview);
    // Whether a batch run, its preview or an undo is going on.
    bool RunGoing() const { return run_.Running(); }
    // "Stop": the run ends after the file being written; the log says how many files were done.
    void stopRun();
    // "Undo last run": asks, then puts back the files of the last run not undone yet (their old
    // comments and names), off the window's thread like a run; without such a run it says so.
    void undoLastRun();
    // Enables the run buttons of the pages, "Directory" and "Undo last run" while no run is going
    // on, disables them during a run.
    void UpdateBatchButtons();
    // Where per-file routines write their log lines: each line is appended to the Log page.
    TLogSink& MemoLog() { return memoLogSink_; }

    // The running batch operation's mode word; empty while browsing.
    std::string BatchMode;

    // The directory row and the pages.
    QGroupBox* folderBox;
    QLineEdit* folderEdit;
    QPushButton* folderButton;
    QTabWidget* pages;
    TBrowsePage* browsePage;
    TMassPage* massPage;
    TClearPage* clearPage;
    TTagFromNamePage* tagFromNamePage;
    TRenamePage* renamePage;
    TTagListPage* tagListPage;
    TLogPage* logPage;

    // Keeps the working directory, the batch pages' controls and the window's place in the settings
    // file: read at the first show, written at close.
    TFormStorage settingsStorage{*this, WindowStoredProps(), MainWindowWholeTexts()};

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The directory row and the pages take the width and height beyond the drawn layout.
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateFrame();
    void CreatePages();
    // The batch pages, in the order of their tabs.
    std::vector<TBatchPage*> BatchPages() const;
    // The file-name pages' format editors.
    std::vector<TFormatEditor*> FormatEditors() const;
    // The working folder changed: the Browse page lists it.
    void onFolderChanged();
    // Entering the Browse page lists the directory again, unless it shows unsaved edits, which stay;
    // other pages do nothing.
    void onPageChanged();
    // After the settings were read: takes the quotes of FormCloseQuery off the texts.
    void UnquoteTexts();

    // What SetUpRun read for a run: its mode, its operation's order and its files.
    struct TRunSetup {
        std::string Mode;
        TBatchOrder Order;
        // The files of the run (empty: the working folder's) and whether into subfolders.
        TRunPaths Paths;
    };
    // The checks and steps of a batch start before the scan (see StartBatch); nothing when the run
    // must not start. The run shows the Log page when `showLog`.
    std::optional<TRunSetup> SetUpRun(TRunSetup setup, bool showLog = true);
    // The run asked for by a batch page.
    std::optional<TRunSetup> SetUpRun(TBatchPage& page);
    // Plans the run of `setup` off the window's thread, then, when `preview`, shows the plan; carries
    // it out off the window's thread unless the preview was closed or the run cancelled. Returns
    // whether it was carried out.
    bool PlanAndApply(const TRunSetup& setup, bool preview);
    // Runs `job` on the run thread and returns when it ended, the window answering meanwhile;
    // raises again what the job raised.
    void RunOffThread(TRunThread::TJob job);
    // Moves the run's new log lines into the Log page and shows its progress.
    void ShowRunState();
    // Closing the window during a run asks first; yes stops the run and closes the window after it.
    bool MayCloseDuringRun();
    void CloseWhenRunEnds();
    // Whether a batch run may start on the working folder: there is one, and a recursive run over
    // the whole file system or the whole home folder was confirmed by the user.
    bool MayRunOnWorkingFolder(bool recurse);

    TPlatform& platform_;
    TMemoLog memoLogSink_;
    TPageContext context_{platform_, memoLogSink_};
    TRunThread run_;
    bool stopAsked_ = false;      // Stop was pressed (or the window closed) during this run
    bool closeAfterRun_ = false;  // the window closes when the run has ended
};

}  // namespace parvex
