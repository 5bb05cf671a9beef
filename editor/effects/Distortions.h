#pragma once
// Distortion effects on 24-bit images: noise, waves, blocks and lens shapes.

#include "EffectTypes.h"

#include <QImage>

namespace effects {

// Pixels whose displaced source falls off the image keep the destination's
// own value (white when the destination had another size or format).
void Spray(const QImage& src, QImage& dst, int range, const Progress& progress = {});
void Sand(const QImage& src, QImage& dst, int amount, bool sameForAllChannels, const Progress& progress = {});
void SineWave(const QImage& src, QImage& dst, int vAmp, int vDelta, int hAmp, int hDelta, int vStart, int hStart,
              bool perPixel, const Progress& progress = {});
// Leaves the destination untouched when a block size is 0 or less.
void Mosaic(const QImage& src, QImage& dst, int blockWidth, int blockHeight, const Progress& progress = {});
void Twirl(const QImage& src, QImage& dst, int amount, const Progress& progress = {});
void FishEye(const QImage& src, QImage& dst, double strength, const Progress& progress = {});

} // namespace effects
