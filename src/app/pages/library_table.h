#pragma once
// The Browse page's table of files: one row per file of the listed folder (or tree) with its name,
// main tags, duration and codec, read off the window's thread and kept in the order the table is
// sorted by; a proxy that keeps the rows whose shown columns hold the filter text.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "batch/library_rows.h"

namespace parvex {

class TLibraryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TLibraryModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Puts the rows in the order of `column` (natural order, see SortedPlaces), on the window's
    // thread. Rows added afterwards come last until the next sort.
    void sort(int column, Qt::SortOrder order) override;

    // Empties the table; its sort stays.
    void Clear();
    // Makes room for a listing of `rows` rows.
    void Reserve(std::size_t rows);
    // The rows read, the next of the listing, come after the rows there are (their Place is set to
    // their place in the listing).
    void AppendRows(std::span<TLibraryRow> rows);
    // Each row read again takes the row of its name, keeping its place; a name not listed is left out.
    void UpdateRows(std::span<TLibraryRow> rows);
    // Puts the rows in the order of `places` (the listing places of every row, as SortedPlaces gives
    // them for `sort`, which the table is then sorted by). Rows and places that do not match (a row
    // added since the places were taken) sort the rows here instead.
    void ArrangeRows(const std::vector<std::size_t>& places, TLibrarySort sort);
    const TLibraryRow& Row(int row) const { return rows_[placeOfRow_[static_cast<std::size_t>(row)]]; }
    // The row of the file named `name` (a path below the folder), -1 when there is none.
    int RowNamed(const std::string& name) const;
    // The cell's text as the table shows it.
    QString CellText(int row, TLibraryColumn column) const;
    // What the rows are sorted by.
    TLibrarySort Sort() const { return sort_; }

private:
    // The rows stay where the listing put them; a sort only changes which row is shown where.
    std::vector<TLibraryRow> rows_;  // by place
    std::vector<std::size_t> placeOfRow_;
    std::vector<int> rowOfPlace_;
    std::unordered_map<std::string, std::size_t> placeOfName_;
    TLibrarySort sort_;
};

// The table's view: typing a name's first letters finds the file whichever column is current.
class TLibraryView : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;
    void keyboardSearch(const QString& search) override;
};

// Filters by text, case ignored, in the columns the view shows; sorting is the model's, which keeps
// its rows in order.
class TLibraryProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    TLibraryProxy(TLibraryModel& model, QHeaderView& header, QObject* parent);

    void SetFilterText(const QString& text);
    void sort(int column, Qt::SortOrder order) override { model_.sort(column, order); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TLibraryModel& model_;
    QHeaderView& header_;
    QString filter_;
};

// Lists a folder and reads the rows of its files on a thread of its own, and hands them to the model
// on the window's thread in batches small enough that the window keeps answering; when the table is
// sorted by another column than the names, their order is found on that thread too, and the rows take
// it at the end. A new listing, or the loader's end, stops the work.
class TLibraryLoader : public QObject {
    Q_OBJECT

public:
    // Called on the loader's thread: the names to list (paths below the folder), in the table's
    // order; it should return soon once `stop` is set.
    using TLister = std::function<std::vector<std::string>(const std::atomic<bool>& stop)>;

    explicit TLibraryLoader(TLibraryModel& model, QObject* parent) : QObject(parent), model_(model) {}
    ~TLibraryLoader() override { Stop(); }

    // Empties the model and starts listing with `list`, then reading the rows of the files below
    // `folder` (ending in "/").
    void Load(const std::string& folder, TLister list);
    // Stops the work at once and empties the model.
    void Clear();
    bool Loading() const { return loading_; }

signals:
    // `done` rows of `total` are in the table; `total` is -1 while the folder is listed. Loading() is
    // false at the last of them.
    void progress(int done, int total);

private:
    // Rows on their way to the window's thread: at most one hand-over waits at a time.
    struct TPending;
    void Stop();
    void Deliver(unsigned generation);

    TLibraryModel& model_;
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<TPending> pending_;
    unsigned generation_ = 0;
    int done_ = 0;
    bool loading_ = false;
};

}  // namespace parvex
