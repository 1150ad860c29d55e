#pragma once
// The image of a picture comment, for showing it: JPEG decoded with libjpeg, PNG (and the other
// formats Qt reads by itself) by Qt.

#include <QImage>
#include <cstdint>
#include <string>

#include "ogg/picture.h"

namespace parvex {

// Pictures that declare more pixels than this are not decoded: a few hundred bytes of JPEG may
// declare 20000 x 20000 pixels, more than a gigabyte once decoded.
inline constexpr std::uint64_t kLargestShownPixels = std::uint64_t{1} << 26;  // 8192 x 8192

// The image of `picture` for a thumbnail of `box` pixels (device pixels): a JPEG is scaled down while
// it is decoded, to no less than `box` (see DecodeJpeg). A null image when the data cannot be decoded,
// the picture is only a link, or it declares more than kLargestShownPixels pixels; `refusal` (when
// given) then says the last in words: "20000 x 20000 pixels, too large to show".
QImage DecodePicture(const TPicture& picture, QSize box, std::string* refusal = nullptr);

}  // namespace parvex
