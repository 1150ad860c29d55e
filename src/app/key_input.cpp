#include "app/key_input.h"

#include <QApplication>

namespace parvex {

namespace {

// The modifier keys held with `key`; the keypad's Enter is the same key as Return.
Qt::KeyboardModifiers ModifiersBesideKeypad(const QKeyEvent& key) {
    Qt::KeyboardModifiers modifiers = key.modifiers();
    modifiers.setFlag(Qt::KeypadModifier, false);
    return modifiers;
}

// Presses the button it watches on Enter; owned by that button.
class TEnterPresses : public QObject {
public:
    explicit TEnterPresses(QAbstractButton& button) : QObject(&button), button_(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (!IsEnterKey(key) || ModifiersBesideKeypad(key) != Qt::NoModifier) return false;
        button_.click();
        return true;
    }

private:
    QAbstractButton& button_;
};

// Moves the focus on from the editor it watches on Enter, to the control given or as Tab would;
// owned by that editor.
class TEnterMovesFocus : public QObject {
public:
    TEnterMovesFocus(QWidget& editor, QWidget* next) : QObject(&editor), editor_(editor), next_(next) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !IsEnterKey(static_cast<const QKeyEvent&>(*event)))
            return QObject::eventFilter(watched, event);
        if (next_) {
            next_->setFocus(Qt::TabFocusReason);
        } else {
            MoveFocusToNextControl(editor_);
        }
        return true;
    }

private:
    QWidget& editor_;
    QWidget* next_;
};

}  // namespace

bool IsEnterKey(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

bool IsCtrlEnterKey(const QKeyEvent& key) {
    return IsEnterKey(key) && ModifiersBesideKeypad(key) == Qt::ControlModifier;
}

QChar TypedCharacter(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    const QString text = key.text();
    if (text.size() != 1 || !text[0].isPrint()) return {};
    return text[0];
}

void Retype(QWidget& target, const QKeyEvent& key, QChar replacement) {
    QKeyEvent retyped(key.type(), key.key(), key.modifiers(), QString(replacement), key.isAutoRepeat(),
                      static_cast<quint16>(key.count()));
    QApplication::sendEvent(&target, &retyped);
}

void MoveFocusToNextControl(QWidget& from) {
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(&from, &tab);
}

void PressOnEnter(QAbstractButton& button) { button.installEventFilter(new TEnterPresses(button)); }

void MoveFocusOnEnter(QWidget& editor, QWidget* next) {
    editor.installEventFilter(new TEnterMovesFocus(editor, next));
}

}  // namespace parvex
