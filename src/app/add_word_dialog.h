#pragma once
// "Add a word": the modal dialog in which the user types one word of a lower-case word list. Created
// once at start-up and reused by the three word lists.

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>

namespace parvex {

class TAddWordDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAddWordDialog(QWidget* owner);

    // Opens the dialog empty. Returns the word in lower case (ASCII letters), or "False" when the
    // dialog was cancelled.
    std::string AskNewWord();
    // Opens the dialog on `word`; as AskNewWord otherwise.
    std::string AskEditWord(const std::string& word);

    // Key filter of the word box: only the letters a to z are typed (A to Z become a to z); every
    // other typed character is dropped; Enter presses OK. Returns true when the key was taken.
    bool onWordKeyPress(QKeyEvent* key);

    QLabel* wordLabel;
    QLineEdit* wordEdit;
    QPushButton* okButton;
    QPushButton* cancelButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string Ask();
};

}  // namespace parvex
