#pragma once
// The image of a picture comment, for showing it: JPEG decoded with libjpeg, PNG (and the other
// formats Qt reads by itself) by Qt.

#include <QImage>

#include "ogg/picture.h"

namespace parvex {

// A null image when the data cannot be decoded or the picture is only a link.
QImage DecodePicture(const TPicture& picture);

}  // namespace parvex
