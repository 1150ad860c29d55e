#pragma once
// The Browse page's table of files: one row per file of the listed folder (or tree) with its name,
// main tags, duration and codec, read off the window's thread; a proxy that sorts any column in
// natural order and keeps the rows whose shown columns hold the filter text.

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

enum class TLibraryColumn { Name, Artist, Title, Album, Track, Date, Genre, Duration, Codec, Count };

class TLibraryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TLibraryModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Empties the table.
    void Clear();
    // The rows read come after the rows there are.
    void AppendRows(std::span<TLibraryRow> rows);
    // Each row read again takes the place of the row of its name; a name not listed is left out.
    void UpdateRows(std::span<TLibraryRow> rows);
    const TLibraryRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row of the file named `name` (a path below the folder), -1 when there is none. The model's
    // rows keep their places whatever the view's order or filter, so the index holds until a new listing.
    int RowNamed(const std::string& name) const;
    // The cell's text as the table shows it.
    QString CellText(int row, TLibraryColumn column) const;

private:
    std::vector<TLibraryRow> rows_;
    std::unordered_map<std::string, int> rowOfName_;
};

// The table's view: typing a name's first letters finds the file whichever column is current.
class TLibraryView : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;
    void keyboardSearch(const QString& search) override;
};

// Sorts in natural order (durations by value) and filters by text, case ignored, in the columns the
// view shows.
class TLibraryProxy : public QSortFilterProxyModel {
    Q_OBJECT

public:
    TLibraryProxy(TLibraryModel& model, QHeaderView& header, QObject* parent);

    void SetFilterText(const QString& text);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TLibraryModel& model_;
    QHeaderView& header_;
    QString filter_;
};

// Lists a folder and reads the rows of its files on a thread of its own, and hands them to the model
// on the window's thread in batches small enough that the window keeps answering. A new listing, or
// the loader's end, stops the work.
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
