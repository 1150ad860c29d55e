#pragma once
// The controls that the three file-name pages ("Tag based on filename", "Rename based on tag",
// "Tag from List") have in common, each described once with the names it takes on each page.

#include <QRect>
#include <array>

#include "app/main_window.h"

namespace parvex {

// The name-format editor: seven field boxes, the order list with its move buttons, the optional
// trash button, the separator and the derived format text.
struct TFormatEditorSpec {
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
struct TWordListSpec {
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
struct TOverwriteChoiceSpec {
    std::array<QRadioButton * TForm1::*, 3> buttons;
    std::array<const char*, 3> names;
};

}  // namespace parvex
