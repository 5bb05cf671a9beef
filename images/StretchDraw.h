#pragma once
// Draws a whole bitmap into a rectangle with smooth (half-tone) stretching.

#include <QImage>
#include <QPainter>
#include <QRect>

namespace images {

void StretchDrawHalftone(QPainter& canvas, const QRect& target, const QImage& bitmap);

} // namespace images
