#include "batch/library_rows.h"

#include <algorithm>

#include "batch/ordered_work.h"
#include "fs/file_handle.h"
#include "ogg/ogg_vorbis.h"
#include "fs/open_error.h"
#include "fs/open_files.h"
#include "ogg/header_reader.h"

namespace parvex {

namespace {

constexpr std::size_t kRun = TFileOpener::kRunSize;

void Fill(TLibraryRow& row, const TOpenedFile& opened) {
    row.Read = true;
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
