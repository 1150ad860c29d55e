#include "app/add_tag_dialog.h"

#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/key_input.h"
#include "ogg/comment_name.h"
#include "text/text_utils.h"

namespace parvex {

namespace {

constexpr const char* kWindowsLineBreak = "\r\n";

// The first line break of `value` (CR LF, LF or CR); CR LF when it has none.
std::string LineBreakOf(const std::string& value) {
    const std::size_t at = value.find_first_of("\r\n");
    if (at == std::string::npos) return kWindowsLineBreak;
    if (value[at] == '\n') return "\n";
    return value.compare(at, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

// The value as the memo shows it: one line of the memo per line of the value.
QString MemoText(const std::string& value) {
    return QString::fromStdString(ReplaceAll(ReplaceAll(value, "\r\n", "\n"), "\r", "\n"));
}

std::string InvalidNameMessage(const std::string& name) {
    const std::string rule =
        "A tag name is one or more plain ASCII characters (letters, digits, blanks and punctuation) "
        "without \"=\"; other programs drop or misread any other name.";
    if (name.empty()) return "The tag needs a name. " + rule;
    return "\"" + name + "\" cannot be used as a tag name. " + rule;
}

}  // namespace

TAddTagDialog::TAddTagDialog(QWidget* owner, TPlatform& platform) : QDialog(owner), platform_(platform) {
    SetUpDialogFrame(*this, "Form2", "Add a Tag", {277, 258});
    move(268, 109);
    nameLabel = MakeLabel(this, "Label1", "Name", {24, 24}, TFontWeight::Bold);
    nameEdit = MakeEdit(this, "Edit1", {24, 40, 225, 21});
    nameEdit->installEventFilter(this);
    valueLabel = MakeLabel(this, "Label2", "Tag", {24, 72}, TFontWeight::Bold);
    valueEdit = MakeControl<QPlainTextEdit>(this, "Memo1", {24, 88, 225, 89});
    valueEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    valueEdit->setTabChangesFocus(true);
    valueEdit->installEventFilter(this);
    okButton = MakeOkButton(*this, {176, 208, 75, 25});
    connect(okButton, &QPushButton::clicked, this, [this] { onOkClicked(); });
    cancelButton = MakeCancelButton(*this, {80, 208, 75, 25});
}

std::string TAddTagDialog::OpenForAdd() {
    nameEdit->clear();
    valueEdit->clear();
    openedName_.reset();
    return Open(kWindowsLineBreak);
}

std::string TAddTagDialog::OpenForEdit(const std::string& name, const std::string& value) {
    nameEdit->setText(QString::fromStdString(name));
    valueEdit->setPlainText(MemoText(value));
    openedName_ = TypedName();
    return Open(LineBreakOf(value));
}

std::string TAddTagDialog::Open(const std::string& lineBreak) {
    nameEdit->setFocus();
    if (exec() != QDialog::Accepted) return kCancelled;
    const std::string value = ReplaceAll(valueEdit->toPlainText().toStdString(), "\n", lineBreak);
    return TypedName() + "=" + value;
}

std::string TAddTagDialog::TypedName() const { return ReplaceAll(UpperCase(nameEdit->text().toStdString()), "=", ""); }

bool TAddTagDialog::onNameKeyPress(QKeyEvent* key) {
    if (IsEnterKey(*key)) {
        MoveFocusToNextControl(*nameEdit);
        return true;
    }
    const QChar typed = TypedCharacter(*key);
    if (typed == '=') return true;
    if (typed >= 'a' && typed <= 'z') {
        Retype(*nameEdit, *key, typed.toUpper());
        return true;
    }
    return false;
}

void TAddTagDialog::onOkClicked() {
    const std::string name = TypedName();
    if (name != openedName_ && !IsValidCommentName(name)) {
        platform_.ShowMessage(TMessageKind::Error, InvalidNameMessage(name));
        return;
    }
    accept();
}

bool TAddTagDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+Enter is OK from both boxes; a plain Enter types a line break into the value.
    if ((watched == nameEdit || watched == valueEdit) && IsCtrlEnterKey(*key)) {
        okButton->click();
        return true;
    }
    if (watched == nameEdit) return onNameKeyPress(key);
    return QDialog::eventFilter(watched, event);
}

}  // namespace parvex
