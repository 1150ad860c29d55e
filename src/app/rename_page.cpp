// The "Rename based on tag" page: the cleaning of the new name ("Auto letter case fix", "Replace
// spaces with:"), the untagged-file guard and the name format the new names are built by.

#include "app/file_name_controls.h"
#include "app/form_builder.h"
#include "naming/rename_from_tag.h"

namespace parvex {

namespace {

constexpr const char* kBatchMode = "rename";

TRenameFromTagOptions ReadRenameFromTagOptions(const TForm1& form) {
    TRenameFromTagOptions options;
    options.Format = Text(*form.Edit18);
    options.CaseFixChecked = form.CheckBox19->isChecked();
    options.CaseFixWords = ListEntries(*form.ListBox4);
    options.ReplaceSpacesChecked = form.CheckBox17->isChecked();
    options.SpaceReplacement = Text(*form.Edit19);
    options.DontRenameUntagged = form.chkDontRenameUntaggedFiles->isChecked();
    return options;
}

}  // namespace

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
    // Created last, so that Tab reaches it after every option of the page.
    btnPreviewRename = MakePreviewButton(page, "btnPreviewRename");
    btnRenameFromTag = MakeButton(page, "btnRenameFromTag", "&Rename", {480, 432, 75, 25});
    ConnectRenamePage();
}

void TForm1::ConnectRenamePage() {
    for (QCheckBox* box :
         {CheckBox20, CheckBox21, CheckBox22, CheckBox23, CheckBox24, CheckBox25, CheckBox26})
        connect(box, &QCheckBox::toggled, this,
                [this, box] { Handle([this, box] { CheckBox20Click(*box); }); });
    connect(edtFieldSep, &QLineEdit::textChanged, this, [this] { Handle([this] { edtFieldSepChange(); }); });
    connect(ListBox4, &QListWidget::itemDoubleClicked, this,
            [this] { Handle([this] { ListBox4DblClick(); }); });
    ConnectClick(BitBtn8, &TForm1::BitBtn8Click);
    ConnectClick(BitBtn9, &TForm1::BitBtn9Click);
    ConnectClick(BitBtn10, &TForm1::BitBtn10Click);
    ConnectClick(BitBtn11, &TForm1::BitBtn11Click);
    ConnectClick(btnRenameFromTag, &TForm1::btnRenameFromTagClick);
    ConnectClick(btnPreviewRename, &TForm1::btnPreviewRenameClick);
    RegisterBatchOperation(kBatchMode, [this] { return RenameFromTag(); });
}

void TForm1::BuildRenameFormat() { BuildFormatText(*ListBox6, *edtFieldSep, *Edit18); }

void TForm1::CheckBox20Click(const QCheckBox& box) {
    ClickFieldBox(*ListBox6, box);
    BuildRenameFormat();
}

void TForm1::edtFieldSepChange() { BuildRenameFormat(); }

void TForm1::BitBtn8Click() {
    if (MoveOrderEntry(*ListBox6, MoveSelectedUp)) BuildRenameFormat();
}

void TForm1::BitBtn9Click() {
    if (MoveOrderEntry(*ListBox6, MoveSelectedDown)) BuildRenameFormat();
}

void TForm1::BitBtn10Click() { AddWord(*ListBox4); }

void TForm1::BitBtn11Click() { DeleteSelectedWord(*ListBox4); }

void TForm1::ListBox4DblClick() { EditSelectedWord(*ListBox4); }

void TForm1::btnRenameFromTagClick() { StartBatch(kBatchMode, *CheckBox18); }

void TForm1::btnPreviewRenameClick() { PreviewBatch(kBatchMode, *CheckBox18); }

TBatchOrder TForm1::RenameFromTag() {
    TBatchOrder order;
    // Every file is planned before the first is renamed: the names the renames planned so far take
    // and free count on top of the folder's.
    order.Planner = [options = ReadRenameFromTagOptions(*this), planned = std::make_shared<TPlannedNames>()](
                        const std::string& dir, const std::string& name, TOggVorbis& file,
                        tagrecord& record) {
        return PlanRenameFromTag(options, *planned, file, record, dir, name);
    };
    order.Planning = TPlanning::InOrder;
    return order;
}

}  // namespace parvex
