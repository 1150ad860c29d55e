// The "Browse / Edit tags" page: the file list, the fourteen field editors with their "->" buttons,
// the other-tags list, the stream information and "Save".

#include <QShortcut>
#include <QSignalBlocker>
#include <cstdio>
#include <filesystem>

#include "app/add_tag_dialog.h"
#include "app/dialog_frame.h"
#include "app/form_builder.h"
#include "app/key_input.h"
#include "app/main_window.h"
#include "app/sorted_list.h"
#include "batch/tag_fields.h"
#include "ogg/open_error.h"
#include "ogg/picture.h"

namespace parvex {

namespace {

// One row of field editors, top to bottom, which is also the editors' tab order: the record field
// it shows and the value box of the Mass page its "->" button fills.
struct TBrowseField {
    TTagField field;
    QLabel* TForm1::*label;
    const char* labelName;
    const char* caption;
    int labelTop;
    QLineEdit* TForm1::*editor;  // null for the genre row, whose editor is the combo box edit7
    const char* editorName;
    int editorTop;
    QPushButton* TForm1::*copyButton;
    const char* copyButtonName;
    QLineEdit* TForm1::*massTarget;  // null for the genre row, whose target is the combo box edit15
};

using F = TForm1;
using enum TTagField;
// clang-format off
constexpr TBrowseField kBrowseFields[] = {
    {Artist, &F::Label21, "Label21", "Artist", 14, &F::Edit1, "Edit1", 6, &F::BitBtn20, "BitBtn20", &F::Edit10},
    {Title, &F::Label22, "Label22", "Title", 40, &F::Edit2, "Edit2", 32, &F::BitBtn21, "BitBtn21", &F::Edit11},
    {Album, &F::Label23, "Label23", "Album", 66, &F::Edit3, "Edit3", 58, &F::BitBtn22, "BitBtn22", &F::Edit12},
    {Track, &F::Label24, "Label24", "Track", 92, &F::Edit5, "Edit5", 84, &F::BitBtn23, "BitBtn23", &F::Edit13},
    {Date, &F::Label25, "Label25", "Date", 118, &F::Edit6, "Edit6", 110, &F::BitBtn24, "BitBtn24", &F::Edit14},
    {Genre, &F::Label26, "Label26", "Genre", 144, nullptr, "edit7", 136, &F::BitBtn25, "BitBtn25", nullptr},
    {Comment, &F::Label27, "Label27", "Comment", 170, &F::Edit8, "Edit8", 162, &F::BitBtn26, "BitBtn26", &F::Edit16},
    {License, &F::Label35, "Label35", "License", 198, &F::Edit31, "Edit31", 188, &F::BitBtn33, "BitBtn33",
     &F::Edit24},
    {Organization, &F::Label37, "Label37", "Organization", 222, &F::Edit32, "Edit32", 214, &F::BitBtn34,
     "BitBtn34", &F::Edit25},
    {Location, &F::Label38, "Label38", "Location", 248, &F::Edit33, "Edit33", 240, &F::BitBtn35, "BitBtn35",
     &F::Edit26},
    {Contact, &F::Label39, "Label39", "Contact", 274, &F::Edit34, "Edit34", 266, &F::BitBtn36, "BitBtn36",
     &F::Edit27},
    {Version, &F::Label42, "Label42", "Version", 300, &F::Edit35, "Edit35", 292, &F::BitBtn37, "BitBtn37",
     &F::Edit29},
    {Copyright, &F::Label40, "Label40", "Copyright", 326, &F::Edit36, "Edit36", 318, &F::BitBtn38, "BitBtn38",
     &F::Edit28},
    {ISRC, &F::Label43, "Label43", "ISRC", 352, &F::Edit37, "Edit37", 344, &F::BitBtn39, "BitBtn39", &F::Edit30},
};
// clang-format on

// The stream information: a caption and the value label beside it.
struct TInfoRow {
    QLabel* TForm1::*caption;
    const char* captionName;
    const char* text;
    QLabel* TForm1::*value;
    const char* valueName;
    int top;
};

constexpr TInfoRow kInfoRows[] = {
    {&TForm1::Label9, "Label9", "Vendor", &TForm1::Vendertxt, "Vendertxt", 380},
    {&TForm1::Label12, "Label12", "File Size", &TForm1::FileSizeText, "FileSizeText", 394},
    {&TForm1::Label13, "Label13", "Mode", &TForm1::ChannelModeText, "ChannelModeText", 408},
    {&TForm1::Label14, "Label14", "Rate", &TForm1::SampleRateText, "SampleRateText", 422},
    {&TForm1::Label15, "Label15", "Duration", &TForm1::DurationText, "DurationText", 436},
    {&TForm1::Label16, "Label16", "Bit rate", &TForm1::BitRateText, "BitRateText", 450},
};

constexpr int kFieldLabelLeft = 274;
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

constexpr const char* kNoFileSelected = "You have not selected an ogg file to change.";

QString EditorText(const TForm1& form, const TBrowseField& row) {
    return row.editor ? (form.*row.editor)->text() : form.edit7->currentText();
}

void SetEditorText(TForm1& form, const TBrowseField& row, const QString& text) {
    if (row.editor) {
        (form.*row.editor)->setText(text);
    } else {
        form.edit7->setCurrentText(text);
    }
}

void CopyToMassPage(TForm1& form, const TBrowseField& row) {
    const QString text = EditorText(form, row);
    if (row.massTarget) {
        (form.*row.massTarget)->setText(text);
    } else {
        form.edit15->setCurrentText(text);
    }
}

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

// The role under which an entry of an other-tags list keeps its whole NAME=value line, where its
// text shows less of it.
constexpr int kLineRole = Qt::UserRole;

std::string OtherTagLine(const QListWidgetItem& item) {
    const QVariant line = item.data(kLineRole);
    return (line.isValid() ? line.toString() : item.text()).toStdString();
}

QListWidgetItem* SelectedLine(const QListWidget& list) {
    QListWidgetItem* current = list.currentItem();
    return current && current->isSelected() ? current : nullptr;
}

QString SaveFailedMessage(const std::string& path, const std::string& reason) {
    const std::string why = reason.empty() ? "" : ": " + reason;
    return Text("The tags could not be written to " + path + why + ". The file is unchanged.");
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// The line that says why the selected file cannot be edited.
QString NotVorbisLine() { return "Not an Ogg Vorbis or Opus file: Parvex cannot edit it."; }
QString DamagedLine(const std::string& damage) {
    return Text("Damaged headers (" + damage + "): Parvex leaves the file as it is.");
}
QString UnreadableLine(const std::string& reason) { return Text("Cannot read this file: " + reason + "."); }

}  // namespace

void TForm1::CreateBrowsePage() {
    QWidget* page = TabSheet1;
    Listview1 = MakeControl<TSortedListBox>(page, "Listview1", {8, 8, 249, 297});
    Label28 = MakeLabel(page, "Label28", "Other Tags", {8, 320}, TFontWeight::Bold);
    BitBtn27 = MakeButton(page, "BitBtn27", "->", {76, 318, 16, 16});
    ListBox1 = MakeControl<QListWidget>(page, "ListBox1", {8, 340, 233, 121});
    BitBtn6 = MakeGlyphButton(page, "BitBtn6", "", TGlyph::Add, {246, 340, 20, 20});
    BitBtn7 = MakeGlyphButton(page, "BitBtn7", "", TGlyph::Delete, {246, 441, 20, 20});

    for (const TBrowseField& field : kBrowseFields) {
        this->*field.label = MakeLabel(page, field.labelName, field.caption,
                                       {kFieldLabelLeft, field.labelTop}, TFontWeight::Bold);
        const QRect editorPlace(kEditorLeft, field.editorTop, kEditorWidth, kEditorHeight);
        QWidget* editor;
        if (field.editor) {
            editor = this->*field.editor = MakeEdit(page, field.editorName, editorPlace);
        } else {
            editor = edit7 = MakeGenreBox(page, field.editorName, editorPlace);
        }
        UseEnterMovesFocus(editor);
        this->*field.copyButton =
            MakeButton(page, field.copyButtonName, "->",
                       {kCopyButtonLeft, field.editorTop + 2, kCopyButtonSize, kCopyButtonSize});
        connect(this->*field.copyButton, &QPushButton::clicked, this,
                [this, &field] { CopyToMassPage(*this, field); });
        if (field.editor) {
            connect(this->*field.editor, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
        } else {
            connect(edit7, &QComboBox::currentTextChanged, this, [this] { Edit1Change(); });
        }
    }

    for (const TInfoRow& row : kInfoRows) {
        this->*row.caption =
            MakeLabel(page, row.captionName, row.text, {kFieldLabelLeft, row.top}, TFontWeight::Bold);
        QLabel* value = this->*row.value = MakeControl<QLabel>(page, row.valueName, {});
        const int width = row.value == &TForm1::Vendertxt ? kVendorWidth : kValueWidth;
        const QRect place = Scaled(QRect(kEditorLeft, row.top, width, 14));
        value->setGeometry(place.x(), place.y(), place.width(), value->fontMetrics().height());
    }

    BitBtn18 = MakeGlyphButton(page, "BitBtn18", "&Save", TGlyph::Save, {480, 432, 75, 25});
    BitBtn18->setEnabled(false);
    CreateBrowsePicture(page);
    // Shown instead of the picture's line when the selected file cannot be edited, saying why.
    lblCannotEdit = MakeLabel(page, "lblCannotEdit", "", {kFieldLabelLeft, 464}, TFontWeight::Bold);
    lblCannotEdit->resize(Scaled(kCannotEditWidth), lblCannotEdit->fontMetrics().height());
    lblCannotEdit->hide();

    connect(Edit4, &QLineEdit::textChanged, this, [this] { Handle([this] { Edit4Change(); }); });
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this] { Handle([this] { PageControl1Change(); }); });
    connect(Listview1, &QListWidget::itemSelectionChanged, this,
            [this] { Handle([this] { Listview1Click(); }); });
    connect(BitBtn18, &QPushButton::clicked, this, [this] { Handle([this] { BitBtn18Click(); }); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(BitBtn7, &QPushButton::clicked, this, [this] { BitBtn7Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    connect(BitBtn27, &QPushButton::clicked, this, [this] { BitBtn27Click(); });
    ConnectBrowseShortcuts();
    SetBrowseTabOrder();
}

// The file list, the fields top to bottom (so Enter walks down them), the other tags, Save, and last
// the buttons that copy to the Mass page.
void TForm1::SetBrowseTabOrder() {
    QList<QWidget*> chain = {Listview1};
    for (const TBrowseField& row : kBrowseFields)
        chain << (row.editor ? static_cast<QWidget*>(this->*row.editor) : edit7);
    chain << ListBox1 << BitBtn6 << BitBtn7 << btnPicture << BitBtn18 << BitBtn27;
    for (const TBrowseField& row : kBrowseFields) chain << this->*row.copyButton;
    SetTabChain(chain);
}

void TForm1::ConnectBrowseShortcuts() {
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, [this] {
        if (BitBtn18->isEnabled()) Handle([this] { BitBtn18Click(); });
    });
    connect(new QShortcut(QKeySequence::Refresh, this), &QShortcut::activated, this,
            [this] { Handle([this] { RereadFolder(); }); });
}

void TForm1::Edit4Change() {
    BatchMode.clear();
    ShowOtherTags({});
    Listview1->clear();
    FoundFiles.Clear();
    FindFile1.Subfolders = false;
    // Without fresh limits a file saved or renamed earlier in this session would be left out.
    SetScanTimeLimits();
    SetScanLocation();
    FindFile1.Search();
    ClearFileView();
}

void TForm1::PageControl1Change() {
    if (PageControl1->currentWidget() != TabSheet1) return;
    // Unsaved edits outlive a visit to another page: nothing has changed the files since, as a batch
    // run asks about them first.
    if (HasUnsavedEdits()) return;
    SetScanTimeLimits();
    Listview1->clear();
    Edit4Change();
    BitBtn18->setEnabled(false);
}

std::string TForm1::SelectedFilePath() const {
    const QList<QListWidgetItem*> selected = Listview1->selectedItems();
    if (selected.isEmpty()) return {};
    return (Edit4->text() + selected.first()->text()).toStdString();
}

void TForm1::ClearFileView() {
    shownFile_.clear();
    ShowCannotEdit({});
    for (QLabel* value :
         {FileSizeText, ChannelModeText, SampleRateText, DurationText, BitRateText, Vendertxt})
        value->clear();
    Vendertxt->setToolTip({});
    for (const TBrowseField& row : kBrowseFields) SetEditorText(*this, row, {});
}

QList<QWidget*> TForm1::BrowseEditingControls() const {
    QList<QWidget*> controls = {ListBox1, BitBtn6, BitBtn7, BitBtn27, btnPicture};
    for (const TBrowseField& row : kBrowseFields) {
        controls << (row.editor ? static_cast<QWidget*>(this->*row.editor) : edit7) << this->*row.copyButton;
    }
    return controls;
}

void TForm1::ShowCannotEdit(const QString& why) {
    editable_ = why.isEmpty();
    for (QWidget* control : BrowseEditingControls()) control->setEnabled(editable_);
    if (!editable_) BitBtn18->setEnabled(false);
    lblCannotEdit->setText(
        lblCannotEdit->fontMetrics().elidedText(why, Qt::ElideRight, lblCannotEdit->width()));
    lblCannotEdit->setToolTip(why);
    lblCannotEdit->setVisible(!editable_);
    // The line takes the place of the picture's.
    lblPicture->setVisible(editable_);
    PictureText->setVisible(editable_);
}

bool TForm1::HasUnsavedEdits() const { return !shownFile_.empty() && BitBtn18->isEnabled(); }

bool TForm1::ResolveUnsavedEdits() {
    if (!HasUnsavedEdits()) return true;
    switch (platform_.AskSaveChanges("Save changes to " + FileNameOf(shownFile_) + "?")) {
        case TSaveChoice::Save:
            return SaveShownFile();
        case TSaveChoice::Discard:
            BitBtn18->setEnabled(false);
            return true;
        case TSaveChoice::Cancel:
            break;
    }
    return false;
}

void TForm1::SelectListedFile(const std::string& path) {
    const QList<QListWidgetItem*> found = Listview1->findItems(Text(FileNameOf(path)), Qt::MatchExactly);
    if (!found.isEmpty()) Listview1->setCurrentItem(found.first());
}

void TForm1::Listview1Click() {
    const std::string path = SelectedFilePath();
    if (path.empty()) return;
    if (path != shownFile_ && !ResolveUnsavedEdits()) {
        // The edits stay, and so does the file they belong to.
        const QSignalBlocker quiet(Listview1);
        SelectListedFile(shownFile_);
        return;
    }
    ShowFile(path);
}

void TForm1::ShowFile(const std::string& path) {
    TLoadOutcome loaded = TLoadOutcome::Missing;
    std::string unreadable = "it no longer exists";
    try {
        loaded = LoadWorkingRecord(FileObject, WorkingRecord, path);
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
    WorkingRecord.Duration = FileObject.Duration();
    ShowCannotEdit({});
    ShowWorkingRecord();
    if (!FileObject.HeaderDamage.empty()) {
        ShowCannotEdit(DamagedLine(FileObject.HeaderDamage));
        return;
    }
    shownFile_ = path;
    BitBtn18->setEnabled(false);
}

void TForm1::RereadFolder() {
    if (!ResolveUnsavedEdits()) return;
    const std::string selected = SelectedFilePath();
    Edit4Change();
    // The file shown before is shown again, as it is now.
    if (!selected.empty()) SelectListedFile(selected);
}

std::vector<std::string> TForm1::OtherTagLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < ListBox1->count(); ++i) lines.push_back(OtherTagLine(*ListBox1->item(i)));
    return lines;
}

void TForm1::ShowOtherTags(const std::vector<std::string>& lines) {
    ListBox1->clear();
    for (const std::string& line : lines) SetOtherTag(*new QListWidgetItem(ListBox1), line);
    ShowPicture();
}

// The Browse page's list shows a picture by its description and keeps the line as the entry's data;
// the Mass page's list shows its lines as they are, which is also how its settings keep them.
void TForm1::SetOtherTag(QListWidgetItem& item, const std::string& line) const {
    const bool browseList = item.listWidget() == ListBox1;
    item.setData(kLineRole, browseList ? QVariant(Text(line)) : QVariant());
    item.setText(Text(browseList ? OtherTagDisplayLine(line) : line));
}

void TForm1::ShowWorkingRecord() {
    const tagrecord& record = WorkingRecord;
    FileSizeText->setText(FileSizeCaption(record.FileSize));
    ChannelModeText->setText(ChannelModeCaption(record.Channels, record.Codec));
    SampleRateText->setText(SampleRateCaption(record.SampleRate));
    DurationText->setText(DurationCaption(record.Duration));
    BitRateText->setText(BitRateCaption(ShownBitRate(record)));
    ShowVendor(*Vendertxt, Text(record.Vendor));
    for (const TBrowseField& row : kBrowseFields)
        SetEditorText(*this, row, Text(FieldOf(WorkingRecord, row.field)));
    ShowOtherTags(record.OtherTags);
}

void TForm1::BitBtn18Click() {
    const std::string path = SelectedFilePath();
    if (path.empty()) {
        platform_.ShowMessage(TMessageKind::Error, kNoFileSelected);
        BitBtn18->setEnabled(false);
        return;
    }
    if (SaveFile(path)) ShowFile(path);
}

bool TForm1::SaveShownFile() { return SaveFile(shownFile_); }

bool TForm1::SaveFile(const std::string& path) {
    for (const TBrowseField& row : kBrowseFields)
        FieldOf(WorkingRecord, row.field) = EditorText(*this, row).toStdString();
    WorkingRecord.OtherTags = OtherTagLines();
    bool written;
    std::string reason;
    std::vector<std::string> notes;
    {
        const TWaitCursor wait(platform_);
        written = StoreWorkingRecord(FileObject, WorkingRecord, path, &reason, &notes);
    }
    for (const std::string& note : notes) {
        MemoLog().AddLine(path + ": " + note);
        std::fprintf(stderr, "parvex: %s: %s\n", path.c_str(), note.c_str());
    }
    if (!written) {
        // The user's edits stay, and so does Save, for another try.
        platform_.ShowMessage(TMessageKind::Error, SaveFailedMessage(path, reason).toStdString());
        return false;
    }
    BitBtn18->setEnabled(false);
    return true;
}

// A file Parvex cannot edit has its editors disabled, but the program may still set their text.
void TForm1::Edit1Change() {
    if (editable_) BitBtn18->setEnabled(true);
}

void TForm1::BitBtn6Click() {
    if (!AddOtherTagLine(*ListBox1)) return;
    ShowPicture();
    BitBtn18->setEnabled(true);
}

void TForm1::BitBtn7Click() {
    if (!DeleteOtherTagLine(*ListBox1)) return;
    ShowPicture();
    BitBtn18->setEnabled(true);
}

void TForm1::ListBox1DblClick() {
    if (EditOtherTagLine(*ListBox1)) ShowPicture();
}

void TForm1::BitBtn27Click() {
    ListBox2->clear();
    // Pictures go to the Mass page's picture row instead: kept in the settings, a picture's line would
    // be cut at their length limit and written broken into every file.
    for (const std::string& line : OtherTagLines())
        if (!IsPictureLine(line)) ListBox2->addItem(Text(line));
}

bool TForm1::DeleteOtherTagLine(QListWidget& list) {
    QListWidgetItem* selected = SelectedLine(list);
    delete selected;
    return selected != nullptr;
}

bool TForm1::AddOtherTagLine(QListWidget& list) {
    const std::string line = Form2->OpenForAdd();
    if (line == kCancelled) return false;
    SetOtherTag(*new QListWidgetItem(&list), line);
    return true;
}

bool TForm1::EditOtherTagLine(QListWidget& list) {
    QListWidgetItem* selected = SelectedLine(list);
    if (!selected) return false;
    const std::string line = OtherTagLine(*selected);
    // The name ends at the first "="; the value keeps every "=" after it.
    const std::size_t eq = line.find('=');
    const std::string name = eq == std::string::npos ? std::string() : line.substr(0, eq);
    const std::string value = eq == std::string::npos ? line : line.substr(eq + 1);
    const std::string edited = Form2->OpenForEdit(name, value);
    if (edited == kCancelled) return false;
    SetOtherTag(*selected, edited);
    return true;
}

void TForm1::UseEnterMovesFocus(QWidget* editor) {
    enterMovesFocus_.insert(editor);
    editor->installEventFilter(this);
}

bool TForm1::Edit10KeyPress(QWidget* editor, QKeyEvent* key) {
    if (!IsEnterKey(*key)) return false;
    MoveFocusToNextControl(*editor);
    return true;
}

}  // namespace parvex
