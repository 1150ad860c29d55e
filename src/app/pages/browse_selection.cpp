// The Browse page with several files selected: the editors show what the files share, and Save
// writes the edits into all of them as one run, journaled and undone like a batch run.

#include <QItemSelection>
#include <QSignalBlocker>

#include "app/pages/browse_page.h"

namespace parvex {

namespace {

constexpr const char* kDifferentValues = "(different values)";

std::size_t FieldIndex(TTagField field) { return static_cast<std::size_t>(field); }

QLineEdit* LineEditOf(QLineEdit* edit, QComboBox* genreBox) { return edit ? edit : genreBox->lineEdit(); }

}  // namespace

std::vector<std::string> TBrowsePage::SelectedFilePaths() const {
    QModelIndexList selected = fileTable->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& row : selected)
        paths.push_back(folder_ + libraryModel->Row(libraryProxy->mapToSource(row).row()).Name);
    return paths;
}

std::string TBrowsePage::SelectedFilePath() const {
    std::vector<std::string> paths = SelectedFilePaths();
    return paths.size() == 1 ? paths.front() : std::string();
}

void TBrowsePage::SelectFiles(const std::vector<std::string>& paths) {
    QItemSelection rows;
    QModelIndex current;
    for (const std::string& path : paths) {
        const std::string name = path.starts_with(folder_) ? path.substr(folder_.size()) : path;
        const QModelIndex row = libraryProxy->mapFromSource(libraryModel->index(libraryModel->RowNamed(name), 0));
        if (!row.isValid()) continue;
        rows.select(row, row);
        if (!current.isValid()) current = row;
    }
    QItemSelectionModel& selection = *fileTable->selectionModel();
    selection.setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selection.select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TBrowsePage::LeaveSelection() {
    selection_.reset();
    previewButton->hide();
    previewButton->setEnabled(false);
    for (const TFieldRow& row : rows_) LineEditOf(row.edit, genreBox)->setPlaceholderText({});
}

void TBrowsePage::ShowSelection(const std::vector<std::string>& paths, bool rowsChanged) {
    ClearFileView();
    TSelectionRead read;
    {
        const TWaitCursor wait(context_.Platform());
        read = ReadSelection(folder_, NamesInFolder(paths));
    }
    if (rowsChanged) libraryModel->UpdateRows(read.Rows);
    // The files Parvex cannot edit are left to the run, which logs why.
    const std::vector<tagrecord>& records = read.Records;
    const TSharedTags shared = SharedTags(records);
    for (const TFieldRow& row : rows_) {
        const std::optional<std::string>& value = shared.Fields[FieldIndex(row.field)];
        SetEditorText(row, value ? QString::fromStdString(*value) : QString());
        // Left empty, a field the files do not share keeps each file's own value.
        if (!value) LineEditOf(row.edit, genreBox)->setPlaceholderText(kDifferentValues);
    }
    ShowOtherTags(shared.OtherTags);
    fileSizeText->setText(QString("%1 files selected").arg(paths.size()));
    if (records.empty()) ShowCannotEdit("None of the selected files can be edited by Parvex.");
    // A picture is one file's: set or removed on the Mass page for many.
    pictureButton->setEnabled(false);
    selection_ = TSelection{paths, shared};
    previewButton->show();
    previewButton->setEnabled(editable_);
    saveButton->setEnabled(false);
}

bool TBrowsePage::SaveSelection(bool preview, bool reshow) {
    std::array<std::string, kAllTagFields.size()> shown;
    std::array<bool, kAllTagFields.size()> touched{};
    for (const TFieldRow& row : rows_) {
        const std::size_t k = FieldIndex(row.field);
        shown[k] = EditorText(row).toStdString();
        // Typed, or emptied by the user: either way the value is for every file.
        touched[k] = !shown[k].empty() || LineEditOf(row.edit, genreBox)->isModified();
    }
    TBatchOrder order;
    order.Planner = SelectionEditPlanner(SelectionChange(selection_->Shared, shown, touched, otherTags_->Lines()));
    order.Planning = TPlanning::Concurrent;
    const std::vector<std::string> paths = selection_->Paths;
    // The run asks about unsaved edits first: these are the ones it writes.
    const bool edited = saveButton->isEnabled();
    saveButton->setEnabled(false);
    if (!RunOnFiles || !RunOnFiles(kSelectionEditMode, order, paths, preview)) {
        saveButton->setEnabled(edited);
        return false;
    }
    // The files as they are now, still selected.
    if (reshow)
        ShowSelection(paths, true);
    else
        RereadRows(paths);
    return true;
}

}  // namespace parvex
