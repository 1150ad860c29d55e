// The picture of the Browse page: the thumbnail of the file's front cover (or first picture) with a
// menu to set, remove and save it, and the line that describes it. The picture lives among the
// other tags, as a METADATA_BLOCK_PICTURE line of ListBox1, so it is saved, asked about and dropped
// like any other edit.

#include <QMenu>
#include <QSaveFile>
#include <filesystem>

#include "app/form_builder.h"
#include "app/main_window.h"
#include "app/picture_image.h"

namespace parvex {

namespace {

constexpr QRect kThumbnailPlace(496, 368, 60, 60);
constexpr QPoint kCaptionAt(274, 464);
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

void TForm1::CreateBrowsePicture(QWidget* page) {
    btnPicture = MakeControl<QToolButton>(page, "btnPicture", kThumbnailPlace);
    btnPicture->setText("&Picture");
    btnPicture->setPopupMode(QToolButton::InstantPopup);
    btnPicture->setFocusPolicy(Qt::StrongFocus);
    auto* menu = new QMenu(btnPicture);
    actSetPicture = menu->addAction("&Set picture...");
    actSetPicture->setObjectName("actSetPicture");
    actRemovePicture = menu->addAction("&Remove picture");
    actRemovePicture->setObjectName("actRemovePicture");
    actSavePicture = menu->addAction("Save picture &as...");
    actSavePicture->setObjectName("actSavePicture");
    btnPicture->setMenu(menu);
    lblPicture = MakeLabel(page, "lblPicture", "Picture", kCaptionAt, TFontWeight::Bold);
    PictureText = MakeControl<QLabel>(page, "PictureText", kDescriptionPlace);

    connect(actSetPicture, &QAction::triggered, this, [this] { Handle([this] { SetPictureClick(); }); });
    connect(actRemovePicture, &QAction::triggered, this,
            [this] { Handle([this] { RemovePictureClick(); }); });
    connect(actSavePicture, &QAction::triggered, this, [this] { Handle([this] { SavePictureClick(); }); });
    ShowPicture();
}

void TForm1::ShowPicture() {
    shownPicture_ = ShownPicture(OtherTagLines());
    actRemovePicture->setEnabled(shownPicture_.has_value());
    actSavePicture->setEnabled(shownPicture_.has_value());
    if (!shownPicture_) {
        btnPicture->setIcon({});
        btnPicture->setToolButtonStyle(Qt::ToolButtonTextOnly);
        btnPicture->setToolTip("No picture");
        PictureText->clear();
        return;
    }
    const TPicture& picture = shownPicture_->second;
    const QString description = QString::fromStdString(DescribePicture(picture));
    const QSize box = btnPicture->size() - QSize(6, 6);
    const QPixmap thumbnail = FitPixmap(DecodePicture(picture), box, btnPicture->devicePixelRatioF());
    btnPicture->setIcon(thumbnail);
    btnPicture->setIconSize(box);
    // A picture that cannot be decoded still has its menu, under its caption.
    btnPicture->setToolButtonStyle(thumbnail.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    btnPicture->setToolTip(description);
    PictureText->setText(
        PictureText->fontMetrics().elidedText(description, Qt::ElideRight, PictureText->width()));
}

void TForm1::SetPictureClick() {
    const auto chosen = platform_.ChooseOpenFile(kPictureFilter, Edit4->text().toStdString());
    if (!chosen) return;
    std::string problem;
    const std::optional<TPicture> picture = LoadFrontCover(*chosen, &problem);
    if (!picture) {
        platform_.ShowMessage(TMessageKind::Error, "This picture cannot be used: " + problem + ".");
        return;
    }
    std::vector<std::string> lines = OtherTagLines();
    SetFrontCover(lines, *picture);
    ShowOtherTags(lines);
    Edit1Change();
}

void TForm1::RemovePictureClick() {
    if (!shownPicture_) return;
    delete ListBox1->takeItem(static_cast<int>(shownPicture_->first));
    ShowPicture();
    Edit1Change();
}

void TForm1::SavePictureClick() {
    if (!shownPicture_) return;
    const TPicture picture = shownPicture_->second;
    const auto [name, filter] = SaveNameAndFilter(picture);
    const auto chosen = platform_.ChooseSaveFile(
        filter, (std::filesystem::path(Edit4->text().toStdString()) / name).string());
    if (!chosen) return;
    // Written whole beside the chosen name and then renamed over it, so a failed write leaves
    // nothing half written.
    QSaveFile file(QString::fromStdString(*chosen));
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(picture.Data.data(), static_cast<qint64>(picture.Data.size())) ==
                             static_cast<qint64>(picture.Data.size()) &&
                         file.commit();
    if (!written)
        platform_.ShowMessage(TMessageKind::Error, "The picture could not be written to " + *chosen + ": " +
                                                       file.errorString().toStdString() + ".");
}

}  // namespace parvex
