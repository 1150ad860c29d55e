// The picture of the Browse page: the thumbnail of the file's front cover (or first picture) with a
// menu to set, remove and save it, and the line that describes it. The picture lives among the
// other tags, as a METADATA_BLOCK_PICTURE line of their list, so it is saved, asked about and dropped
// like any other edit.

#include <QMenu>
#include <QSaveFile>
#include <filesystem>

#include "app/form_builder.h"
#include "app/pages/browse_page.h"
#include "app/picture_image.h"

namespace parvex {

namespace {

constexpr QRect kThumbnailPlace(496, 368, 60, 60);
constexpr QPoint kCaptionAt(268, 464);
constexpr QRect kDescriptionPlace(336, 464, 225, 14);

// The file name a picture is offered to be saved under, with the extension of its kind, and the
// save dialog's filter for it.
std::pair<std::string, std::string> SaveNameAndFilter(const TPicture& picture) {
    const std::optional<TImageInfo> info = ReadImageInfo(picture.Data);
    if (info && info->MimeType == "image/png") return {"cover.png", "PNG picture (*.png)|*.png|"};
    if (info) return {"cover.jpg", "JPEG picture (*.jpg;*.jpeg)|*.jpg;*.jpeg|"};
    return {"cover", "All files (*)|*|"};
}

}  // namespace

void TBrowsePage::CreatePicture() {
    pictureButton = MakeControl<QToolButton>(this, "btnPicture", kThumbnailPlace);
    pictureButton->setText("&Picture");
    pictureButton->setPopupMode(QToolButton::InstantPopup);
    pictureButton->setFocusPolicy(Qt::StrongFocus);
    auto* menu = new QMenu(pictureButton);
    setPictureAction = menu->addAction("&Set picture...");
    setPictureAction->setObjectName("actSetPicture");
    removePictureAction = menu->addAction("&Remove picture");
    removePictureAction->setObjectName("actRemovePicture");
    savePictureAction = menu->addAction("Save picture &as...");
    savePictureAction->setObjectName("actSavePicture");
    pictureButton->setMenu(menu);
    pictureLabel = MakeLabel(this, "lblPicture", "Picture", kCaptionAt, TFontWeight::Bold);
    pictureText = MakeControl<QLabel>(this, "PictureText", kDescriptionPlace);

    connect(setPictureAction, &QAction::triggered, this, [this] { context_.Handle([this] { setPicture(); }); });
    connect(removePictureAction, &QAction::triggered, this,
            [this] { context_.Handle([this] { removePicture(); }); });
    connect(savePictureAction, &QAction::triggered, this, [this] { context_.Handle([this] { savePicture(); }); });
    ShowPicture();
}

void TBrowsePage::ShowPicture() {
    shownPicture_ = ShownPicture(otherTags_->Lines());
    removePictureAction->setEnabled(shownPicture_.has_value());
    savePictureAction->setEnabled(shownPicture_.has_value());
    if (!shownPicture_) {
        pictureButton->setIcon({});
        pictureButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
        pictureButton->setToolTip("No picture");
        pictureText->clear();
        return;
    }
    const TPicture& picture = shownPicture_->second;
    const QString description = QString::fromStdString(DescribePicture(picture));
    const QSize box = pictureButton->size() - QSize(6, 6);
    const qreal ratio = pictureButton->devicePixelRatioF();
    std::string refusal;
    const QPixmap thumbnail = FitPixmap(DecodePicture(picture, box * ratio, &refusal), box, ratio);
    pictureButton->setIcon(thumbnail);
    pictureButton->setIconSize(box);
    // A picture that cannot be decoded still has its menu, under its caption; one too large to show
    // says so in place of its description.
    pictureButton->setToolButtonStyle(thumbnail.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    pictureButton->setToolTip(refusal.empty() ? description
                                              : description + "\n" + QString::fromStdString(refusal));
    const QString line = refusal.empty() ? description : "Not shown: " + QString::fromStdString(refusal);
    pictureText->setText(pictureText->fontMetrics().elidedText(line, Qt::ElideRight, pictureText->width()));
}

void TBrowsePage::setPicture() {
    const auto chosen = context_.Platform().ChooseOpenFile(kPictureFilter, folder_);
    if (!chosen) return;
    std::string problem;
    const std::optional<TPicture> picture = LoadFrontCover(*chosen, &problem);
    if (!picture) {
        context_.Platform().ShowMessage(TMessageKind::Error, "This picture cannot be used: " + problem + ".");
        return;
    }
    std::vector<std::string> lines = otherTags_->Lines();
    SetFrontCover(lines, *picture);
    ShowOtherTags(lines);
    MarkEdited();
}

void TBrowsePage::removePicture() {
    if (!shownPicture_) return;
    delete otherTagsList->takeItem(static_cast<int>(shownPicture_->first));
    ShowPicture();
    MarkEdited();
}

void TBrowsePage::savePicture() {
    if (!shownPicture_) return;
    const TPicture picture = shownPicture_->second;
    const auto [name, filter] = SaveNameAndFilter(picture);
    const auto chosen = context_.Platform().ChooseSaveFile(
        filter, (std::filesystem::path(folder_) / name).string());
    if (!chosen) return;
    // Written whole beside the chosen name and then renamed over it, so a failed write leaves
    // nothing half written.
    QSaveFile file(QString::fromStdString(*chosen));
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(picture.Data.data(), static_cast<qint64>(picture.Data.size())) ==
                             static_cast<qint64>(picture.Data.size()) &&
                         file.commit();
    if (!written)
        context_.Platform().ShowMessage(TMessageKind::Error, "The picture could not be written to " + *chosen + ": " +
                                                       file.errorString().toStdString() + ".");
}

}  // namespace parvex
