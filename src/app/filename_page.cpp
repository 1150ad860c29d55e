// The "Tag based on filename" page: the cleaning of the name ("Replace", "Auto letter case fix"),
// the overwrite choices and the name format the file names are cut by.

#include "app/file_name_controls.h"
#include "app/form_builder.h"

namespace parvex {

void TForm1::CreateFileNamePage() {
    QWidget* page = TabSheet4;
    CheckBox27 = MakeCheckBox(page, "CheckBox27", "Replace", {24, 72, 121, 17});
    Edit9 = MakeEdit(page, "Edit9", {88, 64, 65, 21});
    Label1 = MakeLabel(page, "Label1", "with space", {160, 72});
    CheckBox28 = MakeCheckBox(page, "CheckBox28", "Recurse subdirs", {24, 136, 97, 17});
    CreateWordList(page, {&TForm1::CheckBox29, "CheckBox29", &TForm1::ListBox3, "ListBox3", &TForm1::BitBtn13,
                          "BitBtn13", &TForm1::BitBtn14, "BitBtn14"});
    CreateOverwriteChoice(page,
                          {{&TForm1::radTagAll, &TForm1::radDontOverwriteTags, &TForm1::radIgnoreTaggedFiles},
                           {"radTagAll", "radDontOverwriteTags", "radIgnoreTaggedFiles"}});
    btnTagFromFilename = MakeButton(page, "btnTagFromFilename", "Tag", {480, 432, 75, 25});

    // clang-format off
    CreateFormatEditor(page, {{&TForm1::CheckBox30, &TForm1::CheckBox31, &TForm1::CheckBox32, &TForm1::CheckBox33,
                               &TForm1::CheckBox34, &TForm1::CheckBox35, &TForm1::CheckBox36},
                              {"CheckBox30", "CheckBox31", "CheckBox32", "CheckBox33",
                               "CheckBox34", "CheckBox35", "CheckBox36"},
                              &TForm1::ListBox5, "ListBox5",
                              &TForm1::BitBtn16, "BitBtn16",
                              &TForm1::BitBtn15, "BitBtn15",
                              &TForm1::BitBtn19, "BitBtn19",
                              &TForm1::Label2, "Label2",
                              &TForm1::Edit20, "Edit20",
                              {152, 96, 65, 21},
                              &TForm1::Label3, "Label3",
                              &TForm1::Edit21, "Edit21"});
    // clang-format on
}

}  // namespace parvex
