#pragma once
// Helpers that place the controls of the windows: every control is created as a child of its page at
// its pixel position, with its Qt object name set to the control's name, which the settings and the
// tests find it by.

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QString>

namespace parvex {

enum class TFontWeight { Normal, Bold };
enum class TTabStop { Yes, No };

// The pictures of the picture buttons.
enum class TGlyph { Add, Delete, MoveUp, MoveDown, Save, Ok, Cancel, Folder };
QIcon GlyphIcon(TGlyph glyph);

// The font of every window: the desktop's sans-serif, sized so that the captions fit the window's
// fixed pixel layout.
QFont FormFont();

// Creates a `Control` named `name` as a child of `parent` at `place`.
template <typename Control>
Control* MakeControl(QWidget* parent, const char* name, const QRect& place) {
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(place);
    return control;
}

// The control is reached by a mouse click only, never by the Tab key.
void RemoveTabStop(QWidget& control);

// A label sized to its caption, its top-left corner at `at`.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at,
                  TFontWeight weight = TFontWeight::Normal);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                        TFontWeight weight = TFontWeight::Normal);
QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption, const QRect& place);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                        TTabStop tabStop = TTabStop::Yes);
// A button that shows `glyph` (beside its caption, when it has one).
QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption, TGlyph glyph,
                             const QRect& place, TTabStop tabStop = TTabStop::Yes);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& place);
// A genre box: any text may be typed, typed text never joins the list, 16 rows show when dropped down.
QComboBox* MakeGenreBox(QWidget* parent, const char* name, const QRect& place);

}  // namespace parvex
