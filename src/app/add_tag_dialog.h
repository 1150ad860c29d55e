#pragma once
// "Add a Tag": the modal dialog in which the user writes one other tag, a free name and a free,
// possibly multi-line value. Created once at start-up and reused by both other-tags lists.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

namespace parvex {

class TForm2 : public QDialog {
    Q_OBJECT

public:
    // `saveButton` is the main window's "Save", which OK enables whichever list opened the dialog.
    TForm2(QWidget* owner, QPushButton& saveButton);

    // Opens the dialog empty. Returns "NAME=value", or "False" when the dialog was cancelled. The name
    // is upper-cased (ASCII letters) and loses every "=" that was pasted into it; the value is the text
    // as shown, its lines joined by carriage return and line feed.
    std::string OpenForAdd();
    // Opens the dialog on an existing tag; as OpenForAdd otherwise. The value's lines are joined back
    // with the line break the value came with, so OK without a change returns the tag unchanged.
    std::string OpenForEdit(const std::string& name, const std::string& value);

    // Key filter of the name box: "=" is dropped, a to z become A to Z, Enter moves to the value box.
    // Returns true when the key was taken.
    bool Edit1KeyPress(QKeyEvent* key);
    // "OK": enables the main window's "Save" and closes the dialog.
    void BitBtn1Click();

    QLabel* Label1;
    QLineEdit* Edit1;
    QLabel* Label2;
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Open(const std::string& lineBreak);

    QPushButton& saveButton_;
};

}  // namespace parvex
