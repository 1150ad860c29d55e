#pragma once
// The three file-name pages, each a format editor with the options of its own run:
//   "Tag based on filename"  cuts each file's name by the name format into tags
//   "Rename based on tag"    builds each file's new name from its tags by the name format
//   "Tag from List"          tags each file from its line of a CSV list whose columns the format names

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string>
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

    // A format with a placeholder the run does not know stops it with a message box.
    bool ReadyToRun() override;
    TBatchOrder Order() override;

    TFormatEditor* editor;
};

class TRenamePage : public TBatchPage {
    Q_OBJECT

public:
    TRenamePage(TPageContext& context, QWidget* parent);

    // A format with a placeholder the run does not know stops it with a message box.
    bool ReadyToRun() override;
    TBatchOrder Order() override;

    TFormatEditor* editor;
    QCheckBox* dontRenameUntaggedCheck;

protected:
    // A new name needs a field: with none ticked every file would fail.
    bool CanRun() const override { return editor->HasField(); }
};

class TTagListPage : public TBatchPage {
    Q_OBJECT

public:
    TTagListPage(TPageContext& context, QWidget* parent);

    // The list file must be set and be there, and the format may hold only the placeholders of a
    // list; otherwise a message box says so and there is no run.
    bool ReadyToRun() override;
    // Loads the list (off the window's thread, with its own progress), then tags each file from its
    // line; the lines no file matched are logged at the end.
    TBatchOrder Order() override;
    // "Export list...": writes the tags of the files of `folder` (and of its subfolders when "Recurse
    // subdirs" is ticked) as a list in the page's format, to a file the user chooses, which then
    // becomes the page's list. The files that cannot be listed are named on the Log page.
    void ExportList(const std::string& folder);

    QLabel* listFileLabel;
    QLineEdit* listFileEdit;
    QPushButton* listFileButton;  // "Browse": chooses the list file
    QPushButton* exportButton;    // "Export list...": asks the window for ExportList
    TFormatEditor* editor;

signals:
    // "Export list..." was pressed: the window checks its folder and calls ExportList.
    void exportAsked();

private:
    void chooseListFile();

    // The lookup table of the list, and the keys of the lines it holds.
    TStringHash listHash_{kTagListStartSize};
    std::vector<TListedKey> listKeys_;
};

}  // namespace parvex
