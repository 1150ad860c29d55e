#include "app/pages/clear_page.h"

#include "app/form_builder.h"
#include "batch/clear_tags.h"

namespace parvex {

namespace {

// A box of the page: what it removes (nothing for the two boxes of their own), its name, caption and
// place, in the order they are created.
struct TClearBox {
    std::optional<TTagField> field;
    const char* name;
    const char* caption;
    QPoint at;
};

using enum TTagField;
constexpr TClearBox kClearBoxes[] = {
    {Artist, "CheckBox1", "Artist", {120, 56}},
    {Title, "CheckBox2", "Title", {120, 80}},
    {Album, "CheckBox3", "Album", {120, 104}},
    {Track, "CheckBox4", "Track", {120, 128}},
    {Date, "CheckBox5", "Date", {120, 152}},
    {Genre, "CheckBox6", "Genre", {120, 176}},
    {Comment, "CheckBox7", "Comment", {120, 200}},
    {std::nullopt, "CheckBox37", "Other tags", {120, 224}},
    {std::nullopt, "CheckBox8", "Remove all tags", {120, 264}},
    {License, "clrLicense", "License", {304, 56}},
    {Organization, "clrOrganization", "Organization", {304, 80}},
    {Location, "clrLocation", "Location", {304, 104}},
    {Contact, "clrContact", "Contact", {304, 128}},
    {Version, "clrVersion", "Version", {304, 152}},
    {Copyright, "clrCopyright", "Copyright", {304, 176}},
    {ISRC, "clrISRC", "ISRC", {304, 200}},
};
constexpr int kOtherTagsBox = 7;
constexpr int kRemoveAllBox = 8;

constexpr QSize kBoxSize(97, 17);
constexpr QSize kRemoveAllSize(121, 17);

}  // namespace

TClearPage::TClearPage(TPageContext& context, QWidget* parent)
    : TBatchPage(context, parent, "TabSheet3", "clear") {
    hintLabel = MakeLabel(this, "Label20", "Place a check next to the tag you wish to remove", {136, 32});
    QPalette hint = hintLabel->palette();
    hint.setColor(QPalette::WindowText, Qt::gray);
    hintLabel->setPalette(hint);

    for (int i = 0; i < std::ssize(kClearBoxes); ++i) {
        const TClearBox& entry = kClearBoxes[i];
        const QSize size = i == kRemoveAllBox ? kRemoveAllSize : kBoxSize;
        QCheckBox* box = MakeCheckBox(this, entry.name, entry.caption, {entry.at, size}, TFontWeight::Bold);
        if (entry.field) fieldBoxes_.push_back({*entry.field, box});
        if (i == kOtherTagsBox) otherTagsCheck = box;
        if (i == kRemoveAllBox) removeAllCheck = box;
        connect(box, &QCheckBox::toggled, this, [this] { onBoxToggled(); });
    }

    recurseCheck = MakeCheckBox(this, "CheckBox40", "Recurse subdirs", {456, 400, 97, 17});
    MakeRunButtons("btnPreviewClear", "BitBtn2", "&Clear");
}

QCheckBox* TClearPage::FieldCheck(TTagField field) const {
    for (const TFieldBox& entry : fieldBoxes_)
        if (entry.field == field) return entry.box;
    return nullptr;
}

std::vector<QCheckBox*> TClearPage::AllBoxes() const {
    std::vector<QCheckBox*> boxes = {otherTagsCheck, removeAllCheck};
    for (const TFieldBox& entry : fieldBoxes_) boxes.push_back(entry.box);
    return boxes;
}

bool TClearPage::CanRun() const {
    for (const QCheckBox* box : AllBoxes())
        if (box->isChecked()) return true;
    return false;
}

void TClearPage::onBoxToggled() {
    // The boxes are made before the buttons; their first marks come from the settings, later.
    if (runButton) UpdateRunButtons();
    // "Remove all tags" covers the others: they are grayed, their marks kept for later.
    const bool singleBoxesUsable = !removeAllCheck || !removeAllCheck->isChecked();
    for (QCheckBox* box : AllBoxes())
        if (box != removeAllCheck) box->setEnabled(singleBoxesUsable);
}

// A box counts when checked, also while "Remove all tags" grays it.
TBatchOrder TClearPage::Order() {
    TClearTagsOptions options;
    for (const TFieldBox& entry : fieldBoxes_)
        if (entry.box->isChecked()) options.Fields.push_back(entry.field);
    options.OtherTags = otherTagsCheck->isChecked();
    options.RemoveAll = removeAllCheck->isChecked();
    TBatchOrder order;
    order.Planner = [options](const std::string& dir, const std::string& name, TOggVorbis& file,
                              tagrecord& record) { return PlanClearTags(options, file, record, dir, name); };
    return order;
}

}  // namespace parvex
