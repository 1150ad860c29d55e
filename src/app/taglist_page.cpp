// The "Tag from List" page: the CSV list file, the overwrite choices, the letter-case fix and the name
// format that says what each column of the list holds.

#include "app/file_name_controls.h"
#include "app/form_builder.h"

namespace parvex {

namespace {

// The permanent entry of the list's format: the column that names the target file.
constexpr const char* kTargetFileEntry = "Target file";

}  // namespace

void TForm1::CreateTagListPage() {
    QWidget* page = TabSheet7;
    Label6 = MakeLabel(page, "Label6", "Input list csv:", {24, 48});
    Edit23 = MakeEdit(page, "Edit23", {24, 64, 121, 21});
    Edit23->setReadOnly(true);
    BitBtn30 = MakeButton(page, "BitBtn30", "Browse", {152, 64, 65, 21});
    CheckBox47 = MakeCheckBox(page, "CheckBox47", "Recurse subdirs", {24, 136, 97, 17});
    CreateWordList(page, {&TForm1::CheckBox48, "CheckBox48", &TForm1::ListBox8, "ListBox8", &TForm1::BitBtn31,
                          "BitBtn31", &TForm1::BitBtn32, "BitBtn32"});
    CreateOverwriteChoice(page, {{&TForm1::RadioButton1, &TForm1::RadioButton2, &TForm1::RadioButton3},
                                 {"RadioButton1", "RadioButton2", "RadioButton3"}});
    BitBtn29 = MakeButton(page, "BitBtn29", "Tag", {480, 432, 75, 25});

    // clang-format off
    CreateFormatEditor(page, {{&TForm1::CheckBox38, &TForm1::CheckBox41, &TForm1::CheckBox42, &TForm1::CheckBox43,
                               &TForm1::CheckBox44, &TForm1::CheckBox45, &TForm1::CheckBox46},
                              {"CheckBox38", "CheckBox41", "CheckBox42", "CheckBox43",
                               "CheckBox44", "CheckBox45", "CheckBox46"},
                              &TForm1::ListBox7, "ListBox7",
                              &TForm1::BitBtn28, "BitBtn28",
                              &TForm1::BitBtn17, "BitBtn17",
                              &TForm1::BitBtn12, "BitBtn12",
                              &TForm1::Label7, "Label7",
                              &TForm1::Edit22, "Edit22",
                              {152, 96, 65, 21},
                              &TForm1::Label8, "Label8",
                              &TForm1::Edit17, "Edit17"});
    // clang-format on
    ListBox7->addItem(kTargetFileEntry);
    Edit17->setText(QString("<") + kTargetFileEntry + ">");
}

}  // namespace parvex
