#pragma once
// The "Browse / Edit tags" page: the table of the working folder's files (with their main tags, read
// off the window's thread), the fourteen field editors of the selected file with their "->" buttons (which copy a value to the Mass page), its other tags and
// picture, its stream information, and "Save".

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/pages/library_table.h"
#include "app/pages/other_tags.h"
#include "app/pages/page_context.h"
#include "batch/tag_fields.h"
#include "batch/selection_edit.h"
#include "batch/tag_record.h"
#include "app/pages/batch_page.h"
#include "ogg/ogg_vorbis.h"
#include "ogg/picture.h"
#include "scan/find_file.h"

namespace parvex {

class TBrowsePage : public QWidget {
    Q_OBJECT

public:
    // `parent` gives the page the window's font while it is built.
    TBrowsePage(TPageContext& context, QWidget* parent);

    // Lists the .ogg files of `folder` (ending in "/"), and with "Recurse subdirs" those of its
    // subfolders, emptying the table, the other tags and the editors first; their tags fill the table
    // off the window's thread. Raises EFindFileError for a folder that cannot be scanned.
    void ListFolder(const std::string& folder);
    // Entering the page lists the folder again, unless it shows unsaved edits, which stay.
    void Revisit();
    // F5: lists the folder again and shows the selected file as it is now, after asking about
    // unsaved edits.
    void RereadFolder();
    // Selects the row of the file of `path` (in the listed folder or below it), if there is one,
    // which shows it; while the table fills, once it is full, unless the user selected a file before.
    void SelectFile(const std::string& path);
    // Ctrl+S: "Save", when it is enabled.
    void SaveIfEdited();
    // The shown file was edited: Save is enabled, unless no file is shown or it cannot be edited.
    void MarkEdited();
    // The window is `extra` larger than drawn: the table takes the room, the editors move right and
    // keep their width, the other tags stay under the table.
    void Stretch(QSize extra);

    // The page shows edits of a file, or of the selected files, that Save has not written.
    bool HasUnsavedEdits() const;
    // The paths of the selected files, in the table's order.
    std::vector<std::string> SelectedFilePaths() const;
    // Carries out a run of `order` (mode word `mode`) on `files`, after its preview when `preview`;
    // returns whether it ran. Set by the window, which owns runs.
    std::function<bool(const std::string& mode, const TBatchOrder& order, const std::vector<std::string>& files,
                       bool preview)>
        RunOnFiles;
    // Before unsaved edits would be lost, asks "Save changes to NAME?" ("to N files?" for a
    // selection): Save writes them, Discard drops them, Cancel keeps them. Returns whether the caller may go on: true without unsaved edits, after
    // Discard, or after Save wrote the file.
    bool ResolveUnsavedEdits();

    // The controls of the row of `field`: its caption, its editor (null for the genre row, whose
    // editor is genreBox) and its "->" button.
    QLabel* FieldLabel(TTagField field) const;
    QLineEdit* FieldEdit(TTagField field) const;
    QPushButton* CopyButton(TTagField field) const;

    // The filter box above the table, the table, the progress of its reading and "Recurse subdirs".
    QLineEdit* filterEdit = nullptr;
    QTableView* fileTable = nullptr;
    QProgressBar* loadProgress = nullptr;
    QCheckBox* recurseBox = nullptr;
    TLibraryModel* libraryModel = nullptr;
    TLibraryProxy* libraryProxy = nullptr;
    TLibraryLoader* libraryLoader = nullptr;
    QLabel* otherTagsLabel = nullptr;
    QPushButton* copyOtherTagsButton = nullptr;
    QListWidget* otherTagsList = nullptr;
    QPushButton* addOtherTagButton = nullptr;
    QPushButton* removeOtherTagButton = nullptr;
    QComboBox* genreBox = nullptr;
    QLabel *vendorLabel = nullptr, *vendorText = nullptr;
    QLabel *fileSizeLabel = nullptr, *fileSizeText = nullptr;
    QLabel *channelModeLabel = nullptr, *channelModeText = nullptr;
    QLabel *sampleRateLabel = nullptr, *sampleRateText = nullptr;
    QLabel *durationLabel = nullptr, *durationText = nullptr;
    QLabel *bitRateLabel = nullptr, *bitRateText = nullptr;
    QPushButton* saveButton = nullptr;
    // Shows what Save would change in the selected files; shown while several files are selected.
    QPushButton* previewButton = nullptr;
    // Shown instead of the picture's line when the selected file cannot be edited, saying why.
    QLabel* cannotEditLabel = nullptr;
    // The thumbnail, with the picture menu, and the line that describes the picture.
    QToolButton* pictureButton = nullptr;
    QAction *setPictureAction = nullptr, *removePictureAction = nullptr, *savePictureAction = nullptr;
    QLabel *pictureLabel = nullptr, *pictureText = nullptr;

signals:
    // The number of selected files changed.
    void selectionCountChanged(int count);
    // A "->" button: the value of `field`'s editor goes to the Mass page.
    void fieldCopied(TTagField field, const QString& value);
    // The "->" of the other tags: these lines (pictures left out) go to the Mass page.
    void otherTagsCopied(const std::vector<std::string>& lines);

private:
    struct TFieldRow {
        TTagField field;
        QLabel* label;
        QLineEdit* edit;  // null for the genre row
        QPushButton* copyButton;
    };

    void CreateFileTable();
    // Notes where every control was put, which Stretch moves them from.
    void KeepDrawnPlaces();
    // The header's menu: a check for every column but the file's, which stays.
    void ShowColumnMenu(const QPoint& at);
    // The reading of the table went on: the progress bar, and at its end one sort and filter.
    void ShowLoadProgress(int done, int total);
    // Reads the table's rows of the files of `paths` again, after Parvex wrote them: the other rows
    // and the table's order stay as they are.
    void RereadRows(const std::vector<std::string>& paths);
    // The paths of `paths` in the listed folder or below it, as paths below it.
    std::vector<std::string> NamesInFolder(const std::vector<std::string>& paths) const;
    void CreateFieldRows();
    void CreateInfoRows();
    void CreatePicture();
    // The file list, the fields top to bottom (so Enter walks down them), the other tags, Save, and
    // last the buttons that copy to the Mass page.
    void SetTabOrder();
    const TFieldRow& RowOf(TTagField field) const;
    QWidget* Editor(const TFieldRow& row) const;
    QString EditorText(const TFieldRow& row) const;
    void SetEditorText(const TFieldRow& row, const QString& text);

    // Loads the selected file and shows its stream information, fields and other tags; a file that
    // cannot be read, is not Ogg Vorbis or has damaged headers gets its editors and Save disabled and
    // a line saying why. Before another file takes the place of unsaved edits, asks about them; on
    // Cancel the shown file stays selected. Does nothing without a selection.
    void onFileSelected();
    // "Save": writes the editors and the other tags into the selected file, then shows the file again.
    // A failed write shows an error box and keeps the edits, with Save still enabled.
    void onSaveClicked();
    void addOtherTag();
    void removeOtherTag();
    void editOtherTag();
    // Copies the other tags but the pictures to the Mass page.
    void copyOtherTags();
    // The picture menu. "Set picture...": a chosen JPEG or PNG file becomes the front cover, in the
    // place of the old one (a file that is neither is refused with a message box). "Remove picture":
    // the shown picture leaves the other tags. "Save picture as...": the shown picture's image is
    // written to a chosen file. The first two are edits, saved with Save.
    void setPicture();
    void removePicture();
    void savePicture();

    // Several files are selected: the editors show what they share, "(different values)" where they
    // differ; nothing of one file (stream information, picture) is shown. The files are read by a
    // few threads; with `rowsChanged` (Parvex wrote them) their table rows take what was read.
    void ShowSelection(const std::vector<std::string>& paths, bool rowsChanged = false);
    // Writes the edits of the selection into every selected file as one run, after its preview
    // when `preview`; true when the run was carried out. The table's rows of the selected files are
    // read again; with `reshow` the editors show the selection as it is now.
    bool SaveSelection(bool preview, bool reshow = true);
    // No selection of several files is shown any more.
    void LeaveSelection();
    // Selects the rows of the files of `paths`.
    void SelectFiles(const std::vector<std::string>& paths);
    // The selected file's path, or empty when no file, or more than one, is selected.
    std::string SelectedFilePath() const;
    // Empties the information labels and the editors; no file is shown.
    void ClearFileView();
    // Loads the file of `path` and shows it (see onFileSelected).
    void ShowFile(const std::string& path);
    // Shows the working tag record: labels, editors and other tags.
    void ShowWorkingRecord();
    // Shows why the selected file cannot be edited and disables its editors and Save; an empty `why`
    // enables them again and hides the line.
    void ShowCannotEdit(const QString& why);
    // The controls that change the shown file's tags.
    QList<QWidget*> EditingControls() const;
    // Writes the editors and the other tags into `path` and disables Save. On failure shows why and
    // returns false, the edits and Save left as they were.
    bool SaveFile(const std::string& path);
    // The other tags shown, with the picture they hold.
    void ShowOtherTags(const std::vector<std::string>& lines);
    // Shows the picture the other tags hold: its thumbnail and its description.
    void ShowPicture();

    TPageContext& context_;
    std::vector<TFieldRow> rows_;
    std::optional<TOtherTagsList> otherTags_;
    std::string folder_;  // the listed folder, ending in "/"
    // The one file object, for every read and write; the working tag record read and written through it.
    TOggVorbis fileObject_;
    tagrecord workingRecord_;
    // The file SelectFile named while the table filled.
    std::string selectWhenListed_;
    std::string shownFile_;  // the file whose tags the page may edit; empty: none
    std::optional<std::pair<std::size_t, TPicture>> shownPicture_;  // its line in the other tags
    bool editable_ = true;                                          // false while the file cannot be edited
    // The files of a selection of several, and what they held alike when shown.
    struct TSelection {
        std::vector<std::string> Paths;
        TSharedTags Shared;
    };
    std::optional<TSelection> selection_;
    // Every control and its place in the drawn layout.
    std::vector<std::pair<QWidget*, QRect>> drawnPlaces_;
};

}  // namespace parvex
