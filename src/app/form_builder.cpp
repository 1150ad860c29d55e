#include "app/form_builder.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace parvex {

namespace {

// The window layout was drawn for a font 11 pixels high with narrow letters; the desktop's sans-serif
// at that height, narrowed a little, keeps every caption inside the place the layout gives it.
constexpr int kFontPixelSize = 11;
constexpr int kFontStretch = 75;

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

QFont FormFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kFontPixelSize);
    font.setStretch(kFontStretch);
    return font;
}

void RemoveTabStop(QWidget& control) { control.setFocusPolicy(Qt::ClickFocus); }

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at, TFontWeight weight) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    SetWeight(*label, weight);
    label->move(at);
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

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                        TTabStop tabStop) {
    auto* button = MakeControl<QPushButton>(parent, name, place);
    button->setText(caption);
    button->setAutoDefault(false);
    if (tabStop == TTabStop::No) RemoveTabStop(*button);
    return button;
}

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption, TGlyph glyph,
                             const QRect& place, TTabStop tabStop) {
    QPushButton* button = MakeButton(parent, name, caption, place, tabStop);
    button->setIcon(GlyphIcon(glyph));
    return button;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& place) {
    return MakeControl<QLineEdit>(parent, name, place);
}

QComboBox* MakeGenreBox(QWidget* parent, const char* name, const QRect& place) {
    auto* box = MakeControl<QComboBox>(parent, name, place);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(16);
    return box;
}

}  // namespace parvex
