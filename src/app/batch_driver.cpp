// The batch driver of the window: the scan component and the found-file list of the browse scan,
// the checks before a batch run and the scan of a run. The run itself is in run_view.cpp.

#include <QDir>
#include <filesystem>
#include <utility>

#include "app/form_builder.h"
#include "app/main_window.h"
#include "ogg/ogg_codec.h"
#include "scan/date_time.h"

namespace parvex {

namespace {

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
           ": the run will go through every Ogg file in it and in all its subfolders. Go on?";
}

}  // namespace

void TForm1::CreateFindFile() {
    FindFile1.Filename = kOggFileMask;
    FindFile1.OnFound = [this](TFindFile& sender, const std::string& folder, const DirEntry& fileInfo) {
        FindFile1Found(sender, folder, fileInfo);
    };
    FindFile1.OnComplete = [this](TFindFile& sender) { FindFile1Complete(sender); };
}

QPushButton* TForm1::MakePreviewButton(QWidget* page, const char* name) {
    QPushButton* button = MakeButton(page, name, "Pre&view", {400, 432, 75, 25});
    button->setToolTip("Show what the run would change, then apply it or leave everything as it is");
    return button;
}

void TForm1::SetDialogs(TForm2& form2, TForm3& form3) {
    Form2 = &form2;
    Form3 = &form3;
}

void TForm1::RegisterBatchOperation(const std::string& mode, TBatchOrderMaker order) {
    batchOperations_[mode] = std::move(order);
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

void TForm1::FindFile1Found(TFindFile&, const std::string& folder, const DirEntry& fileInfo) {
    // The file list shows every name, links and second names included.
    FoundFiles.Add(folder, fileInfo.Name);
}

void TForm1::FindFile1Complete(TFindFile&) {
    for (const std::string& entry : FoundFiles)
        Listview1->addItem(QString::fromStdString(TFoundFileList::Split(entry).second));
}

void TForm1::ScanForRun(const TRunSetup& setup, TRunThread& run) {
    runFiles_.Clear();
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = setup.Subfolders;
    finder.Details = false;  // a run takes each file's name and identity, nothing more
    finder.ModifiedBefore = setup.Before;
    finder.CreatedBefore = setup.Before;
    finder.SetLocation(setup.Folder);
    // A run works on each file once, however many paths (links, second names) lead to it.
    finder.OnFound = [this](TFindFile&, const std::string& folder, const DirEntry& fileInfo) {
        runFiles_.AddFile(folder, fileInfo);
    };
    finder.OnFolderError = [this, &run](TFindFile&, const std::string& folder, const std::string& reason) {
        run.AddLine(UnreadableFolderLine(folder, reason));
        batchTally_.CountUnreadableFolder();
    };
    finder.Search();
}

}  // namespace parvex
