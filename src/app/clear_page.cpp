// The "Clear tags" page: one check box per tag to remove, "Remove all tags", "Recurse subdirs" and
// "Clear".

#include "app/form_builder.h"
#include "app/main_window.h"

namespace parvex {

namespace {

struct TClearBox {
    QCheckBox* TForm1::*box;
    const char* name;
    const char* caption;
    QPoint at;
};

constexpr TClearBox kClearBoxes[] = {
    {&TForm1::CheckBox1, "CheckBox1", "Artist", {120, 56}},
    {&TForm1::CheckBox2, "CheckBox2", "Title", {120, 80}},
    {&TForm1::CheckBox3, "CheckBox3", "Album", {120, 104}},
    {&TForm1::CheckBox4, "CheckBox4", "Track", {120, 128}},
    {&TForm1::CheckBox5, "CheckBox5", "Date", {120, 152}},
    {&TForm1::CheckBox6, "CheckBox6", "Genre", {120, 176}},
    {&TForm1::CheckBox7, "CheckBox7", "Comment", {120, 200}},
    {&TForm1::CheckBox37, "CheckBox37", "Other tags", {120, 224}},
    {&TForm1::CheckBox8, "CheckBox8", "Remove all tags", {120, 264}},
    {&TForm1::clrLicense, "clrLicense", "License", {304, 56}},
    {&TForm1::clrOrganization, "clrOrganization", "Organization", {304, 80}},
    {&TForm1::clrLocation, "clrLocation", "Location", {304, 104}},
    {&TForm1::clrContact, "clrContact", "Contact", {304, 128}},
    {&TForm1::clrVersion, "clrVersion", "Version", {304, 152}},
    {&TForm1::clrCopyright, "clrCopyright", "Copyright", {304, 176}},
    {&TForm1::clrISRC, "clrISRC", "ISRC", {304, 200}},
};

constexpr QSize kBoxSize(97, 17);
constexpr QSize kRemoveAllSize(121, 17);

}  // namespace

void TForm1::CreateClearPage() {
    QWidget* page = TabSheet3;
    Label20 = MakeLabel(page, "Label20", "Place a check next to the tag you wish to remove", {136, 32});
    QPalette hint = Label20->palette();
    hint.setColor(QPalette::WindowText, Qt::gray);
    Label20->setPalette(hint);

    for (const TClearBox& entry : kClearBoxes) {
        const QSize size = entry.box == &TForm1::CheckBox8 ? kRemoveAllSize : kBoxSize;
        this->*entry.box = MakeCheckBox(page, entry.name, entry.caption, {entry.at, size}, TFontWeight::Bold);
    }

    CheckBox40 = MakeCheckBox(page, "CheckBox40", "Recurse subdirs", {456, 400, 97, 17});
    BitBtn2 = MakeButton(page, "BitBtn2", "Clear", {480, 432, 75, 25});
    BitBtn2->setEnabled(false);
}

}  // namespace parvex
