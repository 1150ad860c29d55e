// The checks the window makes before a batch run on its working folder. The run itself is in
// run_view.cpp.

#include <QDir>
#include <filesystem>

#include "app/main_window.h"

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

}  // namespace parvex
