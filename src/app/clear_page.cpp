// The "Clear tags" page: one check box per tag to remove, "Remove all tags", "Recurse subdirs" and
// "Clear".

#include "app/form_builder.h"
#include "app/main_window.h"
#include "batch/clear_tags.h"

namespace parvex {

namespace {

struct TClearBox {
    QCheckBox* TForm1::*box;
    const char* name;
    const char* caption;
    QPoint at;
};

constexpr TClearBox kClearBoxes[] = {
    {&TForm1::CheckBox1, "CheckBox1", "Artist", {120, 56}},
    {&TForm1::CheckBox2, "CheckBox2", "Title", {120, 80}},
    {&TForm1::CheckBox3, "CheckBox3", "Album", {120, 104}},
    {&TForm1::CheckBox4, "CheckBox4", "Track", {120, 128}},
    {&TForm1::CheckBox5, "CheckBox5", "Date", {120, 152}},
    {&TForm1::CheckBox6, "CheckBox6", "Genre", {120, 176}},
    {&TForm1::CheckBox7, "CheckBox7", "Comment", {120, 200}},
    {&TForm1::CheckBox37, "CheckBox37", "Other tags", {120, 224}},
    {&TForm1::CheckBox8, "CheckBox8", "Remove all tags", {120, 264}},
    {&TForm1::clrLicense, "clrLicense", "License", {304, 56}},
    {&TForm1::clrOrganization, "clrOrganization", "Organization", {304, 80}},
    {&TForm1::clrLocation, "clrLocation", "Location", {304, 104}},
    {&TForm1::clrContact, "clrContact", "Contact", {304, 128}},
    {&TForm1::clrVersion, "clrVersion", "Version", {304, 152}},
    {&TForm1::clrCopyright, "clrCopyright", "Copyright", {304, 176}},
    {&TForm1::clrISRC, "clrISRC", "ISRC", {304, 200}},
};

// The boxes that each remove one field.
struct TClearField {
    QCheckBox* TForm1::*box;
    TTagField field;
};

// clang-format off
constexpr TClearField kClearFields[] = {
    {&TForm1::CheckBox1, TTagField::Artist},          {&TForm1::CheckBox2, TTagField::Title},
    {&TForm1::CheckBox3, TTagField::Album},           {&TForm1::CheckBox4, TTagField::Track},
    {&TForm1::CheckBox5, TTagField::Date},            {&TForm1::CheckBox6, TTagField::Genre},
    {&TForm1::CheckBox7, TTagField::Comment},         {&TForm1::clrLicense, TTagField::License},
    {&TForm1::clrOrganization, TTagField::Organization}, {&TForm1::clrLocation, TTagField::Location},
    {&TForm1::clrContact, TTagField::Contact},        {&TForm1::clrVersion, TTagField::Version},
    {&TForm1::clrCopyright, TTagField::Copyright},    {&TForm1::clrISRC, TTagField::ISRC},
};
// clang-format on

// A box counts when checked, also while "Remove all tags" grays it.
TClearTagsOptions ClearTagsOptions(const TForm1& form) {
    TClearTagsOptions options;
    for (const TClearField& entry : kClearFields)
        if ((form.*entry.box)->isChecked()) options.Fields.push_back(entry.field);
    options.OtherTags = form.CheckBox37->isChecked();
    options.RemoveAll = form.CheckBox8->isChecked();
    return options;
}

constexpr QSize kBoxSize(97, 17);
constexpr QSize kRemoveAllSize(121, 17);

}  // namespace

void TForm1::CreateClearPage() {
    QWidget* page = TabSheet3;
    Label20 = MakeLabel(page, "Label20", "Place a check next to the tag you wish to remove", {136, 32});
    QPalette hint = Label20->palette();
    hint.setColor(QPalette::WindowText, Qt::gray);
    Label20->setPalette(hint);

    for (const TClearBox& entry : kClearBoxes) {
        const QSize size = entry.box == &TForm1::CheckBox8 ? kRemoveAllSize : kBoxSize;
        this->*entry.box = MakeCheckBox(page, entry.name, entry.caption, {entry.at, size}, TFontWeight::Bold);
    }

    CheckBox40 = MakeCheckBox(page, "CheckBox40", "Recurse subdirs", {456, 400, 97, 17});
    btnPreviewClear = MakePreviewButton(page, "btnPreviewClear");
    btnPreviewClear->setEnabled(false);
    BitBtn2 = MakeButton(page, "BitBtn2", "&Clear", {480, 432, 75, 25});
    BitBtn2->setEnabled(false);

    for (const TClearBox& entry : kClearBoxes)
        connect(this->*entry.box, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { Handle([this] { BitBtn2Click(); }); });
    ConnectClick(btnPreviewClear, &TForm1::btnPreviewClearClick);
    RegisterBatchOperation("clear", [this] { return ClearTagsFile(); });
}

void TForm1::CheckBox1Click() {
    bool anyChecked = false;
    for (const TClearBox& entry : kClearBoxes) anyChecked = anyChecked || (this->*entry.box)->isChecked();
    BitBtn2->setEnabled(anyChecked && !RunGoing());
    btnPreviewClear->setEnabled(BitBtn2->isEnabled());
    // "Remove all tags" covers the others: they are grayed, their marks kept for later.
    const bool singleBoxesUsable = !CheckBox8->isChecked();
    for (const TClearBox& entry : kClearBoxes)
        if (entry.box != &TForm1::CheckBox8) (this->*entry.box)->setEnabled(singleBoxesUsable);
}

void TForm1::BitBtn2Click() { StartBatch("clear", *CheckBox40); }

void TForm1::btnPreviewClearClick() { PreviewBatch("clear", *CheckBox40); }

TBatchOrder TForm1::ClearTagsFile() {
    TBatchOrder order;
    order.Planner = [options = ClearTagsOptions(*this)](const std::string& dir, const std::string& name,
                                                        TOggVorbis& file, tagrecord& record) {
        return PlanClearTags(options, file, record, dir, name);
    };
    return order;
}

}  // namespace parvex
