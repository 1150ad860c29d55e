#pragma once
// The logo picture of the Log page: a JPEG built into the program, decoded with libjpeg.

#include <QImage>
#include <span>

namespace parvex {

// The logo, 553 x 81 pixels.
QImage LogoPicture();

// Decodes a JPEG held in memory into an RGB image. With `atLeast` given, libjpeg scales the picture
// down while it decodes (to n/8 of its size, n from 1 to 8) to the smallest size that still covers
// `atLeast` both ways, so that a thumbnail never costs the memory of the whole picture. Returns a
// null image when the data is not a JPEG that libjpeg can decode (empty, not a JPEG, an unsupported
// colour space).
QImage DecodeJpeg(std::span<const unsigned char> data, QSize atLeast = {});

}  // namespace parvex
