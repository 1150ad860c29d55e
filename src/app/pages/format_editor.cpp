#include "app/pages/format_editor.h"

#include "app/add_word_dialog.h"
#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/sorted_list.h"
#include "settings/form_storage.h"

namespace parvex {

namespace {

constexpr const char* kOverwriteCaptions[] = {"Tag all files", "Don't overwrite existing tags",
                                              "Ignore files that have any tags at all"};
constexpr int kFieldCheckLeft = 256;
constexpr int kFieldCheckTop = 64;
constexpr int kFieldCheckSpacing = 24;
constexpr int kOverwriteTop = 306;
constexpr int kOverwriteSpacing = 24;

QString Caption(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QLineEdit& edit) { return edit.text().toStdString(); }

std::vector<std::string> ListEntries(const QListWidget& list) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row) entries.push_back(list.item(row)->text().toStdString());
    return entries;
}

// The row of the selected entry of `list`, or -1 when no entry is selected.
int SelectedRow(const QListWidget& list) {
    const QListWidgetItem* current = list.currentItem();
    return current && current->isSelected() ? list.currentRow() : -1;
}

}  // namespace

TFormatEditor::TFormatEditor(QWidget& page, TPageContext& context, const TFormatEditorNames& names)
    : QObject(&page), page_(page), context_(context), names_(names) {}

void TFormatEditor::CreateReplaceOption(const TReplaceOption& option) {
    replaceCheck = MakeCheckBox(&page_, option.checkName, option.caption, option.checkPlace);
    replaceEdit = MakeEdit(&page_, option.editName, option.editPlace);
    if (option.labelName) replaceLabel = MakeLabel(&page_, option.labelName, option.labelCaption, option.labelAt);
}

void TFormatEditor::CreateWordList() {
    caseFixCheck = MakeCheckBox(&page_, names_.caseFixCheck, "Auto letter case fix", {24, 160, 121, 17});
    wordList = MakeControl<TSortedListBox>(&page_, names_.wordList, {24, 184, 145, 109});
    addWordButton = MakeGlyphButton(&page_, names_.addWordButton, "", TGlyph::Add, {179, 184, 30, 25});
    removeWordButton = MakeGlyphButton(&page_, names_.removeWordButton, "", TGlyph::Delete, {179, 268, 30, 25});
    context_.OnClick(addWordButton, this, [this] { addWord(); });
    context_.OnClick(removeWordButton, this, [this] { removeWord(); });
    connect(wordList, &QListWidget::itemDoubleClicked, this, [this] { context_.Handle([this] { editWord(); }); });
}

void TFormatEditor::CreateOverwriteChoice(const std::array<const char*, 3>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        const QRect place(24, kOverwriteTop + static_cast<int>(i) * kOverwriteSpacing, 250, 25);
        overwriteRadios[i] = MakeRadioButton(&page_, names[i], kOverwriteCaptions[i], place);
    }
    overwriteRadios[0]->setChecked(true);
}

void TFormatEditor::CreateNameFormat() {
    for (std::size_t i = 0; i < fieldChecks.size(); ++i) {
        const QRect place(kFieldCheckLeft, kFieldCheckTop + static_cast<int>(i) * kFieldCheckSpacing, 97, 17);
        QCheckBox* box = fieldChecks[i] =
            MakeCheckBox(&page_, names_.fieldChecks[i], Caption(kFieldCaptions[i]), place);
        connect(box, &QCheckBox::toggled, this, [this, box] { context_.Handle([this, box] { onFieldToggled(*box); }); });
    }
    orderList = MakeControl<QListWidget>(&page_, names_.orderList, {328, 64, 145, 161});
    moveUpButton = MakeGlyphButton(&page_, names_.moveUpButton, "", TGlyph::MoveUp, {480, 64, 27, 57});
    moveDownButton = MakeGlyphButton(&page_, names_.moveDownButton, "", TGlyph::MoveDown, {478, 168, 27, 57});
    if (names_.trashButton)
        trashButton = MakeButton(&page_, names_.trashButton, Caption(kAddTrashCaption), {256, 40, 65, 17});
    separatorLabel = MakeLabel(&page_, names_.separatorLabel, "Field Separator:", {48, 104});
    separatorEdit = MakeEdit(&page_, names_.separatorEdit, names_.separatorPlace);
    formatLabel = MakeLabel(&page_, names_.formatLabel, "Name format", {256, 248});
    formatEdit = MakeReadOnlyEdit(&page_, names_.formatEdit, {256, 264, 241, 21});

    connect(separatorEdit, &QLineEdit::textChanged, this, [this] { context_.Handle([this] { BuildFormat(); }); });
    context_.OnClick(moveUpButton, this, [this] { moveSelected(MoveSelectedUp); });
    context_.OnClick(moveDownButton, this, [this] { moveSelected(MoveSelectedDown); });
    if (trashButton) {
        context_.OnClick(trashButton, this, [this] { pressTrash(); });
        connect(orderList, &QListWidget::itemSelectionChanged, this,
                [this] { context_.Handle([this] { ShowTrashCaption(); }); });
    }
    connect(formatEdit, &QLineEdit::textChanged, this, &TFormatEditor::formatChanged);
}

TOrderList TFormatEditor::ReadOrder() const { return {ListEntries(*orderList), SelectedRow(*orderList)}; }

void TFormatEditor::ShowOrder(const TOrderList& order) {
    orderList->clear();
    for (const std::string& entry : order.Entries) orderList->addItem(QString::fromStdString(entry));
    if (order.Selected >= 0) orderList->setCurrentRow(order.Selected);
    BuildFormat();
}

void TFormatEditor::BuildFormat() {
    formatEdit->setText(QString::fromStdString(BuildNameFormat(ListEntries(*orderList), Text(*separatorEdit))));
}

void TFormatEditor::onFieldToggled(const QCheckBox& box) {
    TOrderList order = ReadOrder();
    FieldBoxClicked(order, box.text().toStdString(), box.isChecked());
    ShowOrder(order);
}

void TFormatEditor::moveSelected(bool (*move)(TOrderList&)) {
    TOrderList order = ReadOrder();
    if (move(order)) ShowOrder(order);
}

void TFormatEditor::pressTrash() {
    TOrderList order = ReadOrder();
    TrashButtonPressed(order);
    ShowOrder(order);
    ShowTrashCaption();
}

void TFormatEditor::ShowTrashCaption() { trashButton->setText(Caption(TrashCaption(ReadOrder()))); }

void TFormatEditor::addWord() {
    const std::string word = context_.addWordDialog->AskNewWord();
    if (word != kCancelled) wordList->addItem(QString::fromStdString(word));
}

void TFormatEditor::removeWord() {
    const int row = SelectedRow(*wordList);
    if (row >= 0) delete wordList->takeItem(row);
}

void TFormatEditor::editWord() {
    const int row = SelectedRow(*wordList);
    if (row < 0) return;
    QListWidgetItem* entry = wordList->item(row);
    const std::string word = context_.addWordDialog->AskEditWord(entry->text().toStdString());
    if (word != kCancelled) entry->setText(QString::fromStdString(word));
}

void TFormatEditor::QuoteTexts() {
    QuoteSeparatorText(*separatorEdit);
    if (replaceEdit) QuoteSeparatorText(*replaceEdit);
}

void TFormatEditor::UnquoteTexts() {
    UnquoteSeparatorText(*separatorEdit);
    if (replaceEdit) UnquoteSeparatorText(*replaceEdit);
}

std::string TFormatEditor::Format() const { return Text(*formatEdit); }

std::string TFormatEditor::Separator() const { return Text(*separatorEdit); }

bool TFormatEditor::CaseFixChecked() const { return caseFixCheck->isChecked(); }

std::vector<std::string> TFormatEditor::CaseFixWords() const { return ListEntries(*wordList); }

bool TFormatEditor::ReplaceChecked() const { return replaceCheck->isChecked(); }

std::string TFormatEditor::ReplaceText() const { return Text(*replaceEdit); }

TOverwriteChoice TFormatEditor::Overwrite() const {
    if (overwriteRadios[1]->isChecked()) return TOverwriteChoice::KeepExisting;
    if (overwriteRadios[2]->isChecked()) return TOverwriteChoice::IgnoreTagged;
    return TOverwriteChoice::TagAll;
}

bool TFormatEditor::HasField() const {
    for (const std::string& entry : ListEntries(*orderList))
        if (entry != kTrashEntry) return true;
    return false;
}

}  // namespace parvex
