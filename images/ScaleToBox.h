#pragma once
// The box scaler for thumbnails: block averaging down into a square box,
// then one sharpening pass. Pictures are never enlarged.

#include <QImage>

namespace images {

// The size a picture of `source` takes in a square box of `box` pixels.
QSize BoxSize(QSize source, int box);

// Makes `target` a 24-bit copy of `source` that fits the box.
void ScaleToBox(const QImage& source, QImage& target, int box);

} // namespace images
