#include "app/pages/browse_page.h"

#include <QSignalBlocker>
#include <cstdio>
#include <filesystem>

#include "app/form_builder.h"
#include "app/key_input.h"
#include "app/pages/batch_page.h"
#include "ogg/ogg_codec.h"
#include "fs/open_error.h"

namespace parvex {

namespace {

// One row of field editors, top to bottom, which is also the editors' tab order: the record field
// it shows and the names and places of its caption, editor and "->" button.
struct TFieldPlace {
    TTagField field;
    const char* labelName;
    const char* caption;
    int labelTop;
    const char* editName;
    int editTop;
    const char* copyName;
};

using enum TTagField;
constexpr TFieldPlace kFieldRows[] = {
    {Artist, "Label21", "Artist", 14, "Edit1", 6, "BitBtn20"},
    {Title, "Label22", "Title", 40, "Edit2", 32, "BitBtn21"},
    {Album, "Label23", "Album", 66, "Edit3", 58, "BitBtn22"},
    {Track, "Label24", "Track", 92, "Edit5", 84, "BitBtn23"},
    {Date, "Label25", "Date", 118, "Edit6", 110, "BitBtn24"},
    {Genre, "Label26", "Genre", 144, "edit7", 136, "BitBtn25"},
    {Comment, "Label27", "Comment", 170, "Edit8", 162, "BitBtn26"},
    {License, "Label35", "License", 198, "Edit31", 188, "BitBtn33"},
    {Organization, "Label37", "Organization", 222, "Edit32", 214, "BitBtn34"},
    {Location, "Label38", "Location", 248, "Edit33", 240, "BitBtn35"},
    {Contact, "Label39", "Contact", 274, "Edit34", 266, "BitBtn36"},
    {Version, "Label42", "Version", 300, "Edit35", 292, "BitBtn37"},
    {Copyright, "Label40", "Copyright", 326, "Edit36", 318, "BitBtn38"},
    {ISRC, "Label43", "ISRC", 352, "Edit37", 344, "BitBtn39"},
};

// The stream information: a caption and the value label beside it.
struct TInfoRow {
    QLabel* TBrowsePage::*caption;
    const char* captionName;
    const char* text;
    QLabel* TBrowsePage::*value;
    const char* valueName;
    int top;
};

using P = TBrowsePage;
constexpr TInfoRow kInfoRows[] = {
    {&P::vendorLabel, "Label9", "Vendor", &P::vendorText, "Vendertxt", 380},
    {&P::fileSizeLabel, "Label12", "File Size", &P::fileSizeText, "FileSizeText", 394},
    {&P::channelModeLabel, "Label13", "Mode", &P::channelModeText, "ChannelModeText", 408},
    {&P::sampleRateLabel, "Label14", "Rate", &P::sampleRateText, "SampleRateText", 422},
    {&P::durationLabel, "Label15", "Duration", &P::durationText, "DurationText", 436},
    {&P::bitRateLabel, "Label16", "Bit rate", &P::bitRateText, "BitRateText", 450},
};

// Far enough left that the longest caption, "Organization", ends a few pixels before its editor.
constexpr int kFieldLabelLeft = 268;
constexpr int kEditorLeft = 336;
constexpr int kEditorWidth = 209;
constexpr int kEditorHeight = 21;
constexpr int kCopyButtonLeft = 548;
constexpr int kCopyButtonSize = 16;
// The vendor string may be long but ends left of the picture; the other values are short and end left
// of the "Save" button.
constexpr int kVendorWidth = 150;
constexpr int kValueWidth = 140;
constexpr int kCannotEditWidth = 287;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString FileSizeCaption(int64_t size) { return QString::number(size) + " bytes"; }

QString ChannelCaption(int channels) {
    switch (channels) {
        case 0:
            return "Unknown";
        case 1:
            return "Mono";
        case 2:
            return "Stereo";
        default:
            return QString("%1 channels").arg(channels);
    }
}

// The channels and the codec the file holds: "Stereo (Vorbis)", "6 channels (Opus)".
QString ChannelModeCaption(int channels, OggCodec codec) {
    return ChannelCaption(channels) + " (" + CodecName(codec) + ")";
}

// Kilohertz with one decimal cut off, never rounded: 22050 Hz is "22.0 Khz".
QString SampleRateCaption(uint32_t rate) {
    return QString("%1.%2 Khz").arg(rate / 1000).arg(rate % 1000 / 100);
}

// Three decimals, rounded, and no leading zero below one second: ".512 sec.".
QString DurationCaption(double seconds) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.3f", seconds);
    QString text = digits;
    if (text.startsWith("0.")) text.remove(0, 1);
    return text + " sec.";
}

// A vendor string longer than its label ends in "..." and shows whole in the label's tooltip.
void ShowVendor(QLabel& label, const QString& vendor) {
    label.setText(label.fontMetrics().elidedText(vendor, Qt::ElideRight, label.width()));
    label.setToolTip(vendor);
}

QString BitRateCaption(int kbps) { return QString::number(kbps) + " Kbps"; }

// Vorbis shows the nominal bit rate its header gives; Opus gives none, so its average is shown.
int ShownBitRate(const tagrecord& record) {
    return record.Codec == OggCodec::Opus ? record.BitRate : record.NominalBitRate;
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The line that says why the selected file cannot be edited.
QString NotVorbisLine() { return "Not an Ogg Vorbis or Opus file: Parvex cannot edit it."; }
QString DamagedLine(const std::string& damage) {
    return Text("Damaged headers (" + damage + "): Parvex leaves the file as it is.");
}
QString UnreadableLine(const std::string& reason) { return Text("Cannot read this file: " + reason + "."); }

}  // namespace

TBrowsePage::TBrowsePage(TPageContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    setObjectName("TabSheet1");
    CreateFileTable();
    otherTagsLabel = MakeLabel(this, "Label28", "Other Tags", {8, 320}, TFontWeight::Bold);
    copyOtherTagsButton = MakeButton(this, "BitBtn27", "->", {76, 318, 16, 16});
    otherTagsList = MakeControl<QListWidget>(this, "ListBox1", {8, 340, 233, 121});
    otherTags_.emplace(*otherTagsList, TOtherTagsShown::Described);
    addOtherTagButton = MakeGlyphButton(this, "BitBtn6", "", TGlyph::Add, {246, 340, 20, 20});
    removeOtherTagButton = MakeGlyphButton(this, "BitBtn7", "", TGlyph::Delete, {246, 441, 20, 20});
    CreateFieldRows();
    CreateInfoRows();
    saveButton = MakeGlyphButton(this, "BitBtn18", "&Save", TGlyph::Save, {480, 432, 75, 25});
    saveButton->setEnabled(false);
    previewButton = MakeButton(this, "btnPreviewEdit", "Pre&view", {400, 432, 75, 25});
    previewButton->setToolTip("Show what Save would change in the selected files, then save or leave them as they are");
    previewButton->hide();
    previewButton->setEnabled(false);
    context_.OnClick(previewButton, this, [this] { SaveSelection(true); });
    CreatePicture();
    cannotEditLabel = MakeLabel(this, "lblCannotEdit", "", {kFieldLabelLeft, 464}, TFontWeight::Bold);
    cannotEditLabel->resize(Scaled(kCannotEditWidth), cannotEditLabel->fontMetrics().height());
    cannotEditLabel->hide();
    KeepDrawnPlaces();

    connect(fileTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { context_.Handle([this] { onFileSelected(); }); });
    context_.OnClick(saveButton, this, [this] { onSaveClicked(); });
    connect(addOtherTagButton, &QPushButton::clicked, this, [this] { addOtherTag(); });
    connect(removeOtherTagButton, &QPushButton::clicked, this, [this] { removeOtherTag(); });
    connect(otherTagsList, &QListWidget::itemDoubleClicked, this, [this] { editOtherTag(); });
    connect(copyOtherTagsButton, &QPushButton::clicked, this, [this] { copyOtherTags(); });
    SetTabOrder();

}

void TBrowsePage::CreateFieldRows() {
    for (const TFieldPlace& place : kFieldRows) {
        TFieldRow row{place.field,
                      MakeLabel(this, place.labelName, place.caption, {kFieldLabelLeft, place.labelTop},
                                TFontWeight::Bold),
                      nullptr, nullptr};
        const QRect editorPlace(kEditorLeft, place.editTop, kEditorWidth, kEditorHeight);
        QWidget* editor;
        if (place.field == Genre) {
            editor = genreBox = MakeGenreBox(this, place.editName, editorPlace);
            connect(genreBox, &QComboBox::currentTextChanged, this, [this] { MarkEdited(); });
        } else {
            editor = row.edit = MakeEdit(this, place.editName, editorPlace);
            connect(row.edit, &QLineEdit::textChanged, this, [this] { MarkEdited(); });
        }
        MoveFocusOnEnter(*editor);
        row.copyButton = MakeButton(this, place.copyName, "->",
                                    {kCopyButtonLeft, place.editTop + 2, kCopyButtonSize, kCopyButtonSize});
        connect(row.copyButton, &QPushButton::clicked, this, [this, field = place.field] {
            emit fieldCopied(field, EditorText(RowOf(field)));
        });
        rows_.push_back(row);
    }
}

void TBrowsePage::CreateInfoRows() {
    for (const TInfoRow& row : kInfoRows) {
        this->*row.caption =
            MakeLabel(this, row.captionName, row.text, {kFieldLabelLeft, row.top}, TFontWeight::Bold);
        QLabel* value = this->*row.value = MakeControl<QLabel>(this, row.valueName, {});
        const int width = row.value == &TBrowsePage::vendorText ? kVendorWidth : kValueWidth;
        const QRect place = Scaled(QRect(kEditorLeft, row.top, width, 14));
        value->setGeometry(place.x(), place.y(), place.width(), value->fontMetrics().height());
    }
}

void TBrowsePage::SetTabOrder() {
    QList<QWidget*> chain = {filterEdit, fileTable, recurseBox};
    for (const TFieldRow& row : rows_) chain << Editor(row);
    chain << otherTagsList << addOtherTagButton << removeOtherTagButton << pictureButton << previewButton << saveButton
          << copyOtherTagsButton;
    for (const TFieldRow& row : rows_) chain << row.copyButton;
    SetTabChain(chain);
}

const TBrowsePage::TFieldRow& TBrowsePage::RowOf(TTagField field) const {
    for (const TFieldRow& row : rows_)
        if (row.field == field) return row;
    return rows_.front();
}

QLabel* TBrowsePage::FieldLabel(TTagField field) const { return RowOf(field).label; }

QLineEdit* TBrowsePage::FieldEdit(TTagField field) const { return RowOf(field).edit; }

QPushButton* TBrowsePage::CopyButton(TTagField field) const { return RowOf(field).copyButton; }

QWidget* TBrowsePage::Editor(const TFieldRow& row) const {
    return row.edit ? static_cast<QWidget*>(row.edit) : genreBox;
}

QString TBrowsePage::EditorText(const TFieldRow& row) const {
    return row.edit ? row.edit->text() : genreBox->currentText();
}

void TBrowsePage::SetEditorText(const TFieldRow& row, const QString& text) {
    if (row.edit) {
        row.edit->setText(text);
    } else {
        genreBox->setCurrentText(text);
    }
}

void TBrowsePage::ListFolder(const std::string& folder) {
    folder_ = folder;
    selectWhenListed_.clear();
    ShowOtherTags({});
    libraryLoader->Clear();
    CheckScannableFolder(folder);
    libraryLoader->Load(folder, [folder, subfolders = recurseBox->isChecked()](const std::atomic<bool>& stop) {
        return ListLibraryNames(folder, subfolders, stop);
    });
    ClearFileView();
}

void TBrowsePage::Revisit() {
    // Unsaved edits outlive a visit to another page: nothing has changed the files since, as a batch
    // run asks about them first.
    if (HasUnsavedEdits()) return;
    ListFolder(folder_);
    saveButton->setEnabled(false);
}

void TBrowsePage::RereadFolder() {
    if (!ResolveUnsavedEdits()) return;
    const std::string selected = SelectedFilePath();
    ListFolder(folder_);
    // The file shown before is shown again, as it is now.
    if (!selected.empty()) SelectFile(selected);
}

void TBrowsePage::SelectFile(const std::string& path) {
    if (libraryLoader->Loading()) {
        selectWhenListed_ = path;
        return;
    }
    const std::string name = path.starts_with(folder_) ? path.substr(folder_.size()) : FileNameOf(path);
    const QModelIndex row = libraryProxy->mapFromSource(libraryModel->index(libraryModel->RowNamed(name), 0));
    if (!row.isValid()) return;
    fileTable->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    fileTable->scrollTo(row);
}

void TBrowsePage::ClearFileView() {
    shownFile_.clear();
    LeaveSelection();
    ShowCannotEdit({});
    for (QLabel* value : {fileSizeText, channelModeText, sampleRateText, durationText, bitRateText, vendorText})
        value->clear();
    vendorText->setToolTip({});
    for (const TFieldRow& row : rows_) SetEditorText(row, {});
}

void TBrowsePage::onFileSelected() {
    const std::vector<std::string> paths = SelectedFilePaths();
    emit selectionCountChanged(static_cast<int>(paths.size()));
    if (paths.empty()) return;
    // A file chosen while the table filled takes the place of one to select when it is full.
    selectWhenListed_.clear();
    const bool shownAlready = selection_ ? selection_->Paths == paths : paths.size() == 1 && paths[0] == shownFile_;
    if (!shownAlready && !ResolveUnsavedEdits()) {
        // The edits stay, and so do the files they belong to.
        {
            const QSignalBlocker quiet(fileTable->selectionModel());
            SelectFiles(selection_ ? selection_->Paths : std::vector<std::string>{shownFile_});
        }
        fileTable->viewport()->update();
        emit selectionCountChanged(static_cast<int>(SelectedFilePaths().size()));
        return;
    }
    if (paths.size() == 1)
        ShowFile(paths.front());
    else
        ShowSelection(paths);
}

void TBrowsePage::ShowFile(const std::string& path) {
    LeaveSelection();
    TLoadOutcome loaded = TLoadOutcome::Missing;
    std::string unreadable = "it no longer exists";
    try {
        loaded = LoadWorkingRecord(fileObject_, workingRecord_, path);
    } catch (const EFOpenError& error) {
        unreadable = error.Error() != 0 ? ErrorText(error.Error()) : "it cannot be opened";
    }
    if (loaded != TLoadOutcome::Loaded) {
        // Nothing to show: no stream information, no tags, nothing to edit.
        ClearFileView();
        ShowOtherTags({});
        ShowCannotEdit(loaded == TLoadOutcome::NotVorbis ? NotVorbisLine() : UnreadableLine(unreadable));
        return;
    }
    // The file object knows the exact play time from the sample count.
    workingRecord_.Duration = fileObject_.Duration();
    ShowCannotEdit({});
    ShowWorkingRecord();
    if (!fileObject_.HeaderDamage.empty()) {
        ShowCannotEdit(DamagedLine(fileObject_.HeaderDamage));
        return;
    }
    shownFile_ = path;
    saveButton->setEnabled(false);
}

void TBrowsePage::ShowWorkingRecord() {
    const tagrecord& record = workingRecord_;
    fileSizeText->setText(FileSizeCaption(record.FileSize));
    channelModeText->setText(ChannelModeCaption(record.Channels, record.Codec));
    sampleRateText->setText(SampleRateCaption(record.SampleRate));
    durationText->setText(DurationCaption(record.Duration));
    bitRateText->setText(BitRateCaption(ShownBitRate(record)));
    ShowVendor(*vendorText, Text(record.Vendor));
    for (const TFieldRow& row : rows_) SetEditorText(row, Text(FieldOf(workingRecord_, row.field)));
    ShowOtherTags(record.OtherTags);
}

}  // namespace parvex
