// The batch driver of the window: the scan component, the found-file list, the start every batch
// button runs and the dispatch of each found file to the running operation's per-file routine.

#include <utility>

#include "app/main_window.h"
#include "scan/date_time.h"

namespace parvex {

namespace {

constexpr const char* kScanMask = "*.ogg";

// Splits a found-file entry into its folder (with the trailing "/") and its file name. The name
// holds no "/", so the last "/" ends the folder, whatever "*" the folder's or the file's name holds.
std::pair<std::string, std::string> SplitFoundEntry(const std::string& entry) {
    const std::size_t folderEnd = entry.rfind('/') + 1;
    return {entry.substr(0, folderEnd), entry.substr(folderEnd + 1)};
}

}  // namespace

void TForm1::CreateFindFile() {
    FindFile1.Filename = kScanMask;
    FindFile1.OnFound = [this](TFindFile& sender, const std::string& folder, const DirEntry& fileInfo) {
        FindFile1Found(sender, folder, fileInfo);
    };
    FindFile1.OnComplete = [this](TFindFile& sender) { FindFile1Complete(sender); };
}

void TForm1::SetDialogs(TForm2& form2, TForm3& form3) {
    Form2 = &form2;
    Form3 = &form3;
}

void TForm1::RegisterBatchRoutine(const std::string& mode, TBatchRoutine routine) {
    batchRoutines_[mode] = std::move(routine);
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

void TForm1::StartBatch(const std::string& mode, const QCheckBox& recurse) {
    memoLog->clear();
    // A run works on the files of its own scan only, never on files or old names of an earlier one.
    FoundFiles.Clear();
    BatchMode = mode;
    SetActivePage(TabSheet6);
    FindFile1.Subfolders = recurse.isChecked();
    SetScanTimeLimits();
    SetScanLocation();
    const TWaitCursor wait(platform_);  // the window takes no input until the last file is done
    FindFile1.Search();
}

void TForm1::FindFile1Found(TFindFile&, const std::string& folder, const DirEntry& fileInfo) {
    FoundFiles.Add(folder, fileInfo.Name);
}

void TForm1::FindFile1Complete(TFindFile&) {
    const auto routine = batchRoutines_.find(BatchMode);
    const std::size_t count = FoundFiles.Count();
    for (std::size_t i = 0; i < count; ++i) {
        const auto [dir, name] = SplitFoundEntry(FoundFiles[i]);
        if (routine != batchRoutines_.end()) {
            routine->second(dir, name);
        } else {
            Listview1->addItem(QString::fromStdString(name));
        }
    }
}

}  // namespace parvex
