#include "app/key_input.h"

#include <QApplication>

namespace parvex {

bool IsEnterKey(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

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

}  // namespace parvex
