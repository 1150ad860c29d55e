#include "app/form_builder.h"

#include <QApplication>
#include <QFontInfo>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "app/key_input.h"

namespace parvex {

namespace {

// The window layout was drawn for a font 11 pixels high with narrow letters; the desktop's font at
// that height, narrowed a little, keeps every caption inside the place the layout gives it.
constexpr double kLayoutFontPixels = 11;
constexpr int kFontStretch = 75;
// The desktop font the drawn layout stands for: 10 points at 96 dots per inch, the usual default of
// Linux desktops. A smaller desktop font keeps the drawn layout.
constexpr double kDefaultDesktopFontPixels = 10.0 * 96 / 72;
// The window manager's title bar and borders, as far as they can be known before it draws them.
constexpr QMargins kFrameGuess(6, 38, 6, 6);
// Below this the letters grow too small to read, and the boxes and buttons of the style, which do not
// shrink, leave their captions no room.
constexpr double kSmallestScale = 0.875;

void SetWeight(QWidget& control, TFontWeight weight) {
    if (weight == TFontWeight::Normal) return;
    QFont font = control.font();
    font.setBold(true);
    control.setFont(font);
}

// The plus and minus of the add and delete buttons, drawn at 16 x 16.
QIcon SignIcon(bool plus) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = plus ? QColor(0x2e, 0x8b, 0x3a) : QColor(0xc0, 0x32, 0x2b);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(2, 6.5, 12, 3), 1, 1);
    if (plus) painter.drawRoundedRect(QRectF(6.5, 2, 3, 12), 1, 1);
    return QIcon(pixmap);
}

}  // namespace

QIcon GlyphIcon(TGlyph glyph) {
    QStyle* style = QApplication::style();
    switch (glyph) {
        case TGlyph::Add:
            return SignIcon(true);
        case TGlyph::Delete:
            return SignIcon(false);
        case TGlyph::MoveUp:
            return style->standardIcon(QStyle::SP_ArrowUp);
        case TGlyph::MoveDown:
            return style->standardIcon(QStyle::SP_ArrowDown);
        case TGlyph::Save:
            return style->standardIcon(QStyle::SP_DialogSaveButton);
        case TGlyph::Ok:
            return style->standardIcon(QStyle::SP_DialogOkButton);
        case TGlyph::Cancel:
            return style->standardIcon(QStyle::SP_DialogCancelButton);
        case TGlyph::Folder:
            break;
    }
    return style->standardIcon(QStyle::SP_DirOpenIcon);
}

// Scales go in steps of a sixteenth, so that a font a hair off its nominal size gives the same layout.
constexpr double kScaleSteps = 16;

double LayoutScaleFor(double desktopFontPixels, QSize availableScreen, double devicePixelRatio) {
    const double forFont =
        std::max(1.0, std::round(desktopFontPixels / kDefaultDesktopFontPixels * kScaleSteps) / kScaleSteps);
    const QSize room = availableScreen - QSize(kFrameGuess.left() + kFrameGuess.right(),
                                               kFrameGuess.top() + kFrameGuess.bottom());
    const double fits = std::min(static_cast<double>(room.width()) / kMainWindowLayoutSize.width(),
                                 static_cast<double>(room.height()) / kMainWindowLayoutSize.height());
    const double forScreen = std::floor(fits * kScaleSteps) / kScaleSteps;
    // On a screen of two device pixels per logical pixel (QT_SCALE_FACTOR=2), letters half as many
    // logical pixels high are as legible; the frame then still fits a 1920 x 1080 screen.
    return std::max(kSmallestScale / std::max(1.0, devicePixelRatio), std::min(forFont, forScreen));
}

double LayoutScale() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // Without a screen nothing is shown: the drawn layout is as good as any.
    if (screen == nullptr) return 1.0;
    const double fontPixels = QFontInfo(QApplication::font()).pixelSize();
    return LayoutScaleFor(fontPixels, screen->availableGeometry().size(), screen->devicePixelRatio());
}

int Scaled(int length) { return static_cast<int>(std::lround(length * LayoutScale())); }

QPoint Scaled(QPoint point) { return {Scaled(point.x()), Scaled(point.y())}; }

QSize Scaled(QSize size) { return {Scaled(size.width()), Scaled(size.height())}; }

QRect Scaled(const QRect& place) {
    const QPoint topLeft = Scaled(place.topLeft());
    const QPoint end = Scaled(place.topLeft() + QPoint(place.width(), place.height()));
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

QFont FormFont() {
    QFont font = QApplication::font();
    // Rounded down: letters grow a little faster than their size, so a rounded-up font would not fit.
    font.setPixelSize(static_cast<int>(kLayoutFontPixels * LayoutScale()));
    font.setStretch(kFontStretch);
    return font;
}

QPixmap FitPixmap(const QImage& image, QSize box, qreal devicePixelRatio) {
    if (image.isNull()) return {};
    QSize size = image.size();
    const QSize room = box * devicePixelRatio;
    if (size.width() > room.width() || size.height() > room.height()) size.scale(room, Qt::KeepAspectRatio);
    QPixmap pixmap = QPixmap::fromImage(image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

void KeepOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::screenAt(window.geometry().center());
    if (screen == nullptr) screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // Once the window manager has framed the window its margins are known; before, allow for them.
    QMargins frame = window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) frame = kFrameGuess;
    // A resizable window saved on a larger screen is made to fit this one, down to its least size.
    if (window.minimumSize() != window.maximumSize())
        window.resize(window.size().boundedTo(area.size().shrunkBy(frame)).expandedTo(window.minimumSize()));
    const QRect outer = window.geometry().marginsAdded(frame);
    // Right and bottom first, so that a window larger than the screen keeps its title bar on it.
    const int dx = std::max(area.left() - outer.left(), std::min(0, area.right() - outer.right()));
    const int dy = std::max(area.top() - outer.top(), std::min(0, area.bottom() - outer.bottom()));
    // move() places the frame's corner, also while Qt does not know the frame yet.
    if (dx != 0 || dy != 0) window.move(outer.topLeft() + QPoint(dx, dy));
}

void SetTabChain(const QList<QWidget*>& controls) {
    for (qsizetype i = 1; i < controls.size(); ++i) QWidget::setTabOrder(controls[i - 1], controls[i]);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at, TFontWeight weight) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    SetWeight(*label, weight);
    label->move(Scaled(at));
    label->adjustSize();
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                        TFontWeight weight) {
    auto* box = MakeControl<QCheckBox>(parent, name, place);
    box->setText(caption);
    SetWeight(*box, weight);
    return box;
}

QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& caption, const QRect& place) {
    auto* button = MakeControl<QRadioButton>(parent, name, place);
    button->setText(caption);
    return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place) {
    auto* button = MakeControl<QPushButton>(parent, name, place);
    button->setText(caption);
    // Not a default button of a dialog: Enter in a text box never presses it.
    button->setAutoDefault(false);
    PressOnEnter(*button);
    return button;
}

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption, TGlyph glyph,
                             const QRect& place) {
    QPushButton* button = MakeButton(parent, name, caption, place);
    button->setIcon(GlyphIcon(glyph));
    button->setIconSize(Scaled(QSize(16, 16)));
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& place) {
    return MakeControl<QLineEdit>(parent, name, place);
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name, const QRect& place) {
    QLineEdit* edit = MakeEdit(parent, name, place);
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
    return edit;
}

QComboBox* MakeGenreBox(QWidget* parent, const char* name, const QRect& place) {
    auto* box = MakeControl<QComboBox>(parent, name, place);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(16);
    return box;
}

}  // namespace parvex
