#include "app/picture_image.h"

#include "app/logo.h"

namespace parvex {

QImage DecodePicture(const TPicture& picture) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(picture.Data.data());
    // The data decide, not the MIME type, which taggers do not always get right.
    const std::optional<TImageInfo> info = ReadImageInfo(picture.Data);
    if (info && info->MimeType == "image/jpeg") return DecodeJpeg({bytes, picture.Data.size()});
    return QImage::fromData(bytes, static_cast<int>(picture.Data.size()));
}

}  // namespace parvex
