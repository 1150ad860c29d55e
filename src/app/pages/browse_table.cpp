// The Browse page's table of files: its columns, filter, progress and "Recurse subdirs", and the
// room a larger window gives it.

#include <QMenu>
#include <QShortcut>

#include "app/form_builder.h"
#include "app/pages/browse_page.h"

namespace parvex {

void TBrowsePage::CreateFileTable() {
    filterEdit = MakeEdit(this, "edtFilter", {8, 8, 249, 21});
    filterEdit->setPlaceholderText("Filter");
    fileTable = MakeControl<TLibraryView>(this, "Listview1", {8, 32, 249, 272});
    libraryModel = new TLibraryModel(this);
    libraryProxy = new TLibraryProxy(*libraryModel, *fileTable->horizontalHeader(), this);
    libraryLoader = new TLibraryLoader(*libraryModel, this);
    fileTable->setModel(libraryProxy);
    fileTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    fileTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fileTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the table for the next control instead of walking its cells.
    fileTable->setTabKeyNavigation(false);
    fileTable->setWordWrap(false);
    fileTable->verticalHeader()->hide();
    fileTable->verticalHeader()->setDefaultSectionSize(fileTable->fontMetrics().height() + Scaled(4));
    fileTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = fileTable->horizontalHeader();
    header->setSectionsMovable(true);
    header->setHighlightSections(false);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& at) { ShowColumnMenu(at); });
    header->resizeSection(static_cast<int>(TLibraryColumn::Name), Scaled(160));
    fileTable->setSortingEnabled(true);
    fileTable->sortByColumn(static_cast<int>(TLibraryColumn::Name), Qt::AscendingOrder);
    // Ctrl+F: to the filter, its text selected for a new one.
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        filterEdit->setFocus(Qt::ShortcutFocusReason);
        filterEdit->selectAll();
    });
    connect(filterEdit, &QLineEdit::textChanged, libraryProxy, &TLibraryProxy::SetFilterText);
    // A new listing drops the selection without a word from the selection model.
    connect(libraryProxy, &QAbstractItemModel::modelReset, this, [this] { emit selectionCountChanged(0); });
    loadProgress = MakeControl<QProgressBar>(this, "pbLoading", {8, 306, 249, 8});
    loadProgress->setTextVisible(false);
    loadProgress->hide();
    connect(libraryLoader, &TLibraryLoader::progress, this, &TBrowsePage::ShowLoadProgress);
    recurseBox = MakeControl<QCheckBox>(this, "chkBrowseRecurse", {120, 318, 137, 17});
    recurseBox->setText("Recurse subdirs");
    connect(recurseBox, &QCheckBox::toggled, this, [this] {
        if (!folder_.empty() && ResolveUnsavedEdits()) context_.Handle([this] { ListFolder(folder_); });
    });
}

void TBrowsePage::ShowColumnMenu(const QPoint& at) {
    QHeaderView* header = fileTable->horizontalHeader();
    QMenu menu(this);
    for (int column = 1; column < static_cast<int>(TLibraryColumn::Count); ++column) {
        QAction* shown = menu.addAction(libraryModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        shown->setCheckable(true);
        shown->setChecked(!header->isSectionHidden(column));
        connect(shown, &QAction::toggled, this, [this, header, column](bool on) {
            header->setSectionHidden(column, !on);
            // The filter looks in the shown columns only.
            libraryProxy->SetFilterText(filterEdit->text());
        });
    }
    menu.exec(header->mapToGlobal(at));
}

void TBrowsePage::ShowLoadProgress(int done, int total) {
    // A busy bar while the folder is listed, then the rows read of the files found.
    loadProgress->setMaximum(std::max(total, 0));
    loadProgress->setValue(done);
    loadProgress->setVisible(libraryLoader->Loading());
    if (libraryLoader->Loading()) return;
    if (!selectWhenListed_.empty()) SelectFile(std::exchange(selectWhenListed_, {}));
}

std::vector<std::string> TBrowsePage::NamesInFolder(const std::vector<std::string>& paths) const {
    std::vector<std::string> names;
    names.reserve(paths.size());
    for (const std::string& path : paths)
        if (path.starts_with(folder_)) names.push_back(path.substr(folder_.size()));
    return names;
}

void TBrowsePage::RereadRows(const std::vector<std::string>& paths) {
    ReadLibraryRows(folder_, NamesInFolder(paths), [this](std::size_t, std::span<TLibraryRow> rows) {
        libraryModel->UpdateRows(rows);
        return true;
    });
}

void TBrowsePage::KeepDrawnPlaces() {
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        drawnPlaces_.emplace_back(control, control->geometry());
}

void TBrowsePage::Stretch(QSize extra) {
    const QRect table = Scaled(QRect(8, 32, 249, 272));
    for (const auto& [control, drawn] : drawnPlaces_) {
        if (control == fileTable) {
            control->resize(drawn.size() + extra);
        } else if (control == filterEdit) {
            control->resize(drawn.width() + extra.width(), drawn.height());
        } else if (control == loadProgress) {
            control->setGeometry(drawn.x(), drawn.y() + extra.height(), drawn.width() + extra.width(), drawn.height());
        } else if (drawn.x() > table.right()) {
            // The editors, their captions and the stream lines keep their width and their place
            // beside the table's top.
            control->move(drawn.x() + extra.width(), drawn.y());
        } else if (drawn.y() >= table.bottom()) {
            // The other tags stay under the table.
            control->move(drawn.x(), drawn.y() + extra.height());
        }
    }
}

}  // namespace parvex
