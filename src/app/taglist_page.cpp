// The "Tag from List" page: the CSV list file, the overwrite choices, the letter-case fix and the name
// format that says what each column of the list holds.

#include "app/file_name_controls.h"
#include "app/form_builder.h"
#include "naming/tag_from_list.h"

namespace parvex {

namespace {

constexpr const char* kBatchMode = "taglist";
// How many lines of the list are read between two reports of the loading's progress.
constexpr std::size_t kListLinesPerReport = 1024;
// The list chooser's filter: description and masks.
constexpr const char* kListFileFilter = "csv (*.csv)|*.CSV|";

TTagFromListOptions ReadTagFromListOptions(const TForm1& form) {
    TTagFromListOptions options;
    options.Separator = Text(*form.Edit22);
    options.Format = Text(*form.Edit17);
    options.CaseFixChecked = form.CheckBox48->isChecked();
    options.CaseFixWords = ListEntries(*form.ListBox8);
    options.Overwrite = ReadOverwriteChoice(*form.RadioButton2, *form.RadioButton3);
    return options;
}

}  // namespace

void TForm1::CreateTagListPage() {
    QWidget* page = TabSheet7;
    Label6 = MakeLabel(page, "Label6", "Input list csv:", {24, 48});
    Edit23 = MakeEdit(page, "Edit23", {24, 64, 121, 21});
    Edit23->setReadOnly(true);
    BitBtn30 = MakeButton(page, "BitBtn30", "&Browse", {152, 64, 65, 21});
    CheckBox47 = MakeCheckBox(page, "CheckBox47", "Recurse subdirs", {24, 136, 97, 17});
    CreateWordList(page, {&TForm1::CheckBox48, "CheckBox48", &TForm1::ListBox8, "ListBox8", &TForm1::BitBtn31,
                          "BitBtn31", &TForm1::BitBtn32, "BitBtn32"});
    CreateOverwriteChoice(page, {{&TForm1::RadioButton1, &TForm1::RadioButton2, &TForm1::RadioButton3},
                                 {"RadioButton1", "RadioButton2", "RadioButton3"}});

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
    // Created last, so that Tab reaches it after every option of the page.
    btnPreviewList = MakePreviewButton(page, "btnPreviewList");
    BitBtn29 = MakeButton(page, "BitBtn29", "&Tag", {480, 432, 75, 25});
    ShowOrderList(*ListBox7, NewListFormatOrder());
    BuildListFormat();
    ConnectTagListPage();
}

void TForm1::ConnectTagListPage() {
    for (QCheckBox* box :
         {CheckBox38, CheckBox41, CheckBox42, CheckBox43, CheckBox44, CheckBox45, CheckBox46})
        connect(box, &QCheckBox::toggled, this,
                [this, box] { Handle([this, box] { CheckBox38Click(*box); }); });
    connect(Edit22, &QLineEdit::textChanged, this, [this] { Handle([this] { Edit22Change(); }); });
    connect(ListBox7, &QListWidget::itemSelectionChanged, this,
            [this] { Handle([this] { ListBox7Click(); }); });
    connect(ListBox8, &QListWidget::itemDoubleClicked, this,
            [this] { Handle([this] { ListBox3DblClick(*ListBox8); }); });
    ConnectClick(BitBtn28, &TForm1::BitBtn28Click);
    ConnectClick(BitBtn17, &TForm1::BitBtn17Click);
    ConnectClick(BitBtn12, &TForm1::BitBtn12Click);
    ConnectClick(BitBtn31, &TForm1::BitBtn31Click);
    ConnectClick(BitBtn32, &TForm1::BitBtn32Click);
    ConnectClick(BitBtn29, &TForm1::BitBtn29Click);
    ConnectClick(BitBtn30, &TForm1::BitBtn30Click);
    ConnectClick(btnPreviewList, &TForm1::btnPreviewListClick);
    RegisterBatchOperation(kBatchMode, [this] { return TagFromList(); });
}

void TForm1::BuildListFormat() { BuildFormatText(*ListBox7, *Edit22, *Edit17); }

void TForm1::CheckBox38Click(const QCheckBox& box) {
    ClickFieldBox(*ListBox7, box);
    BuildListFormat();
}

void TForm1::Edit22Change() { BuildListFormat(); }

void TForm1::BitBtn28Click() {
    if (MoveOrderEntry(*ListBox7, MoveSelectedUp)) BuildListFormat();
}

void TForm1::BitBtn17Click() {
    if (MoveOrderEntry(*ListBox7, MoveSelectedDown)) BuildListFormat();
}

void TForm1::BitBtn12Click() {
    PressTrashButton(*ListBox7, *BitBtn12);
    BuildListFormat();
}

void TForm1::ListBox7Click() { ShowTrashCaption(*ListBox7, *BitBtn12); }

void TForm1::BitBtn31Click() { AddWord(*ListBox8); }

void TForm1::BitBtn32Click() { DeleteSelectedWord(*ListBox8); }

void TForm1::BitBtn29Click() {
    if (InputListUsable()) StartBatch(kBatchMode, *CheckBox47);
}

void TForm1::btnPreviewListClick() {
    if (InputListUsable()) PreviewBatch(kBatchMode, *CheckBox47);
}

bool TForm1::InputListUsable() {
    const std::string problem = CheckInputList(Text(*Edit23));
    if (!problem.empty()) platform_.ShowMessage(TMessageKind::Error, problem);
    return problem.empty();
}

void TForm1::BitBtn30Click() {
    if (const auto chosen = platform_.ChooseOpenFile(kListFileFilter, Text(*Edit23)))
        Edit23->setText(QString::fromStdString(*chosen));
}

TBatchOrder TForm1::TagFromList() {
    const TTagFromListOptions options = ReadTagFromListOptions(*this);
    TBatchOrder order;
    // The list is loaded off the window's thread too, with its own progress: the number of lines read.
    order.Prepare = [this, options, listPath = Text(*Edit23)](TRunThread& run) {
        const TRunControl control = run.Control("Loading the list:");
        std::size_t lines = 0;
        ListKeys = LoadTagList(listPath, options, ListHash, [&] {
            if (++lines % kListLinesPerReport == 0) control.Progress({lines, 0, listPath});
        });
    };
    order.Planner = [this, options](const std::string& dir, const std::string& name, TOggVorbis& file,
                                    tagrecord& record) {
        return PlanTagFromList(options, ListHash, file, record, dir, name);
    };
    order.Closing = [this](const TFoundFileList& found) {
        return UnmatchedListLines(ListKeys, found.Names());
    };
    return order;
}

}  // namespace parvex
