#pragma once
// The options the three file-name pages ("Tag based on filename", "Rename based on tag", "Tag from
// List") share, placed alike on each: the name format (seven field boxes, the field order list with
// its move buttons, "Add Trash" where the page has it, the field separator and the format text it
// gives), the replace option of the name's characters, "Auto letter case fix" with its word list, and
// the overwrite choices of the two tagging pages.
//
// The controls are children of their page, named as the settings know them on that page. A page
// creates the parts it has, in its tab order, with the Create functions.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <string>
#include <vector>

#include "app/pages/page_context.h"
#include "naming/format_fields.h"
#include "naming/name_format.h"

namespace parvex {

// The object names of a page's format editor.
struct TFormatEditorNames {
    std::array<const char*, 7> fieldChecks;
    const char* orderList;
    const char* moveUpButton;
    const char* moveDownButton;
    const char* trashButton;  // null on the page without "Add Trash"
    const char* separatorLabel;
    const char* separatorEdit;
    QRect separatorPlace;
    const char* formatLabel;
    const char* formatEdit;
    const char* caseFixCheck;
    const char* wordList;
    const char* addWordButton;
    const char* removeWordButton;
};

// The replace option of a page: its check box and the text box beside it, with the label after the
// box where the page has one.
struct TReplaceOption {
    const char* checkName;
    const char* caption;
    QRect checkPlace;
    const char* editName;
    QRect editPlace;
    const char* labelName = nullptr;
    const char* labelCaption = nullptr;
    QPoint labelAt;
};

class TFormatEditor : public QObject {
    Q_OBJECT

public:
    // Creates nothing yet; `page` and `context` must outlive the editor.
    TFormatEditor(QWidget& page, TPageContext& context, const TFormatEditorNames& names);

    void CreateReplaceOption(const TReplaceOption& option);
    void CreateWordList();
    // The three overwrite choices, "Tag all files" first and selected; `names` in that order.
    void CreateOverwriteChoice(const std::array<const char*, 3>& names);
    void CreateNameFormat();

    // The order list shows `order`, and the format text follows.
    void ShowOrder(const TOrderList& order);
    // Wrap the separator and replace texts in double quotes before the settings are written, so that
    // blanks at their ends survive the settings file, and take the quotes off after they are read.
    void QuoteTexts();
    void UnquoteTexts();

    // What the options say, as the core takes them.
    std::string Format() const;
    std::string Separator() const;
    bool CaseFixChecked() const;
    std::vector<std::string> CaseFixWords() const;
    bool ReplaceChecked() const;
    std::string ReplaceText() const;
    // "Tag all files" is the choice when neither of the other two is selected.
    TOverwriteChoice Overwrite() const;
    // Whether the order list holds a field (not only "TRASH" entries).
    bool HasField() const;

    std::array<QCheckBox*, 7> fieldChecks{};
    QListWidget* orderList = nullptr;
    QPushButton* moveUpButton = nullptr;
    QPushButton* moveDownButton = nullptr;
    QPushButton* trashButton = nullptr;  // null on the rename page
    QLabel* separatorLabel = nullptr;
    QLineEdit* separatorEdit = nullptr;
    QLabel* formatLabel = nullptr;
    QLineEdit* formatEdit = nullptr;
    QCheckBox* replaceCheck = nullptr;
    QLineEdit* replaceEdit = nullptr;
    QLabel* replaceLabel = nullptr;
    QCheckBox* caseFixCheck = nullptr;
    QListWidget* wordList = nullptr;
    QPushButton* addWordButton = nullptr;
    QPushButton* removeWordButton = nullptr;
    std::array<QRadioButton*, 3> overwriteRadios{};  // null on the rename page

signals:
    // The format text changed: the page's run buttons may follow what it holds.
    void formatChanged();

private:
    // Writes the format text from the order list and the separator as they stand.
    void BuildFormat();
    // A field box changed: its caption goes to the end of the order list, or its first entry leaves it.
    void onFieldToggled(const QCheckBox& box);
    // Moves the selected entry of the order list; without a selection nothing happens.
    void moveSelected(bool (*move)(TOrderList&));
    // "Add Trash": deletes the selected "TRASH" entry, or else appends one; its caption then names
    // what its next press does.
    void pressTrash();
    void ShowTrashCaption();
    void addWord();
    void removeWord();
    void editWord();
    TOrderList ReadOrder() const;

    QWidget& page_;
    TPageContext& context_;
    TFormatEditorNames names_;
};

}  // namespace parvex
