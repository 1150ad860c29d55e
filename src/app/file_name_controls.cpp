#include "app/file_name_controls.h"

#include "app/form_builder.h"
#include "app/sorted_list.h"

namespace parvex {

namespace {

constexpr const char* kFieldCaptions[] = {"Artist", "Title", "Album", "Track", "Date", "Genre", "Comment"};
constexpr const char* kOverwriteCaptions[] = {"Tag all files", "Don't overwrite existing tags",
                                              "Ignore files that have any tags at all"};
constexpr int kFieldBoxLeft = 256;
constexpr int kFieldBoxTop = 64;
constexpr int kFieldBoxSpacing = 24;
constexpr int kOverwriteTop = 306;
constexpr int kOverwriteSpacing = 24;

QLineEdit* MakeFormatText(QWidget* page, const char* name) {
    QLineEdit* format = MakeEdit(page, name, {256, 264, 241, 21});
    format->setReadOnly(true);
    return format;
}

}  // namespace

void TForm1::CreateFormatEditor(QWidget* page, const TFormatEditorSpec& spec) {
    for (std::size_t i = 0; i < spec.fieldBoxes.size(); ++i) {
        const QRect place(kFieldBoxLeft, kFieldBoxTop + static_cast<int>(i) * kFieldBoxSpacing, 97, 17);
        this->*spec.fieldBoxes[i] = MakeCheckBox(page, spec.fieldBoxNames[i], kFieldCaptions[i], place);
    }
    this->*spec.orderList = MakeControl<QListWidget>(page, spec.orderListName, {328, 64, 145, 161});
    this->*spec.moveUp = MakeGlyphButton(page, spec.moveUpName, "", TGlyph::MoveUp, {480, 64, 27, 57});
    this->*spec.moveDown = MakeGlyphButton(page, spec.moveDownName, "", TGlyph::MoveDown, {478, 168, 27, 57});
    if (spec.trash) this->*spec.trash = MakeButton(page, spec.trashName, "Add Trash", {256, 40, 65, 17});
    this->*spec.separatorLabel = MakeLabel(page, spec.separatorLabelName, "Field Separator:", {48, 104});
    this->*spec.separator = MakeEdit(page, spec.separatorName, spec.separatorPlace);
    this->*spec.formatLabel = MakeLabel(page, spec.formatLabelName, "Name format", {256, 248});
    this->*spec.format = MakeFormatText(page, spec.formatName);
}

void TForm1::CreateWordList(QWidget* page, const TWordListSpec& spec) {
    this->*spec.caseFix = MakeCheckBox(page, spec.caseFixName, "Auto letter case fix", {24, 160, 121, 17});
    this->*spec.list = MakeControl<TSortedListBox>(page, spec.listName, {24, 184, 145, 109});
    this->*spec.add = MakeGlyphButton(page, spec.addName, "", TGlyph::Add, {179, 184, 30, 25});
    this->*spec.remove = MakeGlyphButton(page, spec.removeName, "", TGlyph::Delete, {179, 268, 30, 25});
}

void TForm1::CreateOverwriteChoice(QWidget* page, const TOverwriteChoiceSpec& spec) {
    for (std::size_t i = 0; i < spec.buttons.size(); ++i) {
        const QRect place(24, kOverwriteTop + static_cast<int>(i) * kOverwriteSpacing, 250, 25);
        this->*spec.buttons[i] = MakeRadioButton(page, spec.names[i], kOverwriteCaptions[i], place);
    }
    (this->*spec.buttons[0])->setChecked(true);
}

}  // namespace parvex
