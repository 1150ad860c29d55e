#include "scan/find_file.h"

#include "fs/open_error.h"
#include "scan/search_thread.h"
#include "scan/search_walk.h"

namespace parvex {

TFindFile::TFindFile() : link_(std::make_shared<TOwnerLink>()) { link_->Owner = this; }

TFindFile::~TFindFile() {
    destroying_ = true;
    link_->Owner = nullptr;  // tasks still queued for this component now do nothing
    worker_.reset();
}

void TFindFile::SetLocation(const std::string& location) {
    if (location.find_first_of("*?") != std::string::npos)
        throw EFindFileError(location + "\n\rlocation cannot to be contained wildcards");
    location_ = location;
}

void TFindFile::SetThreadPriority(TThreadPriority priority) {
    priority_ = priority;
    if (worker_) worker_->SetPriority(priority);
}

void TFindFile::Search() {
    if (busy_) return;
    busy_ = true;

    TSearchCriteria criteria;
    criteria.Attributes = Attributes;
    criteria.ExactAttribute = ExactAttribute;
    std::vector<std::string> targets = IncludeFiles.empty() ? BuildTargets(location_, Filename) : IncludeFiles;
    criteria.Subfolders = Subfolders;
    criteria.ExcludeFiles = ExcludeFiles;
    criteria.CreatedBefore = CreatedBefore;
    criteria.CreatedAfter = CreatedAfter;
    criteria.ModifiedBefore = ModifiedBefore;
    criteria.ModifiedAfter = ModifiedAfter;
    criteria.AccessedBefore = AccessedBefore;
    criteria.AccessedAfter = AccessedAfter;
    criteria.SizeMin = SizeMin;
    criteria.SizeMax = SizeMax;
    criteria.Containing = Containing;
    criteria.IgnoreCase = IgnoreCase;
    criteria.Details = Details;
    aborted_ = false;

    TSearchWalk walk(std::move(criteria), std::move(targets));
    if (Threaded && handOver_ != nullptr) {
        worker_ = std::make_unique<TSearchThread>(link_, *handOver_, std::move(walk), priority_);
        return;
    }

    TSearchEvents events;
    events.NewFolder = [this](const std::string& folder) { return DoNewFolder(folder); };
    events.Found = [this](const std::string& folder, const DirEntry& entry) { DoFound(folder, entry); };
    events.Stopped = [this] { return aborted_; };
    events.FolderError = [this](const std::string& folder, int error) { DoFolderError(folder, error); };
    try {
        walk.Run(events);
    } catch (...) {
        aborted_ = true;  // the walk ends quietly; OnComplete still follows
    }
    DoComplete();
}

// The files of a folder come one after another: its name is stripped once for all of them.
void TFindFile::DoFound(const std::string& folder, const DirEntry& entry) {
    if (!OnFound || destroying_) return;
    if (folder != foundFolder_) {
        foundFolder_ = folder;
        strippedFolder_ = StripTrailingBackslash(folder);
    }
    OnFound(*this, strippedFolder_, entry);
}

bool TFindFile::DoNewFolder(const std::string& folder) {
    bool ignoreFolder = false;
    if (OnNewFolder && !destroying_) OnNewFolder(*this, StripTrailingBackslash(folder), ignoreFolder);
    return !ignoreFolder;
}

void TFindFile::DoFolderError(const std::string& folder, int error) {
    if (OnFolderError && !destroying_) OnFolderError(*this, StripTrailingBackslash(folder), ErrorText(error));
}

void TFindFile::DoComplete() {
    busy_ = false;
    if (OnComplete && !destroying_) OnComplete(*this);
}

void TFindFile::WorkerEnded(bool aborted) {
    worker_.reset();
    aborted_ = aborted;
    DoComplete();
}

std::string StripTrailingBackslash(const std::string& folder) {
    if (folder.size() > 1 && folder.back() == '/') return folder.substr(0, folder.size() - 1);
    return folder;
}

}  // namespace parvex
