#pragma once
// Conversions between Qt pictures and the recognition core's plain picture.

#include "ocr/core/Image.h"

#include <QImage>

namespace ocr {

Image FromQImage(const QImage& image);
QImage ToQImage(const Image& image);

} // namespace ocr
