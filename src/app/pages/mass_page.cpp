#include "app/pages/mass_page.h"

#include "app/form_builder.h"
#include "app/key_input.h"

namespace parvex {

namespace {

// One row of the page: its field, the names and places of its check box, value box and the panel
// holding its three mode buttons, which are named after the row with "_a", "_o" and "_p".
struct TMassRowPlace {
    TTagField field;
    const char* checkName;
    const char* caption;
    QRect checkPlace;
    const char* editName;
    QRect editPlace;
    const char* panelName;
    QPoint panelAt;
    const char* modePrefix;
};

using enum TTagField;
// clang-format off
constexpr TMassRowPlace kMassRows[] = {
    {Artist, "CheckBox9", "Artist", {10, 16, 80, 17}, "Edit10", {112, 8, 376, 21}, "Panel1", {496, 8}, "artist"},
    {Title, "CheckBox10", "Title", {10, 42, 80, 17}, "Edit11", {112, 34, 376, 21}, "Panel2", {496, 34}, "title"},
    {Album, "CheckBox11", "Album", {10, 68, 80, 17}, "Edit12", {112, 60, 376, 21}, "Panel3", {496, 60}, "album"},
    {Track, "CheckBox12", "Track", {10, 94, 70, 17}, "Edit13", {112, 86, 376, 21}, "Panel4", {496, 86}, "track"},
    {Date, "CheckBox13", "Date", {10, 120, 70, 17}, "Edit14", {112, 112, 376, 21}, "Panel5", {496, 112}, "date"},
    {Genre, "CheckBox14", "Genre", {10, 146, 80, 17}, "edit15", {112, 138, 376, 21}, "Panel6", {496, 138}, "genre"},
    {Comment, "CheckBox15", "Comment", {10, 172, 80, 17}, "Edit16", {112, 164, 376, 21}, "Panel7", {496, 164},
     "comment"},
    {License, "CheckBox49", "License", {10, 198, 80, 17}, "Edit24", {112, 190, 376, 21}, "Panel9", {496, 190},
     "license"},
    {Organization, "CheckBox50", "Organization", {10, 224, 90, 17}, "Edit25", {112, 216, 376, 21}, "Panel10",
     {496, 216}, "organization"},
    {Location, "CheckBox51", "Location", {10, 250, 80, 17}, "Edit26", {112, 242, 376, 21}, "Panel11", {496, 242},
     "location"},
    {Contact, "CheckBox52", "Contact", {10, 276, 80, 17}, "Edit27", {112, 268, 376, 21}, "Panel12", {496, 268},
     "contact"},
    {Version, "CheckBox54", "Version", {310, 302, 73, 17}, "Edit29", {388, 294, 100, 21}, "Panel14", {496, 294},
     "version"},
    {Copyright, "CheckBox53", "Copyright", {310, 328, 80, 17}, "Edit28", {388, 320, 100, 21}, "Panel13",
     {496, 320}, "copyright"},
    {ISRC, "CheckBox55", "ISRC", {310, 354, 73, 17}, "Edit30", {388, 346, 100, 21}, "Panel15", {496, 346}, "isrc"},
};
// clang-format on

// The mode buttons, left to right: their name endings, hints and places within the panel. The
// buttons are too narrow for their captions: the hint names each on hover, and a legend over the
// column names them in order.
struct TModeButton {
    TMassMode mode;
    const char* suffix;
    const char* hint;
    QRect place;
};

constexpr TModeButton kModeButtons[] = {
    {TMassMode::Prepend, "_a", "Prepend", {6, 3, 15, 15}},
    {TMassMode::Overwrite, "_o", "Overwrite", {22, 3, 15, 15}},
    {TMassMode::Append, "_p", "Append", {38, 3, 19, 15}},
};

// The rows and the other tags under them sit this much lower than drawn, to make room for the legend
// of the mode buttons above the first row.
constexpr int kLegendRoom = 6;
constexpr int kModeColumnRight = 556;  // the right edge of the mode panels

QRect BelowLegend(const QRect& place) { return place.translated(0, kLegendRoom); }

QFrame* MakeModePanel(QWidget* page, const char* name, QPoint at) {
    auto* panel = MakeControl<QFrame>(page, name, BelowLegend({at, QSize(60, 21)}));
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);  // lowered outside, raised inside
    return panel;
}

// The three mode buttons of a panel, Overwrite checked.
std::array<QRadioButton*, 3> MakeModeButtons(QFrame* panel, const std::string& prefix) {
    std::array<QRadioButton*, 3> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const TModeButton& mode = kModeButtons[i];
        const std::string name = prefix + mode.suffix;
        buttons[i] = MakeRadioButton(panel, name.c_str(), mode.hint, mode.place);
        buttons[i]->setToolTip(mode.hint);
        buttons[i]->setChecked(mode.mode == TMassMode::Overwrite);
    }
    return buttons;
}

// Overwrite wins over Prepend, Prepend over Append; a row with no button checked is left alone.
TMassMode CheckedMode(const std::array<QRadioButton*, 3>& modes) {
    const auto [prepend, overwrite, append] = modes;
    if (overwrite->isChecked()) return TMassMode::Overwrite;
    if (prepend->isChecked()) return TMassMode::Prepend;
    if (append->isChecked()) return TMassMode::Append;
    return TMassMode::None;
}

}  // namespace

TMassPage::TMassPage(TPageContext& context, QWidget* parent)
    : TBatchPage(context, parent, "TabSheet2", "mass") {
    for (const TMassRowPlace& place : kMassRows) {
        TRow row{place.field,
                 MakeCheckBox(this, place.checkName, place.caption, BelowLegend(place.checkPlace), TFontWeight::Bold),
                 nullptr, nullptr, {}};
        if (place.field == Genre) {
            genreBox = MakeGenreBox(this, place.editName, BelowLegend(place.editPlace));
        } else {
            row.edit = MakeEdit(this, place.editName, BelowLegend(place.editPlace));
        }
        row.panel = MakeModePanel(this, place.panelName, place.panelAt);
        row.modes = MakeModeButtons(row.panel, place.modePrefix);
        rows_.push_back(row);
    }

    otherTagsCheck =
        MakeCheckBox(this, "CheckBox16", "Other tags", BelowLegend({10, 320, 97, 17}), TFontWeight::Bold);
    otherModePanel = MakeModePanel(this, "Panel8", {96, 310});
    otherModeButtons = MakeModeButtons(otherModePanel, "other");
    otherModeButtons[0]->setEnabled(false);
    otherTagsList = MakeControl<QListWidget>(this, "ListBox2", BelowLegend({10, 340, 233, 121}));
    otherTags_.emplace(*otherTagsList, TOtherTagsShown::AsWritten);
    addOtherTagButton = MakeGlyphButton(this, "BitBtn4", "", TGlyph::Add, BelowLegend({248, 340, 20, 20}));
    removeOtherTagButton = MakeGlyphButton(this, "BitBtn5", "", TGlyph::Delete, BelowLegend({248, 441, 20, 20}));
    CreateModeLegend();

    CreatePictureRow();
    recurseCheck = MakeCheckBox(this, "CheckBox39", "Recurse subdirs", {456, 400, 97, 17});
    MakeRunButtons("btnPreviewMass", "BitBtn3", "&Tag");

    for (const TRow& row : rows_) connect(row.check, &QCheckBox::toggled, this, [this] { UpdateRunButtons(); });
    connect(otherTagsCheck, &QCheckBox::toggled, this, [this] { UpdateRunButtons(); });
    connect(pictureCheck, &QCheckBox::toggled, this, [this] { UpdateRunButtons(); });
    connect(addOtherTagButton, &QPushButton::clicked, this, [this] { otherTags_->Add(*context_.addTagDialog); });
    connect(removeOtherTagButton, &QPushButton::clicked, this, [this] { otherTags_->RemoveSelected(); });
    connect(otherTagsList, &QListWidget::itemDoubleClicked, this,
            [this] { otherTags_->EditSelected(*context_.addTagDialog); });
    SetTabOrder();
}

// A line in small type over the column of mode panels, ending at its right edge.
void TMassPage::CreateModeLegend() {
    modeLegend = MakeLabel(this, "lblModes", "Modes, left to right: Prepend, Overwrite, Append", {0, 0});
    QFont small = modeLegend->font();
    small.setPixelSize(Scaled(10));
    modeLegend->setFont(small);
    modeLegend->adjustSize();
    modeLegend->move(Scaled(kModeColumnRight) - modeLegend->width(), 0);
}

void TMassPage::CreatePictureRow() {
    pictureCheck = MakeCheckBox(this, "chkPicture", "Picture", {280, 378, 70, 17}, TFontWeight::Bold);
    // A panel of their own makes the two buttons a group: on the page they would share one with the
    // mode buttons of every row.
    picturePanel = MakeControl<QWidget>(this, "pnlPicture", {350, 376, 124, 21});
    setPictureRadio = MakeRadioButton(picturePanel, "radSetPicture", "Set", {2, 2, 50, 17});
    setPictureRadio->setChecked(true);
    removePictureRadio = MakeRadioButton(picturePanel, "radRemovePicture", "Remove", {54, 2, 70, 17});
    pictureFileEdit = MakeReadOnlyEdit(this, "edtPictureFile", {280, 400, 140, 21});
    pictureFileButton = MakeButton(this, "btnPictureFile", "...", {424, 400, 24, 21});
    pictureFileButton->setToolTip("Choose the picture to set");
    context_.OnClick(pictureFileButton, this, [this] { choosePictureFile(); });
}

// Row by row: the box that chooses the row, its value and its mode buttons; then the other tags, and
// "Tag" last. Enter in a value box walks down the value boxes instead.
void TMassPage::SetTabOrder() {
    QList<QWidget*> chain;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        QWidget* value = ValueBox(rows_[i]);
        chain << rows_[i].check << value;
        for (QRadioButton* mode : rows_[i].modes) chain << mode;
        MoveFocusOnEnter(*value, i + 1 < rows_.size() ? ValueBox(rows_[i + 1]) : nullptr);
    }
    chain << otherTagsCheck;
    for (QRadioButton* mode : otherModeButtons) chain << mode;
    chain << otherTagsList << addOtherTagButton << removeOtherTagButton << pictureCheck << setPictureRadio
          << removePictureRadio << pictureFileEdit << pictureFileButton << recurseCheck << scopeBox << previewButton
          << runButton;
    SetTabChain(chain);
}

const TMassPage::TRow* TMassPage::RowOf(TTagField field) const {
    for (const TRow& row : rows_)
        if (row.field == field) return &row;
    return nullptr;
}

QCheckBox* TMassPage::RowCheck(TTagField field) const { return RowOf(field)->check; }

QLineEdit* TMassPage::RowEdit(TTagField field) const { return RowOf(field)->edit; }

QFrame* TMassPage::ModePanel(TTagField field) const { return RowOf(field)->panel; }

QRadioButton* TMassPage::ModeButton(TTagField field, TMassMode mode) const {
    for (std::size_t i = 0; i < std::size(kModeButtons); ++i)
        if (kModeButtons[i].mode == mode) return RowOf(field)->modes[i];
    return nullptr;
}

QWidget* TMassPage::ValueBox(const TRow& row) const {
    return row.edit ? static_cast<QWidget*>(row.edit) : genreBox;
}

QString TMassPage::RowText(const TRow& row) const {
    return row.edit ? row.edit->text() : genreBox->currentText();
}

void TMassPage::SetRowValue(TTagField field, const QString& value) {
    if (const TRow* row = RowOf(field); row->edit) {
        row->edit->setText(value);
    } else {
        genreBox->setCurrentText(value);
    }
}

void TMassPage::SetOtherTagLines(const std::vector<std::string>& lines) { otherTags_->Show(lines); }

bool TMassPage::CanRun() const {
    bool anyChecked = otherTagsCheck->isChecked() || pictureCheck->isChecked();
    for (const TRow& row : rows_) anyChecked = anyChecked || row.check->isChecked();
    return anyChecked;
}

bool TMassPage::ReadyToRun() {
    // The picture is read once for the run; without one there is no run.
    picture_.reset();
    if (!pictureCheck->isChecked() || !setPictureRadio->isChecked()) return true;
    std::string problem;
    picture_ = LoadFrontCover(pictureFileEdit->text().toStdString(), &problem);
    if (picture_) return true;
    context_.Platform().ShowMessage(TMessageKind::Error, pictureFileEdit->text().isEmpty()
                                                            ? "Choose the picture to set first."
                                                            : "This picture cannot be used: " + problem + ".");
    return false;
}

void TMassPage::choosePictureFile() {
    if (const auto chosen = context_.Platform().ChooseOpenFile(kPictureFilter, pictureFileEdit->text().toStdString())) {
        pictureFileEdit->setText(QString::fromStdString(*chosen));
        setPictureRadio->setChecked(true);
    }
}

TBatchOrder TMassPage::Order() {
    TMassTagOptions options;
    for (const TRow& row : rows_) {
        if (!row.check->isChecked()) continue;
        options.Rows.push_back({row.field, RowText(row).toStdString(), CheckedMode(row.modes)});
    }
    options.OtherTagsChecked = otherTagsCheck->isChecked();
    options.OtherTagsMode = CheckedMode(otherModeButtons);
    options.OtherTagLines = otherTags_->Lines();
    if (pictureCheck->isChecked()) {
        options.PictureAction = picture_ ? TPictureAction::SetFrontCover : TPictureAction::RemoveAll;
        if (picture_) options.Picture = *picture_;
    }
    TBatchOrder order;
    order.Planner = [options](const std::string& dir, const std::string& name, TOggVorbis& file,
                              tagrecord& record) { return PlanMassTag(options, file, record, dir, name); };
    return order;
}

}  // namespace parvex
