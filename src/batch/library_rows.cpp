#include "batch/library_rows.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <optional>

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

// The row of a file `file` has just read; `stream` tells whether it found a Vorbis or Opus stream.
void FillFromFile(TLibraryRow& row, TOggVorbis& file, bool stream) {
    if (!stream) {
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

void Fill(TLibraryRow& row, const TOpenedFile& opened) {
    if (!opened.Handle) {
        row.Problem = EFOpenError(row.Name, opened.Error).Reason();
        return;
    }
    TOggVorbis file;
    FileInfo info;
    const bool stream = file.Load(*opened.Handle, info);
    FillFromFile(row, file, stream);
}

// The tag a column shows, or the name; `Row` is TLibraryRow, const or not.
template <typename Row>
auto& ColumnText(Row& row, TLibraryColumn column) {
    switch (column) {
        case TLibraryColumn::Artist:
            return row.Artist;
        case TLibraryColumn::Title:
            return row.Title;
        case TLibraryColumn::Album:
            return row.Album;
        case TLibraryColumn::Track:
            return row.Track;
        case TLibraryColumn::Date:
            return row.Date;
        case TLibraryColumn::Genre:
            return row.Genre;
        default:
            return row.Name;
    }
}

std::size_t RunCount(std::size_t names) { return (names + kRun - 1) / kRun; }

// Reads the rows of `names` a run at a time by `workers` threads: `read(worker, names of the run,
// rows of the run)` fills the run's rows (their names and places already set), which `ready` takes in order of the runs, as in
// ReadLibraryRows.
using TRunReader = std::function<void(std::size_t worker, std::span<const std::string> names,
                                      std::span<TLibraryRow> rows)>;
void ReadRuns(std::span<const std::string> names, std::size_t workers, const TRunReader& read,
              const TRowsReady& ready) {
    const std::size_t runs = RunCount(names.size());
    std::vector<std::vector<TLibraryRow>> rows(runs);
    TOrderedWork work(runs, workers, [&](std::size_t run, std::size_t worker) {
        const std::size_t first = run * kRun;
        const auto shown = names.subspan(first, std::min(kRun, names.size() - first));
        std::vector<TLibraryRow>& out = rows[run];
        out.resize(shown.size());
        for (std::size_t k = 0; k < shown.size(); ++k) {
            out[k].Name = shown[k];
            out[k].Place = first + k;
        }
        read(worker, shown, out);
    });
    for (std::size_t run = 0; run < runs; ++run) {
        work.Await(run);
        const bool more = ready(run * kRun, rows[run]);
        std::vector<TLibraryRow>().swap(rows[run]);
        if (!more) return;
    }
}

// Each row's rank in the order of `compare` (<0, 0, >0) over the values `keyOf` gives, rows whose
// values compare equal sharing one. Each distinct value is compared, not each row: a library
// repeats its artists, albums, genres and dates many times over, and numbers sort fast.
template <typename TKeyOf, typename TCompare>
std::vector<std::size_t> RanksBy(std::span<const TLibraryRow> rows, TKeyOf keyOf, TCompare compare) {
    using TKey = std::invoke_result_t<TKeyOf, const TLibraryRow&>;
    std::unordered_map<TKey, std::size_t> idOf;
    std::vector<TKey> distinct;
    std::vector<std::size_t> ids(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto [at, added] = idOf.try_emplace(keyOf(rows[row]), distinct.size());
        if (added) distinct.push_back(at->first);
        ids[row] = at->second;
    }
    std::vector<std::size_t> byValue(distinct.size());
    std::iota(byValue.begin(), byValue.end(), std::size_t{0});
    std::sort(byValue.begin(), byValue.end(),
              [&](std::size_t l, std::size_t r) { return compare(distinct[l], distinct[r]) < 0; });
    std::vector<std::size_t> rankOfId(distinct.size());
    std::size_t rank = 0;
    for (std::size_t k = 0; k < byValue.size(); ++k) {
        if (k > 0 && compare(distinct[byValue[k - 1]], distinct[byValue[k]]) != 0) ++rank;
        rankOfId[byValue[k]] = rank;
    }
    for (std::size_t& id : ids) id = rankOfId[id];
    return ids;
}

}  // namespace

std::vector<std::string> ListLibraryNames(const std::string& folder, bool subfolders, const std::atomic<bool>& stop) {
    struct TStopped {};
    std::vector<std::string> names;
    TFindFile finder;
    finder.Filename = kOggFileMask;
    finder.Subfolders = subfolders;
    // The table takes each file's name, its row is read afterwards: without a date limit the walk
    // need not look up each file.
    finder.Details = false;
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

const std::string& TextOf(const TLibraryRow& row, TLibraryColumn column) { return ColumnText(row, column); }

TLibraryRow SortKeyOf(const TLibraryRow& row, TLibraryColumn column) {
    TLibraryRow key;
    key.Place = row.Place;
    key.Duration = row.Duration;
    key.Codec = row.Codec;
    // The name is the tie's order, which Place already gives.
    if (column != TLibraryColumn::Name) ColumnText(key, column) = TextOf(row, column);
    return key;
}

std::vector<std::size_t> SortedPlaces(std::span<const TLibraryRow> rows, TLibrarySort sort) {
    std::vector<std::size_t> rank;
    switch (sort.Column) {
        case TLibraryColumn::Name:
            break;  // the places are the names' order
        case TLibraryColumn::Duration:
            rank = RanksBy(rows, [](const TLibraryRow& row) { return row.Duration; },
                           [](double l, double r) { return l < r ? -1 : (r < l ? 1 : 0); });
            break;
        case TLibraryColumn::Codec:
            rank = RanksBy(rows, [](const TLibraryRow& row) { return static_cast<int>(row.Codec); },
                           [](int l, int r) { return l - r; });
            break;
        default:
            rank = RanksBy(rows, [column = sort.Column](const TLibraryRow& row) { return std::string_view(TextOf(row, column)); },
                           NaturalCompare);
    }
    std::vector<std::size_t> sorted(rows.size());
    std::iota(sorted.begin(), sorted.end(), std::size_t{0});
    // Rows equal in the column keep the order of their names.
    const auto before = [&](std::size_t l, std::size_t r) {
        if (!rank.empty() && rank[l] != rank[r]) return rank[l] < rank[r];
        return rows[l].Place < rows[r].Place;
    };
    std::sort(sorted.begin(), sorted.end(), before);
    std::vector<std::size_t> places;
    places.reserve(rows.size());
    for (const std::size_t row : sorted) places.push_back(rows[row].Place);
    // Every row differs in its place, so the descending order is the ascending one reversed.
    if (sort.Descending) std::reverse(places.begin(), places.end());
    return places;
}

void ReadLibraryRows(const std::string& folder, std::span<const std::string> names, const TRowsReady& ready) {
    const std::size_t workers = WorkerCount(RunCount(names.size()));
    std::vector<TFileOpener> openers(workers);
    ReadRuns(
        names, workers,
        [&](std::size_t worker, std::span<const std::string> shown, std::span<TLibraryRow> rows) {
            std::vector<std::string> paths;
            paths.reserve(shown.size());
            for (const std::string& name : shown) paths.push_back(folder + name);
            const std::span<TOpenedFile> opened = openers[worker].Open(paths);
            for (std::size_t k = 0; k < shown.size(); ++k) Fill(rows[k], opened[k]);
        },
        ready);
}

TSelectionRead ReadSelection(const std::string& folder, std::span<const std::string> names) {
    const std::size_t workers = WorkerCount(RunCount(names.size()));
    std::vector<TOggVorbis> files(workers);
    // Per name: its record, when the file can be edited.
    std::vector<std::optional<tagrecord>> records(names.size());
    TSelectionRead read;
    read.Rows.reserve(names.size());
    ReadRuns(
        names, workers,
        [&](std::size_t worker, std::span<const std::string>, std::span<TLibraryRow> rows) {
            TOggVorbis& file = files[worker];
            for (TLibraryRow& row : rows) {
                tagrecord record;
                TLoadOutcome loaded = TLoadOutcome::Missing;
                try {
                    loaded = LoadWorkingRecord(file, record, folder + row.Name);
                } catch (const EFOpenError& error) {
                    row.Problem = error.Reason();
                    continue;
                }
                if (loaded == TLoadOutcome::Missing) {
                    row.Problem = EFOpenError(row.Name, ENOENT).Reason();
                    continue;
                }
                FillFromFile(row, file, loaded == TLoadOutcome::Loaded);
                if (row.Problem.empty()) records[row.Place] = std::move(record);
            }
        },
        [&](std::size_t, std::span<TLibraryRow> rows) {
            read.Rows.insert(read.Rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
            return true;
        });
    for (std::optional<tagrecord>& record : records)
        if (record) read.Records.push_back(std::move(*record));
    return read;
}

}  // namespace parvex
