#pragma once
// The Browse page's table of files: one row per file of the listed folder (or tree) with its name,
// main tags, duration and codec, read off the window's thread; a proxy that sorts any column in
// natural order and keeps the rows whose shown columns hold the filter text.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
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

    // Starts the table afresh with `names` (paths below the folder), none of them read yet.
    void SetNames(const std::vector<std::string>& names);
    // The rows read, from row `first` on, take the place of the unread ones.
    void TakeRows(std::size_t first, std::vector<TLibraryRow> rows);
    const TLibraryRow& Row(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row of the file named `name` (a path below the folder), -1 when there is none.
    int RowNamed(const std::string& name) const;
    // The cell's text as the table shows it.
    QString CellText(int row, TLibraryColumn column) const;

private:
    std::vector<TLibraryRow> rows_;
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

// Reads the rows of a listing on a thread of its own and hands them to the model in batches on the
// window's thread, with the progress so far. A new listing, or the loader's end, stops the reading.
class TLibraryLoader : public QObject {
    Q_OBJECT

public:
    explicit TLibraryLoader(TLibraryModel& model, QObject* parent) : QObject(parent), model_(model) {}
    ~TLibraryLoader() override { Stop(); }

    // Lists `names` (paths below `folder`, ending in "/") in the model and starts reading them.
    void Load(const std::string& folder, std::vector<std::string> names);
    // Stops the reading at once; rows not handed on yet stay unread.
    void Stop();
    bool Loading() const { return loading_; }

signals:
    // `done` of `total` rows are read; done == total when the reading has ended.
    void progress(int done, int total);

private:
    // Batches of rows on their way to the window's thread: at most one hand-over waits at a time.
    struct TPending;
    void Deliver(unsigned generation);

    TLibraryModel& model_;
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::shared_ptr<TPending> pending_;
    unsigned generation_ = 0;
    int total_ = 0, done_ = 0;
    bool loading_ = false;
};

}  // namespace parvex
