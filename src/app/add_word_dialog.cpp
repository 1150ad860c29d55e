#include "app/add_word_dialog.h"

#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/key_input.h"
#include "text/text_utils.h"

namespace parvex {

TAddWordDialog::TAddWordDialog(QWidget* owner) : QDialog(owner) {
    SetUpDialogFrame(*this, "Form3", "Add a word", {276, 126});
    wordLabel = MakeLabel(this, "Label1", "Word", {24, 24}, TFontWeight::Bold);
    wordEdit = MakeEdit(this, "Edit1", {24, 40, 225, 21});
    wordEdit->installEventFilter(this);
    cancelButton = MakeCancelButton(*this, {80, 80, 75, 25});
    okButton = MakeOkButton(*this, {176, 80, 75, 25});
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    SetTabChain({wordEdit, okButton, cancelButton});
}

std::string TAddWordDialog::AskNewWord() {
    wordEdit->clear();
    return Ask();
}

std::string TAddWordDialog::AskEditWord(const std::string& word) {
    wordEdit->setText(QString::fromStdString(word));
    return Ask();
}

std::string TAddWordDialog::Ask() {
    wordEdit->setFocus();
    if (exec() != QDialog::Accepted) return kCancelled;
    return LowerCase(wordEdit->text().toStdString());
}

bool TAddWordDialog::onWordKeyPress(QKeyEvent* key) {
    if (IsEnterKey(*key)) {
        okButton->click();
        return true;
    }
    const QChar typed = TypedCharacter(*key);
    if (typed.isNull() || (typed >= 'a' && typed <= 'z')) return false;
    if (typed >= 'A' && typed <= 'Z') Retype(*wordEdit, *key, typed.toLower());
    return true;
}

bool TAddWordDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == wordEdit && event->type() == QEvent::KeyPress)
        return onWordKeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

}  // namespace parvex
