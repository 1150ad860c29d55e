#pragma once
// The rows of the library table: for every file of a listing the few tags and the stream facts a
// user sorts and filters a music folder by, read from the headers only, fast enough for folders of
// a hundred thousand files.

#include <atomic>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "batch/tag_record.h"
#include "ogg/ogg_codec.h"

namespace parvex {

// The columns of the library table, in their first order.
enum class TLibraryColumn { Name, Artist, Title, Album, Track, Date, Genre, Duration, Codec, Count };

struct TLibraryRow {
    std::string Name;  // the path below the listed folder: "a.ogg", "disc 2/a.ogg"
    std::string Artist;
    std::string Title;
    std::string Album;
    std::string Track;
    std::string Date;
    std::string Genre;
    double Duration = 0;  // seconds
    OggCodec Codec = OggCodec::Vorbis;
    // Why Parvex cannot edit the file, in words ("not an Ogg Vorbis or Opus file", "cannot be
    // opened: permission denied", the damage a save would refuse); empty for a file it can edit.
    std::string Problem;
    bool Stream = false;  // a Vorbis or Opus stream was found: the tags, duration and codec are known
    std::size_t Place = 0;  // its place in the listing, which is the natural order of the names
};

// The text a row shows in a tag column; its name for any other column.
const std::string& TextOf(const TLibraryRow& row, TLibraryColumn column);

// What the library table is sorted by.
struct TLibrarySort {
    TLibraryColumn Column = TLibraryColumn::Name;
    bool Descending = false;
    bool operator==(const TLibrarySort&) const = default;
};

// The listing places (TLibraryRow::Place) of `rows` in the order `sort` puts them: texts in natural
// order, durations by value, codecs by kind; rows equal in the column keep the order of their names.
std::vector<std::size_t> SortedPlaces(std::span<const TLibraryRow> rows, TLibrarySort sort);

// A copy of `row` holding only what sorting it by `column` looks at.
TLibraryRow SortKeyOf(const TLibraryRow& row, TLibraryColumn column);

// The Ogg files of `folder` (ending in "/"), and with `subfolders` those of its whole tree: their
// paths below the folder, in natural order. Every file is listed whatever its dates (a file dated in
// the future is the user's too); folders that cannot be listed are passed over. Once `stop` is set
// the walk ends soon, with what it found so far.
std::vector<std::string> ListLibraryNames(const std::string& folder, bool subfolders, const std::atomic<bool>& stop);

// Takes `rows.size()` rows starting at row `first`, in the order of the names; returns false to stop the
// reading (no further rows are read or handed on).
using TRowsReady = std::function<bool(std::size_t first, std::span<TLibraryRow> rows)>;

// Reads the rows of `names` (paths below `folder`, which ends in "/") by a few threads, each opening
// runs of files together, and hands them to `ready` in order, a run at a time, on the caller's
// thread. Never raises for a file: a file that cannot be read gets a row saying why. A row's Place is
// the index of its name.
void ReadLibraryRows(const std::string& folder, std::span<const std::string> names, const TRowsReady& ready);

// The files of a selection as they are now, read by a few threads: each one's table row, and the
// working records of those Parvex can edit (in the order of the names).
struct TSelectionRead {
    std::vector<TLibraryRow> Rows;
    std::vector<tagrecord> Records;
};
TSelectionRead ReadSelection(const std::string& folder, std::span<const std::string> names);

}  // namespace parvex
