#pragma once
// The window's view of the desktop: modal message boxes and questions, the file choosers, the wait
// cursor and letting pending window messages run. The window never calls the toolkit for these
// itself, so tests substitute a recording fake and no test ever waits on a modal window.

#include <optional>
#include <string>
#include <vector>

#include "batch/file_plan.h"

namespace parvex {

enum class TMessageKind { Error, Warning, Information };

// The answers to "Save changes to NAME?".
enum class TSaveChoice { Save, Discard, Cancel };

class TPlatform {
public:
    virtual ~TPlatform() = default;

    // A modal message box with one OK button, titled with the application title.
    virtual void ShowMessage(TMessageKind kind, const std::string& text) = 0;

    // A modal question with the buttons Yes and No, No the default. True when the user chose Yes.
    virtual bool Confirm(const std::string& question) = 0;

    // The modal directory chooser started at `start` (no "new folder" and no help button). Returns the
    // chosen directory as the chooser gives it (usually without a trailing "/"), or nothing on cancel.
    virtual std::optional<std::string> ChooseDirectory(const std::string& start) = 0;

    // The modal open-file dialog. `filter` is a list of "description|masks" pairs joined by "|"
    // (for example "csv (*.csv)|*.CSV|"); `fileName` is where the dialog starts. Returns the full path of
    // the chosen file, or nothing on cancel.
    virtual std::optional<std::string> ChooseOpenFile(const std::string& filter,
                                                      const std::string& fileName) = 0;

    // The modal save-file dialog, with `filter` as for ChooseOpenFile, starting at `fileName`. It asks
    // before an existing file is replaced. Returns the full path of the chosen file, or nothing on cancel.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& filter,
                                                      const std::string& fileName) = 0;

    // A modal question whether to save unsaved changes before they would be lost, with the buttons
    // Save (the default), Discard and Cancel (also Esc and the window's close box).
    virtual TSaveChoice AskSaveChanges(const std::string& question) = 0;

    // A modal table of what a run will do, one row per change: the file, the tag, its old and its
    // new value (or the old and the new name, or why the file is left alone), with "Apply" and
    // "Cancel" (the default, also Esc and the close box). True when the user chose Apply.
    virtual bool ShowPlan(const std::vector<TPreviewRow>& rows) = 0;

    // Show the wait cursor until the matching EndWaitCursor. Calls nest.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Let the window handle the input and paint requests that are waiting, then return.
    virtual void ProcessPendingMessages() = 0;
};

// Shows the wait cursor for its lifetime, also when the work in between raises.
class TWaitCursor {
public:
    explicit TWaitCursor(TPlatform& platform) : platform_(platform) { platform_.BeginWaitCursor(); }
    ~TWaitCursor() { platform_.EndWaitCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    TPlatform& platform_;
};

}  // namespace parvex
