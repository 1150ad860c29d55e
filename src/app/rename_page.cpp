// The "Rename based on tag" page: the cleaning of the new name ("Auto letter case fix", "Replace
// spaces with:"), the untagged-file guard and the name format the new names are built by.

#include "app/file_name_controls.h"
#include "app/form_builder.h"

namespace parvex {

void TForm1::CreateRenamePage() {
    QWidget* page = TabSheet5;
    CheckBox17 = MakeCheckBox(page, "CheckBox17", "Replace spaces with:", {24, 72, 161, 17});
    Edit19 = MakeEdit(page, "Edit19", {152, 64, 65, 21});
    CheckBox18 = MakeCheckBox(page, "CheckBox18", "Recurse subdirs", {24, 136, 97, 17});
    CreateWordList(page, {&TForm1::CheckBox19, "CheckBox19", &TForm1::ListBox4, "ListBox4", &TForm1::BitBtn10,
                          "BitBtn10", &TForm1::BitBtn11, "BitBtn11"});
    chkDontRenameUntaggedFiles = MakeCheckBox(page, "chkDontRenameUntaggedFiles",
                                              "Don't rename files that have no tags", {24, 312, 313, 25});
    chkDontRenameUntaggedFiles->setChecked(true);
    btnRenameFromTag = MakeButton(page, "btnRenameFromTag", "Rename", {480, 432, 75, 25});

    // clang-format off
    CreateFormatEditor(page, {{&TForm1::CheckBox20, &TForm1::CheckBox21, &TForm1::CheckBox22, &TForm1::CheckBox23,
                               &TForm1::CheckBox24, &TForm1::CheckBox25, &TForm1::CheckBox26},
                              {"CheckBox20", "CheckBox21", "CheckBox22", "CheckBox23",
                               "CheckBox24", "CheckBox25", "CheckBox26"},
                              &TForm1::ListBox6, "ListBox6",
                              &TForm1::BitBtn8, "BitBtn8",
                              &TForm1::BitBtn9, "BitBtn9",
                              nullptr, nullptr,
                              &TForm1::Label4, "Label4",
                              &TForm1::edtFieldSep, "edtFieldSep",
                              {153, 100, 65, 21},
                              &TForm1::Label5, "Label5",
                              &TForm1::Edit18, "Edit18"});
    // clang-format on
}

}  // namespace parvex
