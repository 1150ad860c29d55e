#include "app/pages/library_table.h"

#include <QBrush>
#include <QPalette>
#include <QApplication>
#include <cmath>
#include <deque>
#include <mutex>

#include "text/natural_order.h"

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

const std::string& TextOf(const TLibraryRow& row, TLibraryColumn column) {
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

void TLibraryModel::Clear() {
    beginResetModel();
    std::vector<TLibraryRow>().swap(rows_);
    rowOfName_ = {};
    endResetModel();
}

void TLibraryModel::AppendRows(std::span<TLibraryRow> rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.reserve(rows_.size() + rows.size());
    for (TLibraryRow& row : rows) {
        rowOfName_.emplace(row.Name, static_cast<int>(rows_.size()));
        rows_.push_back(std::move(row));
    }
    endInsertRows();
}

void TLibraryModel::UpdateRows(std::span<TLibraryRow> rows) {
    for (TLibraryRow& row : rows) {
        const int at = RowNamed(row.Name);
        if (at < 0) continue;
        rows_[static_cast<std::size_t>(at)] = std::move(row);
        emit dataChanged(index(at, 0), index(at, columnCount() - 1));
    }
}

int TLibraryModel::RowNamed(const std::string& name) const {
    const auto found = rowOfName_.find(name);
    return found == rowOfName_.end() ? -1 : found->second;
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
    // Rows read while loading keep their place until the reading ends and the table sorts once.
    setDynamicSortFilter(false);
}

void TLibraryProxy::SetFilterText(const QString& text) {
    filter_ = text;
    invalidateFilter();
}

bool TLibraryProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto column = static_cast<TLibraryColumn>(left.column());
    const TLibraryRow& l = model_.Row(left.row());
    const TLibraryRow& r = model_.Row(right.row());
    int order = 0;
    if (column == TLibraryColumn::Duration) {
        order = l.Duration < r.Duration ? -1 : (r.Duration < l.Duration ? 1 : 0);
    } else if (column == TLibraryColumn::Codec) {
        order = static_cast<int>(l.Codec) - static_cast<int>(r.Codec);
    } else {
        order = NaturalCompare(TextOf(l, column), TextOf(r, column));
    }
    // Rows equal in the column keep the order of their names.
    if (order == 0 && column != TLibraryColumn::Name) order = NaturalCompare(l.Name, r.Name);
    return order < 0;
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
                           generation = generation_] {
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
        if (!stop->load())
            ReadLibraryRows(folder, names, [&](std::size_t, std::span<TLibraryRow> rows) {
                const std::lock_guard lock(pending->Mutex);
                pending->Rows.insert(pending->Rows.end(), std::make_move_iterator(rows.begin()),
                                     std::make_move_iterator(rows.end()));
                handOver();
                return !stop->load();
            });
        const std::lock_guard lock(pending->Mutex);
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
        // What is left waits for the next turn, after the events that came meanwhile.
        pending_->Scheduled = !waiting.empty();
        if (pending_->Scheduled)
            QMetaObject::invokeMethod(this, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
    }
    done_ += static_cast<int>(rows.size());
    model_.AppendRows(rows);
    if (ended && loading_) {
        if (thread_.joinable()) thread_.join();
        loading_ = false;
    }
    emit progress(done_, total);
}

}  // namespace parvex
