#pragma once
// The pages that start a batch run (Mass set tags, Clear tags and the three file-name pages): each
// reads what its run does from its controls, and has a "Recurse subdirs" box, a scope (the whole
// folder or the Browse page's selected files), "Preview" and the button that starts the run. The
// main window carries the run out.

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/pages/page_context.h"
#include "batch/run_door.h"
#include "batch/run_thread.h"

namespace parvex {

// What a batch operation needs for one run, read from its page's controls when the run starts: its
// part of the run (the planner and its closing lines), and what the window does before the scan.
struct TBatchOrder : TRunOrder {
    // Runs off the window's thread before the scan (loading the list of the list page); may be empty.
    std::function<void(TRunThread& run)> Prepare{};
};

class TBatchPage : public QWidget {
    Q_OBJECT

public:
    // `mode` is the run's mode word, which the journal keeps (see the subclasses).
    // `parent` gives the page the window's font while it is built.
    TBatchPage(TPageContext& context, QWidget* parent, const char* objectName, std::string mode);

    // The mode word of this page's runs: "mass", "clear", "filename", "rename", "taglist".
    const std::string& Mode() const { return mode_; }
    // Checks made as the run or its preview is asked for: false, after a message box, when the run
    // cannot start (no picture chosen, no list file). Reads what the checks need for the run.
    virtual bool ReadyToRun() { return true; }
    // What the run does, from the page's controls as they stand.
    virtual TBatchOrder Order() = 0;
    // The run and preview buttons are usable while no run is going on and the page says it can run.
    void SetRunGoing(bool going);
    // The Browse page has `count` files selected: the scope offers "Selected files (N)", and takes
    // it for two or more; with none or one (the file shown) the run goes over the whole folder.
    void SetSelectedCount(int count);
    // Whether the run works on the Browse page's selected files instead of the folder's.
    bool OnSelection() const { return scopeBox->currentIndex() == kSelectedFiles; }

    QCheckBox* recurseCheck = nullptr;
    // "Whole folder" or "Selected files (N)".
    QComboBox* scopeBox = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* runButton = nullptr;

signals:
    // The user asked for a run (`preview` false) or for its preview.
    void runAsked(bool preview);

protected:
    // Whether the page's controls describe a run: a ticked row, a field in the name format.
    virtual bool CanRun() const { return true; }
    // Enables or disables the run and preview buttons after a change of what CanRun reads.
    void UpdateRunButtons();
    // Creates "Preview" and then the run button with `caption`, both at their places in the bottom
    // right corner, and connects them.
    void MakeRunButtons(const char* previewName, const char* runName, const QString& caption);

    TPageContext& context_;

private:
    static constexpr int kSelectedFiles = 1;  // the scope's entry for the selection

    std::string mode_;
    bool runGoing_ = false;
};

// Raises EFindFileError with the ScanFolderProblem of `folder`, if it has one: the scan would work on
// files the user never chose.
void CheckScannableFolder(const std::string& folder);

}  // namespace parvex
