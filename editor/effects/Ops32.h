#pragma once
// Operations on 32-bit 0xAARRGGBB images (the editor's working bitmap). Source
// and destination may be the same object; the destination is 32-bit with
// alpha 255 except for Invert32, which inverts alpha too.

#include <QImage>

namespace effects {

void Gamma32(const QImage& src, QImage& dst, double gamma);
// Stretches each channel to 0..255; a channel holding one value only keeps it.
void MaxContrast32(const QImage& src, QImage& dst);
void GreyScale32(const QImage& src, QImage& dst);
void Invert32(const QImage& src, QImage& dst);
void Contrast32(const QImage& src, QImage& dst, int amount);
void Brightness32(const QImage& src, QImage& dst, int amount);

} // namespace effects
