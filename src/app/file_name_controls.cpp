#include "app/file_name_controls.h"

#include "app/add_word_dialog.h"
#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/sorted_list.h"

namespace parvex {

namespace {

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

QString Caption(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void TForm1::CreateFormatEditor(QWidget* page, const TFormatEditorLayout& layout) {
    for (std::size_t i = 0; i < layout.fieldBoxes.size(); ++i) {
        const QRect place(kFieldBoxLeft, kFieldBoxTop + static_cast<int>(i) * kFieldBoxSpacing, 97, 17);
        this->*layout.fieldBoxes[i] =
            MakeCheckBox(page, layout.fieldBoxNames[i], Caption(kFieldCaptions[i]), place);
    }
    this->*layout.orderList = MakeControl<QListWidget>(page, layout.orderListName, {328, 64, 145, 161});
    this->*layout.moveUp = MakeGlyphButton(page, layout.moveUpName, "", TGlyph::MoveUp, {480, 64, 27, 57});
    this->*layout.moveDown = MakeGlyphButton(page, layout.moveDownName, "", TGlyph::MoveDown, {478, 168, 27, 57});
    if (layout.trash)
        this->*layout.trash = MakeButton(page, layout.trashName, Caption(kAddTrashCaption), {256, 40, 65, 17});
    this->*layout.separatorLabel = MakeLabel(page, layout.separatorLabelName, "Field Separator:", {48, 104});
    this->*layout.separator = MakeEdit(page, layout.separatorName, layout.separatorPlace);
    this->*layout.formatLabel = MakeLabel(page, layout.formatLabelName, "Name format", {256, 248});
    this->*layout.format = MakeFormatText(page, layout.formatName);
}

void TForm1::CreateWordList(QWidget* page, const TWordListLayout& layout) {
    this->*layout.caseFix = MakeCheckBox(page, layout.caseFixName, "Auto letter case fix", {24, 160, 121, 17});
    this->*layout.list = MakeControl<TSortedListBox>(page, layout.listName, {24, 184, 145, 109});
    this->*layout.add = MakeGlyphButton(page, layout.addName, "", TGlyph::Add, {179, 184, 30, 25});
    this->*layout.remove = MakeGlyphButton(page, layout.removeName, "", TGlyph::Delete, {179, 268, 30, 25});
}

void TForm1::CreateOverwriteChoice(QWidget* page, const TOverwriteChoiceLayout& layout) {
    for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
        const QRect place(24, kOverwriteTop + static_cast<int>(i) * kOverwriteSpacing, 250, 25);
        this->*layout.buttons[i] = MakeRadioButton(page, layout.names[i], kOverwriteCaptions[i], place);
    }
    (this->*layout.buttons[0])->setChecked(true);
}

void TForm1::ConnectClick(QAbstractButton* button, void (TForm1::*handler)()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { Handle([this, handler] { (this->*handler)(); }); });
}

void TForm1::AddWord(QListWidget& list) {
    const std::string word = Form3->AskNewWord();
    if (word != kCancelled) list.addItem(QString::fromStdString(word));
}

void TForm1::EditSelectedWord(QListWidget& list) {
    const int row = SelectedRow(list);
    if (row < 0) return;
    QListWidgetItem* entry = list.item(row);
    const std::string word = Form3->AskEditWord(entry->text().toStdString());
    if (word != kCancelled) entry->setText(QString::fromStdString(word));
}

std::string Text(const QLineEdit& edit) { return edit.text().toStdString(); }

std::vector<std::string> ListEntries(const QListWidget& list) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row) entries.push_back(list.item(row)->text().toStdString());
    return entries;
}

int SelectedRow(const QListWidget& list) {
    const QListWidgetItem* current = list.currentItem();
    return current && current->isSelected() ? list.currentRow() : -1;
}

TOrderList ReadOrderList(const QListWidget& list) { return {ListEntries(list), SelectedRow(list)}; }

void ShowOrderList(QListWidget& list, const TOrderList& order) {
    list.clear();
    for (const std::string& entry : order.Entries) list.addItem(QString::fromStdString(entry));
    if (order.Selected >= 0) list.setCurrentRow(order.Selected);
}

void BuildFormatText(const QListWidget& list, const QLineEdit& separator, QLineEdit& format) {
    format.setText(QString::fromStdString(BuildNameFormat(ListEntries(list), Text(separator))));
}

void ClickFieldBox(QListWidget& list, const QCheckBox& box) {
    TOrderList order = ReadOrderList(list);
    FieldBoxClicked(order, box.text().toStdString(), box.isChecked());
    ShowOrderList(list, order);
}

bool MoveOrderEntry(QListWidget& list, bool (*move)(TOrderList&)) {
    TOrderList order = ReadOrderList(list);
    if (!move(order)) return false;
    ShowOrderList(list, order);
    return true;
}

void PressTrashButton(QListWidget& list, QPushButton& trash) {
    TOrderList order = ReadOrderList(list);
    TrashButtonPressed(order);
    ShowOrderList(list, order);
    ShowTrashCaption(list, trash);
}

void ShowTrashCaption(const QListWidget& list, QPushButton& trash) {
    trash.setText(Caption(TrashCaption(ReadOrderList(list))));
}

void DeleteSelectedWord(QListWidget& list) {
    const int row = SelectedRow(list);
    if (row >= 0) delete list.takeItem(row);
}

TOverwriteChoice ReadOverwriteChoice(const QRadioButton& keepExisting, const QRadioButton& ignoreTagged) {
    if (keepExisting.isChecked()) return TOverwriteChoice::KeepExisting;
    if (ignoreTagged.isChecked()) return TOverwriteChoice::IgnoreTagged;
    return TOverwriteChoice::TagAll;
}

}  // namespace parvex
