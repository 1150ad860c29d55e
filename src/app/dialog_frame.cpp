#include "app/dialog_frame.h"

#include "app/form_builder.h"

namespace parvex {

void SetUpDialogFrame(QDialog& dialog, const char* name, const QString& caption, QSize clientSize) {
    dialog.setObjectName(name);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dialog.setWindowTitle(caption);
    dialog.setFont(FormFont());
    dialog.setFixedSize(Scaled(clientSize));
    dialog.setModal(true);
}

QPushButton* MakeOkButton(QDialog& dialog, const QRect& place) {
    return MakeGlyphButton(&dialog, "BitBtn1", "OK", TGlyph::Ok, place);
}

QPushButton* MakeCancelButton(QDialog& dialog, const QRect& place) {
    QPushButton* button = MakeGlyphButton(&dialog, "BitBtn2", "Cancel", TGlyph::Cancel, place);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
    return button;
}

}  // namespace parvex
