#include "app/pages/name_pages.h"

#include <fstream>
#include <memory>

#include "app/form_builder.h"
#include "naming/rename_from_tag.h"
#include "naming/tag_list_export.h"
#include "naming/tag_from_name.h"

namespace parvex {

namespace {

// How many lines of the list are read between two reports of the loading's progress.
constexpr std::size_t kListLinesPerReport = 1024;
// The list chooser's filter: description and masks.
constexpr const char* kListFileFilter = "csv (*.csv)|*.CSV|";
constexpr QRect kRecursePlace(24, 136, 97, 17);
constexpr const char* kNoTargetColumn =
    "The name format has no <Target file> column: give a field separator to cut it into columns.";

// What "Export list..." says when the list is written.
std::string ExportedMessage(std::size_t written, const std::string& path, std::size_t problems) {
    std::string message = "The tags of " + std::to_string(written) + (written == 1 ? " file were" : " files were") +
                          " written to " + path + ".";
    if (problems > 0)
        message += " " + std::to_string(problems) + (problems == 1 ? " file or folder" : " files or folders") +
                   " could not be listed; the Log page names them.";
    return message;
}

// clang-format off
constexpr TFormatEditorNames kTagFromNameEditor = {
    {"CheckBox30", "CheckBox31", "CheckBox32", "CheckBox33", "CheckBox34", "CheckBox35", "CheckBox36"},
    "ListBox5", "BitBtn16", "BitBtn15", "BitBtn19", "Label2", "Edit20", {152, 96, 65, 21}, "Label3", "Edit21",
    "CheckBox29", "ListBox3", "BitBtn13", "BitBtn14"};
constexpr TFormatEditorNames kRenameEditor = {
    {"CheckBox20", "CheckBox21", "CheckBox22", "CheckBox23", "CheckBox24", "CheckBox25", "CheckBox26"},
    "ListBox6", "BitBtn8", "BitBtn9", nullptr, "Label4", "edtFieldSep", {153, 100, 65, 21}, "Label5", "Edit18",
    "CheckBox19", "ListBox4", "BitBtn10", "BitBtn11"};
constexpr TFormatEditorNames kTagListEditor = {
    {"CheckBox38", "CheckBox41", "CheckBox42", "CheckBox43", "CheckBox44", "CheckBox45", "CheckBox46"},
    "ListBox7", "BitBtn28", "BitBtn17", "BitBtn12", "Label7", "Edit22", {152, 96, 65, 21}, "Label8", "Edit17",
    "CheckBox48", "ListBox8", "BitBtn31", "BitBtn32"};
// clang-format on

// False, after a message box naming it, when the format of `editor` holds a placeholder a run of
// `kind` does not know: the run would take it for text and set or name nothing by it.
bool FormatKnown(TPageContext& context, const TFormatEditor& editor, TFormatKind kind) {
    const std::string problem = UnknownPlaceholderProblem(editor.Format(), editor.Separator(), kind);
    if (!problem.empty()) context.Platform().ShowMessage(TMessageKind::Error, problem);
    return problem.empty();
}

}  // namespace

TTagFromNamePage::TTagFromNamePage(TPageContext& context, QWidget* parent)
    : TBatchPage(context, parent, "TabSheet4", "filename"),
      editor(new TFormatEditor(*this, context, kTagFromNameEditor)) {
    editor->CreateReplaceOption(
        {"CheckBox27", "Replace", {24, 72, 121, 17}, "Edit9", {88, 64, 65, 21}, "Label1", "with space", {160, 72}});
    recurseCheck = MakeCheckBox(this, "CheckBox28", "Recurse subdirs", kRecursePlace);
    editor->CreateWordList();
    editor->CreateOverwriteChoice({"radTagAll", "radDontOverwriteTags", "radIgnoreTaggedFiles"});
    editor->CreateNameFormat();
    // Created last, so that Tab reaches them after every option of the page.
    MakeRunButtons("btnPreviewFileName", "btnTagFromFilename", "&Tag");
}

bool TTagFromNamePage::ReadyToRun() { return FormatKnown(context_, *editor, TFormatKind::FileName); }

TBatchOrder TTagFromNamePage::Order() {
    TTagFromFileNameOptions options;
    options.ReplaceChecked = editor->ReplaceChecked();
    options.ReplaceText = editor->ReplaceText();
    options.CaseFixChecked = editor->CaseFixChecked();
    options.CaseFixWords = editor->CaseFixWords();
    options.Separator = editor->Separator();
    options.Format = editor->Format();
    options.Overwrite = editor->Overwrite();
    TBatchOrder order;
    order.Planner = [options](const std::string& dir, const std::string& name, TOggVorbis& file,
                              tagrecord& record) { return PlanTagFromFileName(options, file, record, dir, name); };
    return order;
}

TRenamePage::TRenamePage(TPageContext& context, QWidget* parent)
    : TBatchPage(context, parent, "TabSheet5", "rename"), editor(new TFormatEditor(*this, context, kRenameEditor)) {
    editor->CreateReplaceOption(
        {"CheckBox17", "Replace spaces with:", {24, 72, 161, 17}, "Edit19", {152, 64, 65, 21}, nullptr, nullptr, {}});
    recurseCheck = MakeCheckBox(this, "CheckBox18", "Recurse subdirs", kRecursePlace);
    editor->CreateWordList();
    dontRenameUntaggedCheck = MakeCheckBox(this, "chkDontRenameUntaggedFiles", "Don't rename files that have no tags",
                                           {24, 312, 313, 25});
    dontRenameUntaggedCheck->setChecked(true);
    editor->CreateNameFormat();
    MakeRunButtons("btnPreviewRename", "btnRenameFromTag", "&Rename");
    connect(editor, &TFormatEditor::formatChanged, this, [this] { UpdateRunButtons(); });
}

bool TRenamePage::ReadyToRun() { return FormatKnown(context_, *editor, TFormatKind::Rename); }

TBatchOrder TRenamePage::Order() {
    TRenameFromTagOptions options;
    options.Format = editor->Format();
    options.CaseFixChecked = editor->CaseFixChecked();
    options.CaseFixWords = editor->CaseFixWords();
    options.ReplaceSpacesChecked = editor->ReplaceChecked();
    options.SpaceReplacement = editor->ReplaceText();
    options.DontRenameUntagged = dontRenameUntaggedCheck->isChecked();
    TBatchOrder order;
    // Every file is planned before the first is renamed: the names the renames planned so far take
    // and free count on top of the folder's.
    order.Planner = [options, planned = std::make_shared<TPlannedNames>()](
                        const std::string& dir, const std::string& name, TOggVorbis& file, tagrecord& record) {
        return PlanRenameFromTag(options, *planned, file, record, dir, name);
    };
    order.Planning = TPlanning::InOrder;
    return order;
}

TTagListPage::TTagListPage(TPageContext& context, QWidget* parent)
    : TBatchPage(context, parent, "TabSheet7", "taglist"), editor(new TFormatEditor(*this, context, kTagListEditor)) {
    listFileLabel = MakeLabel(this, "Label6", "Input list csv:", {24, 48});
    listFileEdit = MakeReadOnlyEdit(this, "Edit23", {24, 64, 121, 21});
    listFileButton = MakeButton(this, "BitBtn30", "&Browse", {152, 64, 65, 21});
    recurseCheck = MakeCheckBox(this, "CheckBox47", "Recurse subdirs", kRecursePlace);
    editor->CreateWordList();
    editor->CreateOverwriteChoice({"RadioButton1", "RadioButton2", "RadioButton3"});
    editor->CreateNameFormat();
    exportButton = MakeButton(this, "btnExportList", "&Export list...", {296, 432, 97, 25});
    exportButton->setToolTip("Write the tags of the folder's files as a list in this format, to edit and read back");
    MakeRunButtons("btnPreviewList", "BitBtn29", "&Tag");
    editor->ShowOrder(NewListFormatOrder());
    context_.OnClick(listFileButton, this, [this] { chooseListFile(); });
    context_.OnClick(exportButton, this, [this] { emit exportAsked(); });
}

bool TTagListPage::ReadyToRun() {
    const std::string problem = CheckInputList(listFileEdit->text().toStdString());
    if (!problem.empty()) context_.Platform().ShowMessage(TMessageKind::Error, problem);
    return problem.empty() && FormatKnown(context_, *editor, TFormatKind::List);
}

void TTagListPage::ExportList(const std::string& folder) {
    CheckScannableFolder(folder);
    if (!FormatKnown(context_, *editor, TFormatKind::List)) return;
    const std::string format = editor->Format();
    const std::string separator = editor->Separator();
    TPlatform& platform = context_.Platform();
    if (TargetColumns(format, separator).empty())
        return platform.ShowMessage(TMessageKind::Error, kNoTargetColumn);
    const auto chosen = platform.ChooseSaveFile(kListFileFilter, listFileEdit->text().toStdString());
    if (!chosen) return;
    std::vector<std::string> problems;
    const TExportProblem problem = [&problems](const std::string& path, const std::string& reason) {
        problems.push_back(path + ": " + reason);
    };
    std::size_t written = 0;
    std::ofstream list(*chosen, std::ios::binary | std::ios::trunc);
    {
        const TWaitCursor waiting(platform);
        if (list)
            written = ExportTagList(ExportedFiles({folder}, recurseCheck->isChecked(), problem), format, separator,
                                    list, problem);
        if (list) list.close();
    }
    if (!list) return platform.ShowMessage(TMessageKind::Error, "Cannot write the list " + *chosen + ".");
    for (const std::string& line : problems) context_.Log().AddLine(line);
    listFileEdit->setText(QString::fromStdString(*chosen));
    platform.ShowMessage(TMessageKind::Information, ExportedMessage(written, *chosen, problems.size()));
}

void TTagListPage::chooseListFile() {
    if (const auto chosen = context_.Platform().ChooseOpenFile(kListFileFilter, listFileEdit->text().toStdString()))
        listFileEdit->setText(QString::fromStdString(*chosen));
}

TBatchOrder TTagListPage::Order() {
    TTagFromListOptions options;
    options.Separator = editor->Separator();
    options.Format = editor->Format();
    options.CaseFixChecked = editor->CaseFixChecked();
    options.CaseFixWords = editor->CaseFixWords();
    options.Overwrite = editor->Overwrite();
    TBatchOrder order;
    // The list is loaded off the window's thread too, with its own progress: the number of lines read.
    order.Prepare = [this, options, listPath = listFileEdit->text().toStdString()](TRunThread& run) {
        const TRunControl control = run.Control("Loading the list:");
        std::size_t lines = 0;
        listKeys_ = LoadTagList(listPath, options, listHash_, [&] {
            if (++lines % kListLinesPerReport == 0) control.Progress({lines, 0, listPath});
        });
    };
    order.Planner = [this, options](const std::string& dir, const std::string& name, TOggVorbis& file,
                                    tagrecord& record) {
        return PlanTagFromList(options, listHash_, file, record, dir, name);
    };
    order.Closing = [this](const TFoundFileList& found) { return UnmatchedListLines(listKeys_, found.Names()); };
    return order;
}

}  // namespace parvex
