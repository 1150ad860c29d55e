#include "app/add_word_dialog.h"

#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/key_input.h"
#include "text/text_utils.h"

namespace parvex {

TForm3::TForm3(QWidget* owner) : QDialog(owner) {
    SetUpDialogFrame(*this, "Form3", "Add a word", {276, 126});
    Label1 = MakeLabel(this, "Label1", "Word", {24, 24}, TFontWeight::Bold);
    Edit1 = MakeEdit(this, "Edit1", {24, 40, 225, 21});
    Edit1->installEventFilter(this);
    BitBtn2 = MakeCancelButton(*this, {80, 80, 75, 25});
    BitBtn1 = MakeOkButton(*this, {176, 80, 75, 25});
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    SetTabChain({Edit1, BitBtn1, BitBtn2});
}

std::string TForm3::AskNewWord() {
    Edit1->clear();
    return Ask();
}

std::string TForm3::AskEditWord(const std::string& word) {
    Edit1->setText(QString::fromStdString(word));
    return Ask();
}

std::string TForm3::Ask() {
    Edit1->setFocus();
    if (exec() != QDialog::Accepted) return kCancelled;
    return LowerCase(Edit1->text().toStdString());
}

bool TForm3::Edit1KeyPress(QKeyEvent* key) {
    if (IsEnterKey(*key)) {
        BitBtn1->click();
        return true;
    }
    const QChar typed = TypedCharacter(*key);
    if (typed.isNull() || (typed >= 'a' && typed <= 'z')) return false;
    if (typed >= 'A' && typed <= 'Z') Retype(*Edit1, *key, typed.toLower());
    return true;
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress)
        return Edit1KeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

}  // namespace parvex
