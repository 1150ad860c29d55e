// The batch driver of the window: the scan component, the found-file list, the start every batch
// button runs and the dispatch of each found file to the running operation's per-file routine.

#include <QDir>
#include <filesystem>
#include <utility>

#include "app/main_window.h"
#include "scan/date_time.h"

namespace parvex {

namespace {

constexpr const char* kScanMask = "*.ogg";
constexpr const char* kNoWorkingFolder = "Choose a folder with the \"Directory\" button first.";

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    const auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error) return false;
    const auto canonicalB = std::filesystem::weakly_canonical(b, error);
    return !error && canonicalA == canonicalB;
}

// The question a recursive run over a folder that holds far more than music asks first, or an
// empty text for any other folder.
std::string WholeTreeQuestion(const std::string& folder) {
    std::string what;
    if (SameFolder(folder, "/"))
        what = "the root of the file system";
    else if (const std::string home = QDir::homePath().toStdString(); SameFolder(folder, home))
        what = "your home folder " + home;
    else
        return {};
    return "\"Recurse subdirs\" is ticked and the folder is " + what +
           ": the run will go through every .ogg file in it and in all its subfolders. Go on?";
}

}  // namespace

void TForm1::CreateFindFile() {
    FindFile1.Filename = kScanMask;
    FindFile1.OnFound = [this](TFindFile& sender, const std::string& folder, const DirEntry& fileInfo) {
        FindFile1Found(sender, folder, fileInfo);
    };
    FindFile1.OnFolderError = [this](TFindFile& sender, const std::string& folder,
                                     const std::string& reason) {
        FindFile1FolderError(sender, folder, reason);
    };
    FindFile1.OnComplete = [this](TFindFile& sender) { FindFile1Complete(sender); };
}

void TForm1::SetDialogs(TForm2& form2, TForm3& form3) {
    Form2 = &form2;
    Form3 = &form3;
}

void TForm1::RegisterBatchRoutine(const std::string& mode, TBatchRoutine routine, TClosingLines closing) {
    batchOperations_[mode] = {std::move(routine), std::move(closing)};
}

void TForm1::SetScanTimeLimits() {
    // Files written before this moment, by this session too, all belong to the scan.
    const TDateTime now = Now();
    FindFile1.ModifiedBefore = now;
    FindFile1.CreatedBefore = now;
}

void TForm1::SetScanLocation() {
    const std::string folder = Edit4->text().toStdString();
    if (folder.find(';') != std::string::npos)
        throw EFindFileError(folder + "\n\rfolder names holding \";\" cannot be scanned");
    FindFile1.SetLocation(folder);
}

bool TForm1::MayRunOnWorkingFolder(bool recurse) {
    const std::string folder = Edit4->text().toStdString();
    // An empty folder text would be read as the current folder, which the user never chose.
    if (folder.empty()) {
        platform_.ShowMessage(TMessageKind::Error, kNoWorkingFolder);
        return false;
    }
    const std::string question = recurse ? WholeTreeQuestion(folder) : std::string();
    return question.empty() || platform_.Confirm(question);
}

void TForm1::StartBatch(const std::string& mode, const QCheckBox& recurse) {
    if (!MayRunOnWorkingFolder(recurse.isChecked())) return;
    // The run may rewrite the file the Browse page shows.
    if (!ResolveUnsavedEdits()) return;
    memoLog->clear();
    // A run works on the files of its own scan only, never on files or old names of an earlier one.
    FoundFiles.Clear();
    BatchMode = mode;
    batchTally_ = TRunTally();
    SetActivePage(TabSheet6);
    FindFile1.Subfolders = recurse.isChecked();
    SetScanTimeLimits();
    SetScanLocation();
    const TWaitCursor wait(platform_);  // the window takes no input until the last file is done
    FindFile1.Search();
}

void TForm1::FindFile1Found(TFindFile&, const std::string& folder, const DirEntry& fileInfo) {
    // A batch run works on each file once, however many paths (links, second names) lead to it; the
    // file list shows every name.
    if (BatchMode.empty())
        FoundFiles.Add(folder, fileInfo.Name);
    else
        FoundFiles.AddFile(folder, fileInfo);
}

void TForm1::FindFile1FolderError(TFindFile&, const std::string& folder, const std::string& reason) {
    if (BatchMode.empty()) return;
    MemoLog().AddLine(UnreadableFolderLine(folder, reason));
    batchTally_.CountUnreadableFolder();
}

void TForm1::FindFile1Complete(TFindFile&) {
    const auto operation = batchOperations_.find(BatchMode);
    const std::size_t count = FoundFiles.Count();
    for (std::size_t i = 0; i < count; ++i) {
        const auto [dir, name] = TFoundFileList::Split(FoundFiles[i]);
        if (operation != batchOperations_.end()) {
            batchTally_.Count(operation->second.Routine(dir, name));
        } else {
            Listview1->addItem(QString::fromStdString(name));
        }
    }
    if (operation == batchOperations_.end()) return;
    if (operation->second.Closing)
        for (const std::string& line : operation->second.Closing()) MemoLog().AddLine(line);
    MemoLog().AddLine(batchTally_.SummaryLine());
}

}  // namespace parvex
