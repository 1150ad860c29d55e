#pragma once
// The pieces the windows' key filters are made of. A key filter looks at the characters typed into a
// box; keys that type no character (arrows, Delete, Escape, Tab) and shortcuts (Ctrl+V pastes) pass
// it untouched, so text pasted into a box never goes through the filter.

#include <QAbstractButton>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace parvex {

bool IsEnterKey(const QKeyEvent& key);

// The character `key` types, or a null QChar when it types none (a non-printing key, a shortcut).
QChar TypedCharacter(const QKeyEvent& key);

// Delivers `key` to `target` again, typing `replacement` instead of the original character.
void Retype(QWidget& target, const QKeyEvent& key, QChar replacement);

// Moves the focus from `from` to the next control in tab order, as the Tab key would.
void MoveFocusToNextControl(QWidget& from);

// Enter (either key) on `button` while it has the focus presses it.
void PressOnEnter(QAbstractButton& button);

// Enter (either key) in `editor` moves the focus to `next`, or without one to the next control, as
// Tab would.
void MoveFocusOnEnter(QWidget& editor, QWidget* next = nullptr);

// Ctrl+Enter (either key).
bool IsCtrlEnterKey(const QKeyEvent& key);

}  // namespace parvex
