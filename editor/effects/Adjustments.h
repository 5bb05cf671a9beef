#pragma once
// Tone and colour adjustments of 24-bit images. Each reads the source and
// writes a 24-bit destination of the same size; source and destination may be
// the same object.

#include "EffectTypes.h"

#include <QImage>

#include <array>
#include <cstdint>

namespace effects {

using ToneTable = std::array<uint8_t, 256>;

ToneTable GammaTable(double gamma);
ToneTable ContrastTable(int amount);
ToneTable BrightnessTable(int amount);

void ApplyGamma(const QImage& src, QImage& dst, double gamma, const Progress& progress = {});
void Contrast(const QImage& src, QImage& dst, int amount, ChannelFlags flags, const Progress& progress = {});
void Brightness(const QImage& src, QImage& dst, int amount, ChannelFlags flags,
                const Progress& progress = {});
void AdjustRGB(const QImage& src, QImage& dst, int red, int green, int blue, const Progress& progress = {});
void AdjustHSL(const QImage& src, QImage& dst, int hue, int saturation, int lightness,
               const Progress& progress = {});
void Solarize(const QImage& src, QImage& dst, int threshold, const Progress& progress = {});
void Invert(const QImage& src, QImage& dst, const Progress& progress = {});
void GreyScale(const QImage& src, QImage& dst, const Progress& progress = {});

} // namespace effects
