// The edits of the Browse page: the editors and other tags of the shown file, whether they are
// saved, and Save itself.

#include <cstdio>
#include <filesystem>

#include "app/pages/browse_page.h"
#include "ogg/picture.h"

namespace parvex {

namespace {

constexpr const char* kNoFileSelected = "You have not selected an ogg file to change.";

QString SaveFailedMessage(const std::string& path, const std::string& reason) {
    const std::string why = reason.empty() ? "" : ": " + reason;
    return QString::fromStdString("The tags could not be written to " + path + why + ". The file is unchanged.");
}

}  // namespace

QList<QWidget*> TBrowsePage::EditingControls() const {
    QList<QWidget*> controls = {otherTagsList, addOtherTagButton, removeOtherTagButton, copyOtherTagsButton,
                                pictureButton};
    for (const TFieldRow& row : rows_) controls << Editor(row) << row.copyButton;
    return controls;
}

void TBrowsePage::ShowCannotEdit(const QString& why) {
    editable_ = why.isEmpty();
    for (QWidget* control : EditingControls()) control->setEnabled(editable_);
    if (!editable_) saveButton->setEnabled(false);
    cannotEditLabel->setText(
        cannotEditLabel->fontMetrics().elidedText(why, Qt::ElideRight, cannotEditLabel->width()));
    cannotEditLabel->setToolTip(why);
    cannotEditLabel->setVisible(!editable_);
    // The line takes the place of the picture's.
    pictureLabel->setVisible(editable_);
    pictureText->setVisible(editable_);
}

bool TBrowsePage::HasUnsavedEdits() const {
    return (!shownFile_.empty() || selection_) && saveButton->isEnabled();
}

bool TBrowsePage::ResolveUnsavedEdits() {
    if (!HasUnsavedEdits()) return true;
    const std::string name = selection_ ? std::to_string(selection_->Paths.size()) + " files"
                                        : std::filesystem::path(shownFile_).filename().string();
    switch (context_.Platform().AskSaveChanges("Save changes to " + name + "?")) {
        case TSaveChoice::Save:
            return selection_ ? SaveSelection(false, false) : SaveFile(shownFile_);
        case TSaveChoice::Discard:
            saveButton->setEnabled(false);
            return true;
        case TSaveChoice::Cancel:
            break;
    }
    return false;
}

void TBrowsePage::SaveIfEdited() {
    if (saveButton->isEnabled()) context_.Handle([this] { onSaveClicked(); });
}

void TBrowsePage::onSaveClicked() {
    if (selection_) {
        SaveSelection(false);
        return;
    }
    const std::string path = SelectedFilePath();
    if (path.empty()) {
        context_.Platform().ShowMessage(TMessageKind::Error, kNoFileSelected);
        saveButton->setEnabled(false);
        return;
    }
    if (SaveFile(path)) ShowFile(path);
}

bool TBrowsePage::SaveFile(const std::string& path) {
    for (const TFieldRow& row : rows_) FieldOf(workingRecord_, row.field) = EditorText(row).toStdString();
    workingRecord_.OtherTags = otherTags_->Lines();
    bool written;
    std::string reason;
    std::vector<std::string> notes;
    {
        const TWaitCursor wait(context_.Platform());
        written = StoreWorkingRecord(fileObject_, workingRecord_, path, &reason, &notes);
    }
    for (const std::string& note : notes) {
        context_.Log().AddLine(path + ": " + note);
        std::fprintf(stderr, "parvex: %s: %s\n", path.c_str(), note.c_str());
    }
    if (!written) {
        // The user's edits stay, and so does Save, for another try.
        context_.Platform().ShowMessage(TMessageKind::Error, SaveFailedMessage(path, reason).toStdString());
        return false;
    }
    saveButton->setEnabled(false);
    RereadRows({path});
    return true;
}

// Without a shown file or selection there is nothing Save could write; a file Parvex cannot edit has its editors
// disabled, but the program may still set their text.
void TBrowsePage::MarkEdited() {
    if (editable_ && (!shownFile_.empty() || selection_)) saveButton->setEnabled(true);
}

void TBrowsePage::addOtherTag() {
    if (!otherTags_->Add(*context_.addTagDialog)) return;
    ShowPicture();
    MarkEdited();
}

void TBrowsePage::removeOtherTag() {
    if (!otherTags_->RemoveSelected()) return;
    ShowPicture();
    MarkEdited();
}

void TBrowsePage::editOtherTag() {
    if (!otherTags_->EditSelected(*context_.addTagDialog)) return;
    ShowPicture();
    MarkEdited();
}

void TBrowsePage::copyOtherTags() {
    // Pictures go to the Mass page's picture row instead: kept in the settings, a picture's line would
    // be cut at their length limit and written broken into every file.
    std::vector<std::string> lines;
    for (const std::string& line : otherTags_->Lines())
        if (!IsPictureLine(line)) lines.push_back(line);
    emit otherTagsCopied(lines);
}

void TBrowsePage::ShowOtherTags(const std::vector<std::string>& lines) {
    otherTags_->Show(lines);
    ShowPicture();
}

}  // namespace parvex
