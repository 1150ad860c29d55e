#pragma once
// The three file-name pages, each a format editor with the options of its own run:
//   "Tag based on filename"  cuts each file's name by the name format into tags
//   "Rename based on tag"    builds each file's new name from its tags by the name format
//   "Tag from List"          tags each file from its line of a CSV list whose columns the format names

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "app/pages/batch_page.h"
#include "app/pages/format_editor.h"
#include "naming/tag_from_list.h"
#include "text/string_hash.h"

namespace parvex {

class TTagFromNamePage : public TBatchPage {
    Q_OBJECT

public:
    TTagFromNamePage(TPageContext& context, QWidget* parent);

    TBatchOrder Order() override;

    TFormatEditor* editor;
};

class TRenamePage : public TBatchPage {
    Q_OBJECT

public:
    TRenamePage(TPageContext& context, QWidget* parent);

    TBatchOrder Order() override;

    TFormatEditor* editor;
    QCheckBox* dontRenameUntaggedCheck;
};

class TTagListPage : public TBatchPage {
    Q_OBJECT

public:
    TTagListPage(TPageContext& context, QWidget* parent);

    // The list file must be set and be there; otherwise a message box says so and there is no run.
    bool ReadyToRun() override;
    // Loads the list (off the window's thread, with its own progress), then tags each file from its
    // line; the lines no file matched are logged at the end.
    TBatchOrder Order() override;

    QLabel* listFileLabel;
    QLineEdit* listFileEdit;
    QPushButton* listFileButton;  // "Browse": chooses the list file
    TFormatEditor* editor;

private:
    void chooseListFile();

    // The lookup table of the list, and the keys of the lines it holds.
    TStringHash listHash_{kTagListStartSize};
    std::vector<TListedKey> listKeys_;
};

}  // namespace parvex
