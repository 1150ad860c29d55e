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

TForm2::TForm2(QWidget* owner, QPushButton& saveButton, TPlatform& platform)
    : QDialog(owner), saveButton_(saveButton), platform_(platform) {
    SetUpDialogFrame(*this, "Form2", "Add a Tag", {277, 258});
    move(268, 109);
    Label1 = MakeLabel(this, "Label1", "Name", {24, 24}, TFontWeight::Bold);
    Edit1 = MakeEdit(this, "Edit1", {24, 40, 225, 21});
    Edit1->installEventFilter(this);
    Label2 = MakeLabel(this, "Label2", "Tag", {24, 72}, TFontWeight::Bold);
    Memo1 = MakeControl<QPlainTextEdit>(this, "Memo1", {24, 88, 225, 89});
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->installEventFilter(this);
    BitBtn1 = MakeOkButton(*this, {176, 208, 75, 25});
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    BitBtn2 = MakeCancelButton(*this, {80, 208, 75, 25});
}

std::string TForm2::OpenForAdd() {
    Edit1->clear();
    Memo1->clear();
    openedName_.reset();
    return Open(kWindowsLineBreak);
}

std::string TForm2::OpenForEdit(const std::string& name, const std::string& value) {
    Edit1->setText(QString::fromStdString(name));
    Memo1->setPlainText(MemoText(value));
    openedName_ = TypedName();
    return Open(LineBreakOf(value));
}

std::string TForm2::Open(const std::string& lineBreak) {
    Edit1->setFocus();
    if (exec() != QDialog::Accepted) return kCancelled;
    const std::string value = ReplaceAll(Memo1->toPlainText().toStdString(), "\n", lineBreak);
    return TypedName() + "=" + value;
}

std::string TForm2::TypedName() const { return ReplaceAll(UpperCase(Edit1->text().toStdString()), "=", ""); }

bool TForm2::Edit1KeyPress(QKeyEvent* key) {
    if (IsEnterKey(*key)) {
        MoveFocusToNextControl(*Edit1);
        return true;
    }
    const QChar typed = TypedCharacter(*key);
    if (typed == '=') return true;
    if (typed >= 'a' && typed <= 'z') {
        Retype(*Edit1, *key, typed.toUpper());
        return true;
    }
    return false;
}

void TForm2::BitBtn1Click() {
    const std::string name = TypedName();
    if (name != openedName_ && !IsValidCommentName(name)) {
        platform_.ShowMessage(TMessageKind::Error, InvalidNameMessage(name));
        return;
    }
    saveButton_.setEnabled(true);
    accept();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+Enter is OK from both boxes; a plain Enter types a line break into the value.
    if ((watched == Edit1 || watched == Memo1) && IsCtrlEnterKey(*key)) {
        BitBtn1->click();
        return true;
    }
    if (watched == Edit1) return Edit1KeyPress(key);
    return QDialog::eventFilter(watched, event);
}

}  // namespace parvex
