#include "app/pages/library_table.h"

#include <QBrush>
#include <QPalette>
#include <QApplication>
#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>


namespace parvex {

namespace {

constexpr const char* kColumnTitles[] = {"File", "Artist", "Title", "Album", "Track",
                                         "Date", "Genre",  "Time",  "Codec"};
static_assert(std::size(kColumnTitles) == static_cast<std::size_t>(TLibraryColumn::Count));

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Minutes and seconds, rounded to the second: "3:07", "61:00".
QString DurationText(double seconds) {
    const auto whole = static_cast<long long>(std::llround(seconds));
    return QString("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
}

}  // namespace

int TLibraryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TLibraryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(TLibraryColumn::Count);
}

QString TLibraryModel::CellText(int row, TLibraryColumn column) const {
    const TLibraryRow& r = Row(row);
    if (column == TLibraryColumn::Name) return Text(r.Name);
    // A file that holds no stream Parvex knows shows its name only.
    if (!r.Stream) return {};
    switch (column) {
        case TLibraryColumn::Duration:
            return DurationText(r.Duration);
        case TLibraryColumn::Codec:
            return CodecName(r.Codec);
        default:
            return Text(TextOf(r, column));
    }
}

QVariant TLibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const TLibraryRow& row = Row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), static_cast<TLibraryColumn>(index.column()));
        case Qt::ToolTipRole:
            if (!row.Problem.empty()) return Text("Parvex cannot edit this file: " + row.Problem + ".");
            return {};
        case Qt::ForegroundRole:
            // Greyed like a disabled entry: the file is listed, but cannot be edited.
            if (!row.Problem.empty()) return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == static_cast<int>(TLibraryColumn::Duration))
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

QVariant TLibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(TLibraryColumn::Count))
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString(kColumnTitles[section]);
}

void TLibraryModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= static_cast<int>(TLibraryColumn::Count)) return;
    const TLibrarySort sort{static_cast<TLibraryColumn>(column), order == Qt::DescendingOrder};
    ArrangeRows(SortedPlaces(rows_, sort), sort);
}

void TLibraryModel::Clear() {
    beginResetModel();
    std::vector<TLibraryRow>().swap(rows_);
    placeOfName_ = {};
    std::vector<std::size_t>().swap(placeOfRow_);
    std::vector<int>().swap(rowOfPlace_);
    endResetModel();
}

void TLibraryModel::Reserve(std::size_t rows) {
    rows_.reserve(rows);
    placeOfRow_.reserve(rows);
    rowOfPlace_.reserve(rows);
    placeOfName_.reserve(rows);
}

void TLibraryModel::AppendRows(std::span<TLibraryRow> rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (TLibraryRow& row : rows) {
        row.Place = rows_.size();
        placeOfName_.emplace(row.Name, row.Place);
        rowOfPlace_.push_back(static_cast<int>(placeOfRow_.size()));
        placeOfRow_.push_back(row.Place);
        rows_.push_back(std::move(row));
    }
    endInsertRows();
}

void TLibraryModel::UpdateRows(std::span<TLibraryRow> rows) {
    for (TLibraryRow& row : rows) {
        const auto found = placeOfName_.find(row.Name);
        if (found == placeOfName_.end()) continue;
        row.Place = found->second;
        rows_[row.Place] = std::move(row);
        const int at = rowOfPlace_[found->second];
        emit dataChanged(index(at, 0), index(at, columnCount() - 1));
    }
}

void TLibraryModel::ArrangeRows(const std::vector<std::size_t>& places, TLibrarySort sort) {
    std::vector<int> rowOfPlace(rows_.size(), -1);
    bool match = places.size() == rows_.size();
    for (std::size_t row = 0; match && row < places.size(); ++row) {
        match = places[row] < rows_.size() && rowOfPlace[places[row]] < 0;
        if (match) rowOfPlace[places[row]] = static_cast<int>(row);
    }
    if (!match) {
        ArrangeRows(SortedPlaces(rows_, sort), sort);
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from)
        to.append(index(rowOfPlace[placeOfRow_[static_cast<std::size_t>(old.row())]], old.column()));
    placeOfRow_ = places;
    rowOfPlace_.swap(rowOfPlace);
    changePersistentIndexList(from, to);
    sort_ = sort;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TLibraryModel::RowNamed(const std::string& name) const {
    const auto found = placeOfName_.find(name);
    return found == placeOfName_.end() ? -1 : rowOfPlace_[found->second];
}

void TLibraryView::keyboardSearch(const QString& search) {
    // The search looks in the current index's column: move it to the names, keeping the row.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
}

TLibraryProxy::TLibraryProxy(TLibraryModel& model, QHeaderView& header, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model), header_(header) {
    setSourceModel(&model);
    // The model keeps its rows in order: the proxy only filters, and only when asked.
    setDynamicSortFilter(false);
}

void TLibraryProxy::SetFilterText(const QString& text) {
    filter_ = text;
    invalidateFilter();
}

bool TLibraryProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (filter_.isEmpty()) return true;
    for (int column = 0; column < static_cast<int>(TLibraryColumn::Count); ++column) {
        if (header_.isSectionHidden(column)) continue;
        if (model_.CellText(sourceRow, static_cast<TLibraryColumn>(column)).contains(filter_, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

namespace {

// Rows added to the table in one turn of the window's event loop: each addition makes the view and
// the sorting proxy go over their whole row lists, so a few large additions beat many small ones,
// but none may keep the window from answering.
constexpr std::size_t kRowsPerTurn = 8192;

}  // namespace

struct TLibraryLoader::TPending {
    std::mutex Mutex;
    std::deque<TLibraryRow> Rows;
    int Total = -1;          // the number of names, once the folder is listed
    bool Scheduled = false;  // a hand-over is queued on the window's thread
    bool Ended = false;      // the reading has ended
    // Once it has: the order of all rows when sorted by PlacesSort (not given for the names' order).
    std::vector<std::size_t> Places;
    TLibrarySort PlacesSort;
};

void TLibraryLoader::Load(const std::string& folder, TLister list) {
    Clear();
    ++generation_;
    done_ = 0;
    loading_ = true;
    stop_ = std::make_shared<std::atomic<bool>>(false);
    pending_ = std::make_shared<TPending>();
    emit progress(0, -1);
    thread_ = std::thread([this, folder, list = std::move(list), stop = stop_, pending = pending_,
                           generation = generation_, sort = model_.Sort()] {
        const auto handOver = [this, &pending, generation] {
            // Called with the lock held: one hand-over waits at a time and takes what is there.
            if (pending->Scheduled) return;
            pending->Scheduled = true;
            QMetaObject::invokeMethod(this, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
        };
        std::vector<std::string> names;
        try {
            names = list(*stop);
        } catch (const std::exception&) {
            // A folder that went away while it was listed lists nothing.
        }
        {
            const std::lock_guard lock(pending->Mutex);
            pending->Total = static_cast<int>(names.size());
            handOver();
        }
        // What the table is sorted by, kept of each row: the rows come in the order of their names.
        const bool byNames = sort == TLibrarySort{};
        std::vector<TLibraryRow> keys;
        if (!byNames) keys.reserve(names.size());
        if (!stop->load())
            ReadLibraryRows(folder, names, [&](std::size_t, std::span<TLibraryRow> rows) {
                if (!byNames)
                    for (const TLibraryRow& row : rows) keys.push_back(SortKeyOf(row, sort.Column));
                const std::lock_guard lock(pending->Mutex);
                pending->Rows.insert(pending->Rows.end(), std::make_move_iterator(rows.begin()),
                                     std::make_move_iterator(rows.end()));
                handOver();
                return !stop->load();
            });
        std::vector<std::size_t> places;
        if (!byNames && !stop->load()) places = SortedPlaces(keys, sort);
        const std::lock_guard lock(pending->Mutex);
        pending->Places = std::move(places);
        pending->PlacesSort = sort;
        pending->Ended = true;
        handOver();
    });
}

void TLibraryLoader::Stop() {
    if (stop_) stop_->store(true);
    if (thread_.joinable()) thread_.join();
    loading_ = false;
}

void TLibraryLoader::Clear() {
    Stop();
    pending_.reset();
    model_.Clear();
}

void TLibraryLoader::Deliver(unsigned generation) {
    if (generation != generation_ || !pending_) return;
    std::vector<TLibraryRow> rows;
    std::vector<std::size_t> places;
    TLibrarySort placesSort;
    int total;
    bool ended;
    {
        const std::lock_guard lock(pending_->Mutex);
        std::deque<TLibraryRow>& waiting = pending_->Rows;
        const auto taken = waiting.begin() + static_cast<std::ptrdiff_t>(std::min(waiting.size(), kRowsPerTurn));
        rows.assign(std::make_move_iterator(waiting.begin()), std::make_move_iterator(taken));
        waiting.erase(waiting.begin(), taken);
        total = pending_->Total;
        ended = pending_->Ended && waiting.empty();
        if (ended) {
            places = std::move(pending_->Places);
            placesSort = pending_->PlacesSort;
        }
        // What is left waits for the next turn, after the events that came meanwhile.
        pending_->Scheduled = !waiting.empty();
        if (pending_->Scheduled)
            QMetaObject::invokeMethod(this, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
    }
    if (done_ == 0 && total > 0) model_.Reserve(static_cast<std::size_t>(total));
    done_ += static_cast<int>(rows.size());
    model_.AppendRows(rows);
    if (ended && loading_) {
        if (thread_.joinable()) thread_.join();
        loading_ = false;
        // Every row is in: they take the table's order, found off this thread unless the user chose
        // another while they came.
        const TLibrarySort sort = model_.Sort();
        if (sort == placesSort && !places.empty()) {
            model_.ArrangeRows(places, sort);
        } else if (sort != TLibrarySort{}) {
            model_.sort(static_cast<int>(sort.Column), sort.Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
    }
    emit progress(done_, total);
}

}  // namespace parvex
