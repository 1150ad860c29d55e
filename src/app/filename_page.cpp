// The "Tag based on filename" page: the cleaning of the name ("Replace", "Auto letter case fix"),
// the overwrite choices and the name format the file names are cut by.

#include "app/file_name_controls.h"
#include "app/form_builder.h"
#include "naming/tag_from_name.h"

namespace parvex {

namespace {

constexpr const char* kBatchMode = "filename";

TTagFromFileNameOptions ReadTagFromFileNameOptions(const TForm1& form) {
    TTagFromFileNameOptions options;
    options.ReplaceChecked = form.CheckBox27->isChecked();
    options.ReplaceText = Text(*form.Edit9);
    options.CaseFixChecked = form.CheckBox29->isChecked();
    options.CaseFixWords = ListEntries(*form.ListBox3);
    options.Separator = Text(*form.Edit20);
    options.Format = Text(*form.Edit21);
    options.Overwrite = ReadOverwriteChoice(*form.radDontOverwriteTags, *form.radIgnoreTaggedFiles);
    return options;
}

}  // namespace

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
    // Created last, so that Tab reaches it after every option of the page.
    btnPreviewFileName = MakePreviewButton(page, "btnPreviewFileName");
    btnTagFromFilename = MakeButton(page, "btnTagFromFilename", "&Tag", {480, 432, 75, 25});
    ConnectFileNamePage();
}

void TForm1::ConnectFileNamePage() {
    for (QCheckBox* box :
         {CheckBox30, CheckBox31, CheckBox32, CheckBox33, CheckBox34, CheckBox35, CheckBox36})
        connect(box, &QCheckBox::toggled, this,
                [this, box] { Handle([this, box] { CheckBox30Click(*box); }); });
    connect(Edit20, &QLineEdit::textChanged, this, [this] { Handle([this] { Edit20Change(); }); });
    connect(ListBox5, &QListWidget::itemSelectionChanged, this,
            [this] { Handle([this] { ListBox5Click(); }); });
    connect(ListBox3, &QListWidget::itemDoubleClicked, this,
            [this] { Handle([this] { ListBox3DblClick(*ListBox3); }); });
    ConnectClick(BitBtn16, &TForm1::BitBtn16Click);
    ConnectClick(BitBtn15, &TForm1::BitBtn15Click);
    ConnectClick(BitBtn19, &TForm1::BitBtn19Click);
    ConnectClick(BitBtn13, &TForm1::BitBtn13Click);
    ConnectClick(BitBtn14, &TForm1::BitBtn14Click);
    ConnectClick(btnTagFromFilename, &TForm1::btnTagFromFilenameClick);
    ConnectClick(btnPreviewFileName, &TForm1::btnPreviewFileNameClick);
    RegisterBatchOperation(kBatchMode, [this] { return TagFromFileName(); });
}

void TForm1::BuildTagFormat() { BuildFormatText(*ListBox5, *Edit20, *Edit21); }

void TForm1::CheckBox30Click(const QCheckBox& box) {
    ClickFieldBox(*ListBox5, box);
    BuildTagFormat();
}

void TForm1::Edit20Change() { BuildTagFormat(); }

void TForm1::BitBtn16Click() {
    if (MoveOrderEntry(*ListBox5, MoveSelectedUp)) BuildTagFormat();
}

void TForm1::BitBtn15Click() {
    if (MoveOrderEntry(*ListBox5, MoveSelectedDown)) BuildTagFormat();
}

void TForm1::BitBtn19Click() {
    PressTrashButton(*ListBox5, *BitBtn19);
    BuildTagFormat();
}

void TForm1::ListBox5Click() { ShowTrashCaption(*ListBox5, *BitBtn19); }

void TForm1::BitBtn13Click() { AddWord(*ListBox3); }

void TForm1::BitBtn14Click() { DeleteSelectedWord(*ListBox3); }

void TForm1::ListBox3DblClick(QListWidget& sender) { EditSelectedWord(sender); }

void TForm1::btnTagFromFilenameClick() { StartBatch(kBatchMode, *CheckBox28); }

void TForm1::btnPreviewFileNameClick() { PreviewBatch(kBatchMode, *CheckBox28); }

TBatchOrder TForm1::TagFromFileName() {
    TBatchOrder order;
    order.Planner = [options = ReadTagFromFileNameOptions(*this)](
                        const std::string& dir, const std::string& name, TOggVorbis& file,
                        tagrecord& record) { return PlanTagFromFileName(options, file, record, dir, name); };
    return order;
}

}  // namespace parvex
