#include "batch/library_rows.h"

#include <algorithm>

#include "batch/ordered_work.h"
#include "fs/file_handle.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "fs/open_files.h"
#include "ogg/header_reader.h"
#include "scan/find_file.h"
#include "text/natural_order.h"

namespace parvex {

namespace {

constexpr std::size_t kRun = TFileOpener::kRunSize;

void Fill(TLibraryRow& row, const TOpenedFile& opened) {
    if (!opened.Handle) {
        row.Problem = EFOpenError(row.Name, opened.Error).Reason();
        return;
    }
    TOggVorbis file;
    FileInfo info;
    if (!file.Load(*opened.Handle, info)) {
        row.Problem = kNotOggVorbisOrOpus;
        return;
    }
    row.Stream = true;
    row.Artist = std::move(file.Artist);
    row.Title = std::move(file.Title);
    row.Album = std::move(file.Album);
    row.Track = std::move(file.Track);
    row.Date = std::move(file.Date);
    row.Genre = std::move(file.Genre);
    row.Duration = file.Duration();
    row.Codec = file.Codec;
    row.Problem = std::move(file.HeaderDamage);
}

}  // namespace

std::vector<std::string> ListLibraryNames(const std::string& folder, bool subfolders, TDateTime before,
                                          const std::atomic<bool>& stop) {
    struct TStopped {};
    std::vector<std::string> names;
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = subfolders;
    finder.Details = false;  // the table takes each file's name; its row is read afterwards
    finder.ModifiedBefore = before;
    finder.CreatedBefore = before;
    finder.SetLocation(folder);
    // Every name is listed, links and second names included.
    finder.OnFound = [&](TFindFile&, const std::string& found, const DirEntry& entry) {
        // An error raised in a handler ends the walk.
        if (stop.load(std::memory_order_relaxed)) throw TStopped();
        const std::string below = found.size() > folder.size() ? found.substr(folder.size()) + "/" : std::string();
        names.push_back(below + entry.Name);
    };
    finder.Search();
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalCompare(a, b) < 0; });
    return names;
}

void ReadLibraryRows(const std::string& folder, std::span<const std::string> names, const TRowsReady& ready) {
    const std::size_t runs = (names.size() + kRun - 1) / kRun;
    std::vector<std::vector<TLibraryRow>> rows(runs);
    const std::size_t workers = WorkerCount(runs);
    std::vector<TFileOpener> openers(workers);
    TOrderedWork work(runs, workers, [&](std::size_t run, std::size_t worker) {
        const auto shown = names.subspan(run * kRun, std::min(kRun, names.size() - run * kRun));
        std::vector<std::string> paths;
        paths.reserve(shown.size());
        for (const std::string& name : shown) paths.push_back(folder + name);
        const std::span<TOpenedFile> opened = openers[worker].Open(paths);
        std::vector<TLibraryRow>& out = rows[run];
        out.resize(shown.size());
        for (std::size_t k = 0; k < shown.size(); ++k) {
            out[k].Name = shown[k];
            Fill(out[k], opened[k]);
        }
    });
    for (std::size_t run = 0; run < runs; ++run) {
        work.Await(run);
        const bool more = ready(run * kRun, rows[run]);
        std::vector<TLibraryRow>().swap(rows[run]);
        if (!more) return;
    }
}

}  // namespace parvex
