#pragma once
// GIF writing: colours reduced to an 8-bit palette (octree, then each pixel
// takes the nearest palette colour, no dithering), no transparency.

#include <QByteArray>
#include <QImage>

namespace images {

QImage QuantizeTo8Bit(const QImage& bitmap);
QByteArray EncodeGif(const QImage& bitmap);

} // namespace images
