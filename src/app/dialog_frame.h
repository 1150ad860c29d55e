#pragma once
// What the two small modal dialogs ("Add a Tag", "Add a word") have in common.

#include <QDialog>
#include <QPushButton>
#include <QRect>
#include <QSize>

namespace parvex {

// The result a dialog returns when it is cancelled. A real result never equals it: a tag line always
// holds "=" and a word is in lower case.
inline constexpr const char* kCancelled = "False";

// Makes `dialog` a fixed-size window without window buttons (no close box), in the windows' font.
// `clientSize` is in layout pixels.
void SetUpDialogFrame(QDialog& dialog, const char* name, const QString& caption, QSize clientSize);

// The dialog's "OK" and "Cancel" buttons. Tab reaches both, and Enter presses the one that has the
// focus; neither is the default button, so Enter in a box does what the dialog's key filter says.
// Cancel, and Esc, close it with the Cancel result; what OK does is the dialog's own.
QPushButton* MakeOkButton(QDialog& dialog, const QRect& place);
QPushButton* MakeCancelButton(QDialog& dialog, const QRect& place);

}  // namespace parvex
