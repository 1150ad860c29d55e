#pragma once
// Helpers that place the controls of the windows: every control is created as a child of its page at
// its place, with its Qt object name set to the control's name, which the settings and the tests find
// it by.
//
// Places are given in layout pixels: the pixels of the layout as drawn, which is the layout at the
// desktop's default font. The helpers turn them into the window's logical pixels by LayoutScale(), so
// with a larger desktop font every control, font and window grows alike and no caption is cut off;
// the desktop's scale factor (device pixels per logical pixel) is applied by Qt on top of that.

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QSize>
#include <QString>

namespace parvex {

enum class TFontWeight { Normal, Bold };

// The pictures of the picture buttons.
enum class TGlyph { Add, Delete, MoveUp, MoveDown, Save, Ok, Cancel, Folder };
QIcon GlyphIcon(TGlyph glyph);

// The client area of the main window in layout pixels: the largest window, which must fit the screen.
inline constexpr QSize kMainWindowLayoutSize(592, 583);

// Logical pixels per layout pixel for a desktop font `desktopFontPixels` high on a screen whose
// available area is `availableScreen` (logical pixels) of `devicePixelRatio` device pixels per
// logical pixel: 1 up to the desktop's default font size, in proportion above it, but never so large
// that the main window with its frame leaves the screen; on a screen too small even for the drawn
// layout, less than 1 (down to a floor that keeps text legible in device pixels).
double LayoutScaleFor(double desktopFontPixels, QSize availableScreen, double devicePixelRatio = 1);
// LayoutScaleFor the application's font (the desktop's) and the primary screen.
double LayoutScale();

// Layout pixels to logical pixels. A rectangle's edges are scaled, not its size, so controls that
// touch in the layout still touch and never overlap.
int Scaled(int length);
QPoint Scaled(QPoint point);
QSize Scaled(QSize size);
QRect Scaled(const QRect& place);

// The font of every window: the desktop's font family, narrowed and sized so that the captions fit
// the layout at LayoutScale().
QFont FormFont();

// `image` reduced (never enlarged) to fit `box` (logical pixels) with its proportions kept, drawn
// sharp on a screen of `devicePixelRatio`.
QPixmap FitPixmap(const QImage& image, QSize box, qreal devicePixelRatio);

// Moves the top-level `window` so that it lies on the available area of its screen, its frame
// (title bar included, guessed before the window manager has given it one) too.
void KeepOnScreen(QWidget& window);

// Creates a `Control` named `name` as a child of `parent` at `place` (layout pixels).
template <typename Control>
Control* MakeControl(QWidget* parent, const char* name, const QRect& place) {
    auto* control = new Control(parent);
    control->setObjectName(name);
    control->setGeometry(Scaled(place));
    return control;
}

// The Tab key visits `controls` in this order, each after the one before it.
void SetTabChain(const QList<QWidget*>& controls);

// A label sized to its caption, its top-left corner at `at` (layout pixels).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at,
                  TFontWeight weight = TFontWeight::Normal);
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                        TFontWeight weight = TFontWeight::Normal);
QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption, const QRect& place);
// A push button; an "&" in `caption` marks its access key (Alt and the letter press it). Enter
// presses it when it has the focus, as Space does, but Enter elsewhere never does.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place);
// A button that shows `glyph` (beside its caption, when it has one).
QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption, TGlyph glyph,
                             const QRect& place);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& place);
// A box the program fills and the user cannot type into, which looks so: the window's background
// instead of a text field's.
QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name, const QRect& place);
// A genre box: any text may be typed, typed text never joins the list, 16 rows show when dropped down.
QComboBox* MakeGenreBox(QWidget* parent, const char* name, const QRect& place);

}  // namespace parvex
