#include "app/picture_image.h"

#include <QBuffer>
#include <QImageReader>

#include "app/logo.h"

namespace parvex {

namespace {

// Whether a picture of `width` x `height` may be decoded; when not, `refusal` says why.
bool MayDecode(std::uint64_t width, std::uint64_t height, std::string* refusal) {
    if (width * height <= kLargestShownPixels) return true;
    if (refusal)
        *refusal = std::to_string(width) + " x " + std::to_string(height) + " pixels, too large to show";
    return false;
}

}  // namespace

// The data decide, not the MIME type, which taggers do not always get right. The size a picture
// declares is read from its header first, so a picture too large to hold is never decoded.
QImage DecodePicture(const TPicture& picture, QSize box, std::string* refusal) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(picture.Data.data());
    const std::optional<TImageInfo> info = ReadImageInfo(picture.Data);
    if (info && !MayDecode(info->Width, info->Height, refusal)) return {};
    if (info && info->MimeType == "image/jpeg") return DecodeJpeg({bytes, picture.Data.size()}, box);
    QByteArray data =
        QByteArray::fromRawData(picture.Data.data(), static_cast<qsizetype>(picture.Data.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    const QSize declared = reader.size();
    if (declared.isValid() && !MayDecode(static_cast<std::uint64_t>(declared.width()),
                                         static_cast<std::uint64_t>(declared.height()), refusal))
        return {};
    return reader.read();
}

}  // namespace parvex
