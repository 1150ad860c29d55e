#pragma once
// "Add a Tag": the modal dialog in which the user writes one other tag, a free name and a free,
// possibly multi-line value. Created once at start-up and reused by both other-tags lists.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>
#include <string>

#include "app/platform/platform.h"

namespace parvex {

class TAddTagDialog : public QDialog {
    Q_OBJECT

public:
    // `platform` shows the message that refuses a name; it must outlive the dialog.
    TAddTagDialog(QWidget* owner, TPlatform& platform);

    // Opens the dialog empty. Returns "NAME=value", or "False" when the dialog was cancelled. The name
    // is upper-cased (ASCII letters) and loses every "=" that was pasted into it; the value is the text
    // as shown, its lines joined by carriage return and line feed. OK refuses, with an error box, a
    // name other programs cannot read (see IsValidCommentName) and the dialog stays open.
    std::string OpenForAdd();
    // Opens the dialog on an existing tag; as OpenForAdd otherwise. The value's lines are joined back
    // with the line break the value came with, so OK without a change returns the tag unchanged. The
    // name the tag came with is accepted as it is, whatever it holds: the file already has it.
    std::string OpenForEdit(const std::string& name, const std::string& value);

    // Key filter of the name box: "=" is dropped, a to z become A to Z, Enter moves to the value box.
    // Returns true when the key was taken. (Ctrl+Enter in either box presses OK.)
    bool onNameKeyPress(QKeyEvent* key);
    // "OK": refuses an invalid name with an error box; otherwise closes the dialog.
    void onOkClicked();

    QLabel* nameLabel;
    QLineEdit* nameEdit;
    QLabel* valueLabel;
    QPlainTextEdit* valueEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Open(const std::string& lineBreak);
    // The name as the result gives it: upper-cased, without "=".
    std::string TypedName() const;

    TPlatform& platform_;
    std::optional<std::string> openedName_;  // the name of the tag being edited, as TypedName gives it
};

}  // namespace parvex
