// The batch driver of the window: the checks before a batch run and the scan of a run. The run itself
// is in run_view.cpp.

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

bool TMainWindow::MayRunOnWorkingFolder(bool recurse) {
    const std::string folder = folderEdit->text().toStdString();
    // An empty folder text would be read as the current folder, which the user never chose.
    if (folder.empty()) {
        platform_.ShowMessage(TMessageKind::Error, kNoWorkingFolder);
        return false;
    }
    const std::string question = recurse ? WholeTreeQuestion(folder) : std::string();
    return question.empty() || platform_.Confirm(question);
}

void TMainWindow::ScanForRun(const TRunSetup& setup, TRunThread& run) {
    runFiles_.Clear();
    if (!setup.Files.empty()) {
        for (const std::string& path : setup.Files) {
            const std::filesystem::path file(path);
            runFiles_.Add(file.parent_path().string(), file.filename().string());
        }
        return;
    }
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = setup.Subfolders;
    finder.Details = false;  // a run takes each file's name, nothing more
    finder.ModifiedBefore = setup.Before;
    finder.CreatedBefore = setup.Before;
    finder.SetLocation(setup.Folder);
    // Every path is listed; the plans keep one per file, however many paths lead to it.
    finder.OnFound = [this](TFindFile&, const std::string& folder, const DirEntry& fileInfo) {
        runFiles_.Add(folder, fileInfo.Name);
    };
    finder.OnFolderError = [this, &run](TFindFile&, const std::string& folder, const std::string& reason) {
        run.AddLine(UnreadableFolderLine(folder, reason));
        batchTally_.CountUnreadableFolder();
    };
    finder.Search();
}

}  // namespace parvex
