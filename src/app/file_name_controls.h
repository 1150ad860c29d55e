#pragma once
// The controls that the three file-name pages ("Tag based on filename", "Rename based on tag",
// "Tag from List") have in common, each described once with the names it takes on each page.

#include <QRect>
#include <array>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "naming/format_fields.h"
#include "naming/name_format.h"

namespace parvex {

// The name-format editor: seven field boxes, the order list with its move buttons, the optional
// trash button, the separator and the derived format text.
struct TFormatEditorLayout {
    std::array<QCheckBox * TForm1::*, 7> fieldBoxes;
    std::array<const char*, 7> fieldBoxNames;
    QListWidget* TForm1::*orderList;
    const char* orderListName;
    QPushButton* TForm1::*moveUp;
    const char* moveUpName;
    QPushButton* TForm1::*moveDown;
    const char* moveDownName;
    QPushButton* TForm1::*trash;  // null on the page without a trash button
    const char* trashName;
    QLabel* TForm1::*separatorLabel;
    const char* separatorLabelName;
    QLineEdit* TForm1::*separator;
    const char* separatorName;
    QRect separatorPlace;
    QLabel* TForm1::*formatLabel;
    const char* formatLabelName;
    QLineEdit* TForm1::*format;
    const char* formatName;
};

// The lower-case word list with its add and delete buttons.
struct TWordListLayout {
    QCheckBox* TForm1::*caseFix;  // "Auto letter case fix"
    const char* caseFixName;
    QListWidget* TForm1::*list;
    const char* listName;
    QPushButton* TForm1::*add;
    const char* addName;
    QPushButton* TForm1::*remove;
    const char* removeName;
};

// The three overwrite choices of the two tagging pages, "Tag all files" first and selected.
struct TOverwriteChoiceLayout {
    std::array<QRadioButton * TForm1::*, 3> buttons;
    std::array<const char*, 3> names;
};

// The text of an edit as the core takes it.
std::string Text(const QLineEdit& edit);
// The entries of `list`, top to bottom.
std::vector<std::string> ListEntries(const QListWidget& list);
// The row of the selected entry of `list`, or -1 when no entry is selected.
int SelectedRow(const QListWidget& list);

// The order list of a format editor as the format edits see it, and back: its entries and its
// selected row.
TOrderList ReadOrderList(const QListWidget& list);
void ShowOrderList(QListWidget& list, const TOrderList& order);
// Writes the format text of `list` joined by the text of `separator` into `format`.
void BuildFormatText(const QListWidget& list, const QLineEdit& separator, QLineEdit& format);
// A field box changed: its caption goes to the end of `list`, or its first entry leaves it.
void ClickFieldBox(QListWidget& list, const QCheckBox& box);
// Moves the selected entry of `list` by `move`. False when nothing was selected (nothing moved).
bool MoveOrderEntry(QListWidget& list, bool (*move)(TOrderList&));
// The trash button pressed: the selected "TRASH" entry of `list` deleted, or a "TRASH" entry appended;
// then its caption follows the selection.
void PressTrashButton(QListWidget& list, QPushButton& trash);
// The trash button's caption for the selection of `list`: what its next press does.
void ShowTrashCaption(const QListWidget& list, QPushButton& trash);

// Deletes the selected word of `list`; without a selection nothing happens.
void DeleteSelectedWord(QListWidget& list);

// The overwrite choice of a tagging page from its second and third radio buttons (the first, "Tag
// all files", is the one left when neither is selected).
TOverwriteChoice ReadOverwriteChoice(const QRadioButton& keepExisting, const QRadioButton& ignoreTagged);

}  // namespace parvex
