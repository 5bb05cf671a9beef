#pragma once
// JPEG through libjpeg-turbo, decoded at full size or scaled by the decoder
// itself (1/2, 1/4, 1/8), which keeps thumbnails cheap.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace images {

// The scale denominator (1, 2, 4 or 8) for a reduced load of a picture
// `width` pixels wide: the smallest scale whose width stays above 70 pixels.
int ReducedJpegScale(int width);
// The largest denominator at which the decoded size is still at least `size`.
int JpegScaleForSize(QSize picture, QSize size);

// The picture size a JPEG's header gives; bad data, or a size past
// kMaxBitmapPixels, raises EGraphicFormat.
QSize JpegSize(const QByteArray& data);
// Decodes to a 24-bit bitmap at 1/denominator of the full size; CMYK and YCCK
// pictures come out as RGB. Bad data raises EGraphicFormat("JPEG loading
// error"); damaged data the decoder got round (a cut file) still gives a
// picture, and sets *damaged.
QImage DecodeJpeg(const QByteArray& data, int denominator, bool* damaged = nullptr);
// A baseline JPEG (4:2:0) of the given quality, 1 to 100.
QByteArray EncodeJpeg(const QImage& bitmap, int quality);

} // namespace images
