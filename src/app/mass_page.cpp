// The "Mass set tags" page: fifteen rows of check box, value and Prepend / Overwrite / Append
// buttons, the other-tags list, "Recurse subdirs" and "Tag".

#include <array>

#include "app/file_name_controls.h"
#include "app/form_builder.h"
#include "app/main_window.h"
#include "batch/mass_tag.h"

namespace parvex {

namespace {

using TModeButtons = std::array<QRadioButton * TForm1::*, 3>;

// One row of the page: the check box that includes the row, its value control and the panel holding
// the row's three mode buttons, named after the row with "_a", "_o" and "_p".
struct TMassPageRow {
    TTagField field;
    QCheckBox* TForm1::*check;
    const char* checkName;
    const char* caption;
    QRect checkPlace;
    QLineEdit* TForm1::*editor;  // null for the genre row, whose value control is the combo box edit15
    const char* editorName;
    QRect editorPlace;
    QFrame* TForm1::*panel;
    const char* panelName;
    QPoint panelAt;
    TModeButtons modes;
    const char* modePrefix;
};

// clang-format off
constexpr TMassPageRow kMassRows[] = {
    {TTagField::Artist, &TForm1::CheckBox9, "CheckBox9", "Artist", {10, 16, 80, 17}, &TForm1::Edit10, "Edit10", {112, 8, 376, 21},
     &TForm1::Panel1, "Panel1", {496, 8}, {&TForm1::artist_a, &TForm1::artist_o, &TForm1::artist_p}, "artist"},
    {TTagField::Title, &TForm1::CheckBox10, "CheckBox10", "Title", {10, 42, 80, 17}, &TForm1::Edit11, "Edit11", {112, 34, 376, 21},
     &TForm1::Panel2, "Panel2", {496, 34}, {&TForm1::title_a, &TForm1::title_o, &TForm1::title_p}, "title"},
    {TTagField::Album, &TForm1::CheckBox11, "CheckBox11", "Album", {10, 68, 80, 17}, &TForm1::Edit12, "Edit12", {112, 60, 376, 21},
     &TForm1::Panel3, "Panel3", {496, 60}, {&TForm1::album_a, &TForm1::album_o, &TForm1::album_p}, "album"},
    {TTagField::Track, &TForm1::CheckBox12, "CheckBox12", "Track", {10, 94, 70, 17}, &TForm1::Edit13, "Edit13", {112, 86, 376, 21},
     &TForm1::Panel4, "Panel4", {496, 86}, {&TForm1::track_a, &TForm1::track_o, &TForm1::track_p}, "track"},
    {TTagField::Date, &TForm1::CheckBox13, "CheckBox13", "Date", {10, 120, 70, 17}, &TForm1::Edit14, "Edit14", {112, 112, 376, 21},
     &TForm1::Panel5, "Panel5", {496, 112}, {&TForm1::date_a, &TForm1::date_o, &TForm1::date_p}, "date"},
    {TTagField::Genre, &TForm1::CheckBox14, "CheckBox14", "Genre", {10, 146, 80, 17}, nullptr, "edit15", {112, 138, 376, 21},
     &TForm1::Panel6, "Panel6", {496, 138}, {&TForm1::genre_a, &TForm1::genre_o, &TForm1::genre_p}, "genre"},
    {TTagField::Comment, &TForm1::CheckBox15, "CheckBox15", "Comment", {10, 172, 80, 17}, &TForm1::Edit16, "Edit16",
     {112, 164, 376, 21}, &TForm1::Panel7, "Panel7", {496, 164},
     {&TForm1::comment_a, &TForm1::comment_o, &TForm1::comment_p}, "comment"},
    {TTagField::License, &TForm1::CheckBox49, "CheckBox49", "License", {10, 198, 80, 17}, &TForm1::Edit24, "Edit24",
     {112, 190, 376, 21}, &TForm1::Panel9, "Panel9", {496, 190},
     {&TForm1::license_a, &TForm1::license_o, &TForm1::license_p}, "license"},
    {TTagField::Organization, &TForm1::CheckBox50, "CheckBox50", "Organization", {10, 224, 90, 17}, &TForm1::Edit25, "Edit25",
     {112, 216, 376, 21}, &TForm1::Panel10, "Panel10", {496, 216},
     {&TForm1::organization_a, &TForm1::organization_o, &TForm1::organization_p}, "organization"},
    {TTagField::Location, &TForm1::CheckBox51, "CheckBox51", "Location", {10, 250, 80, 17}, &TForm1::Edit26, "Edit26",
     {112, 242, 376, 21}, &TForm1::Panel11, "Panel11", {496, 242},
     {&TForm1::location_a, &TForm1::location_o, &TForm1::location_p}, "location"},
    {TTagField::Contact, &TForm1::CheckBox52, "CheckBox52", "Contact", {10, 276, 80, 17}, &TForm1::Edit27, "Edit27",
     {112, 268, 376, 21}, &TForm1::Panel12, "Panel12", {496, 268},
     {&TForm1::contact_a, &TForm1::contact_o, &TForm1::contact_p}, "contact"},
    {TTagField::Version, &TForm1::CheckBox54, "CheckBox54", "Version", {310, 302, 73, 17}, &TForm1::Edit29, "Edit29",
     {388, 294, 100, 21}, &TForm1::Panel14, "Panel14", {496, 294},
     {&TForm1::version_a, &TForm1::version_o, &TForm1::version_p}, "version"},
    {TTagField::Copyright, &TForm1::CheckBox53, "CheckBox53", "Copyright", {310, 328, 80, 17}, &TForm1::Edit28, "Edit28",
     {388, 320, 100, 21}, &TForm1::Panel13, "Panel13", {496, 320},
     {&TForm1::copyright_a, &TForm1::copyright_o, &TForm1::copyright_p}, "copyright"},
    {TTagField::ISRC, &TForm1::CheckBox55, "CheckBox55", "ISRC", {310, 354, 73, 17}, &TForm1::Edit30, "Edit30", {388, 346, 100, 21},
     &TForm1::Panel15, "Panel15", {496, 346}, {&TForm1::isrc_a, &TForm1::isrc_o, &TForm1::isrc_p}, "isrc"},
};
// clang-format on

// The mode buttons, left to right: their name endings, hints and places within the panel. The
// buttons are too narrow for their captions; the hint names them on hover.
struct TModeButton {
    const char* suffix;
    const char* hint;
    QRect place;
};

constexpr TModeButton kModeButtons[] = {
    {"_a", "Prepend", {6, 3, 15, 15}},
    {"_o", "Overwrite", {22, 3, 15, 15}},
    {"_p", "Append", {38, 3, 19, 15}},
};
constexpr int kOverwrite = 1;

QFrame* MakeModePanel(QWidget* page, const char* name, QPoint at) {
    auto* panel = MakeControl<QFrame>(page, name, {at, QSize(60, 21)});
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);  // lowered outside, raised inside
    return panel;
}

constexpr TModeButtons kOtherModes = {&TForm1::other_a, &TForm1::other_o, &TForm1::other_p};

// Overwrite wins over Prepend, Prepend over Append; a row with no button checked is left alone.
TMassMode CheckedMode(const TForm1& form, const TModeButtons& modes) {
    const auto [prepend, overwrite, append] = modes;
    if ((form.*overwrite)->isChecked()) return TMassMode::Overwrite;
    if ((form.*prepend)->isChecked()) return TMassMode::Prepend;
    if ((form.*append)->isChecked()) return TMassMode::Append;
    return TMassMode::None;
}

QString RowText(const TForm1& form, const TMassPageRow& row) {
    return row.editor ? (form.*row.editor)->text() : form.edit15->currentText();
}

TMassTagOptions MassTagOptions(const TForm1& form, const std::optional<TPicture>& picture) {
    TMassTagOptions options;
    for (const TMassPageRow& row : kMassRows) {
        if (!(form.*row.check)->isChecked()) continue;
        options.Rows.push_back({row.field, RowText(form, row).toStdString(), CheckedMode(form, row.modes)});
    }
    options.OtherTagsChecked = form.CheckBox16->isChecked();
    options.OtherTagsMode = CheckedMode(form, kOtherModes);
    for (int i = 0; i < form.ListBox2->count(); ++i)
        options.OtherTagLines.push_back(form.ListBox2->item(i)->text().toStdString());
    if (form.chkPicture->isChecked()) {
        options.PictureAction = picture ? TPictureAction::SetFrontCover : TPictureAction::RemoveAll;
        if (picture) options.Picture = *picture;
    }
    return options;
}

}  // namespace

void TForm1::CreateMassPage() {
    QWidget* page = TabSheet2;
    const auto makeModes = [this](QFrame* panel, const TModeButtons& members, const std::string& prefix) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            const TModeButton& mode = kModeButtons[i];
            const std::string name = prefix + mode.suffix;
            QRadioButton* button = this->*members[i] =
                                       MakeRadioButton(panel, name.c_str(), mode.hint, mode.place);
            button->setToolTip(mode.hint);
            button->setChecked(i == kOverwrite);
        }
    };

    for (const TMassPageRow& row : kMassRows) {
        this->*row.check = MakeCheckBox(page, row.checkName, row.caption, row.checkPlace, TFontWeight::Bold);
        QWidget* editor;
        if (row.editor) {
            editor = this->*row.editor = MakeEdit(page, row.editorName, row.editorPlace);
        } else {
            editor = edit15 = MakeGenreBox(page, row.editorName, row.editorPlace);
        }
        UseEnterMovesFocus(editor);
        QFrame* panel = this->*row.panel = MakeModePanel(page, row.panelName, row.panelAt);
        makeModes(panel, row.modes, row.modePrefix);
    }

    CheckBox16 = MakeCheckBox(page, "CheckBox16", "Other tags", {10, 320, 97, 17}, TFontWeight::Bold);
    Panel8 = MakeModePanel(page, "Panel8", {96, 310});
    makeModes(Panel8, kOtherModes, "other");
    other_a->setEnabled(false);
    ListBox2 = MakeControl<QListWidget>(page, "ListBox2", {10, 340, 233, 121});
    BitBtn4 = MakeGlyphButton(page, "BitBtn4", "", TGlyph::Add, {248, 340, 20, 20});
    BitBtn5 = MakeGlyphButton(page, "BitBtn5", "", TGlyph::Delete, {248, 441, 20, 20});

    CreateMassPicture(page);
    CheckBox39 = MakeCheckBox(page, "CheckBox39", "Recurse subdirs", {456, 400, 97, 17});
    BitBtn3 = MakeButton(page, "BitBtn3", "&Tag", {480, 432, 75, 25});
    BitBtn3->setEnabled(false);
    btnPreviewMass = MakePreviewButton(page, "btnPreviewMass");
    btnPreviewMass->setEnabled(false);

    for (const TMassPageRow& row : kMassRows)
        connect(this->*row.check, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    connect(CheckBox16, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    connect(chkPicture, &QCheckBox::toggled, this, [this] { CheckBox9Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { Handle([this] { BitBtn3Click(); }); });
    ConnectClick(btnPreviewMass, &TForm1::btnPreviewMassClick);
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, [this] { ListBox2DblClick(); });
    SetMassTabOrder();
    RegisterBatchOperation("mass", [this] { return MassTagFile(); });
}

// The value boxes first, top to bottom, so Enter walks down the rows; then the boxes that choose the
// rows and the mode buttons, row by row; then the other tags, and "Tag" last.
void TForm1::SetMassTabOrder() {
    QList<QWidget*> chain;
    for (const TMassPageRow& row : kMassRows)
        chain << (row.editor ? static_cast<QWidget*>(this->*row.editor) : edit15);
    for (const TMassPageRow& row : kMassRows) {
        chain << this->*row.check;
        for (QRadioButton* TForm1::*mode : row.modes) chain << this->*mode;
    }
    chain << CheckBox16 << other_a << other_o << other_p << ListBox2 << BitBtn4 << BitBtn5 << chkPicture
          << radSetPicture << radRemovePicture << edtPictureFile << btnPictureFile << CheckBox39
          << btnPreviewMass << BitBtn3;
    SetTabChain(chain);
}

void TForm1::CheckBox9Click() {
    bool anyChecked = CheckBox16->isChecked() || chkPicture->isChecked();
    for (const TMassPageRow& row : kMassRows) anyChecked = anyChecked || (this->*row.check)->isChecked();
    BitBtn3->setEnabled(anyChecked && !RunGoing());
    btnPreviewMass->setEnabled(BitBtn3->isEnabled());
}

void TForm1::BitBtn3Click() {
    if (ReadMassPicture()) StartBatch("mass", *CheckBox39);
}

void TForm1::btnPreviewMassClick() {
    if (ReadMassPicture()) PreviewBatch("mass", *CheckBox39);
}

bool TForm1::ReadMassPicture() {
    // The picture is read once for the run; without one there is no run.
    massPicture_.reset();
    if (chkPicture->isChecked() && radSetPicture->isChecked()) {
        std::string problem;
        massPicture_ = LoadFrontCover(Text(*edtPictureFile), &problem);
        if (!massPicture_) {
            platform_.ShowMessage(TMessageKind::Error, edtPictureFile->text().isEmpty()
                                                           ? "Choose the picture to set first."
                                                           : "This picture cannot be used: " + problem + ".");
            return false;
        }
    }
    return true;
}

void TForm1::btnPictureFileClick() {
    if (const auto chosen = platform_.ChooseOpenFile(kPictureFilter, Text(*edtPictureFile))) {
        edtPictureFile->setText(QString::fromStdString(*chosen));
        radSetPicture->setChecked(true);
    }
}

void TForm1::CreateMassPicture(QWidget* page) {
    chkPicture = MakeCheckBox(page, "chkPicture", "Picture", {280, 378, 70, 17}, TFontWeight::Bold);
    // A panel of their own makes the two buttons a group: on the page they would share one with the
    // mode buttons of every row.
    pnlPicture = MakeControl<QWidget>(page, "pnlPicture", {350, 376, 124, 21});
    radSetPicture = MakeRadioButton(pnlPicture, "radSetPicture", "Set", {2, 2, 50, 17});
    radSetPicture->setChecked(true);
    radRemovePicture = MakeRadioButton(pnlPicture, "radRemovePicture", "Remove", {54, 2, 70, 17});
    edtPictureFile = MakeEdit(page, "edtPictureFile", {280, 400, 140, 21});
    edtPictureFile->setReadOnly(true);
    btnPictureFile = MakeButton(page, "btnPictureFile", "...", {424, 400, 24, 21});
    btnPictureFile->setToolTip("Choose the picture to set");
    ConnectClick(btnPictureFile, &TForm1::btnPictureFileClick);
}

TBatchOrder TForm1::MassTagFile() {
    TBatchOrder order;
    order.Planner = [options = MassTagOptions(*this, massPicture_)](
                        const std::string& dir, const std::string& name, TOggVorbis& file,
                        tagrecord& record) { return PlanMassTag(options, file, record, dir, name); };
    return order;
}

void TForm1::BitBtn4Click() { AddOtherTagLine(*ListBox2); }

void TForm1::BitBtn5Click() { DeleteOtherTagLine(*ListBox2); }

void TForm1::ListBox2DblClick() { EditOtherTagLine(*ListBox2); }

}  // namespace parvex
