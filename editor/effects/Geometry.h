#pragma once
// Rotation, flipping and fitting into a box.

#include "EffectTypes.h"

#include <QImage>

namespace effects {

// Turns the picture clockwise by angle degrees about (centreColumn, centreRow).
// With enlarge the destination grows to hold the whole turned picture;
// uncovered pixels get the background colour.
void Rotate(const QImage& src, QImage& dst, double angle, const Progress& progress, TColor background, bool enlarge,
            int centreRow, int centreColumn);
// The same mapping on 32-bit pixels; uncovered pixels get the 0xAARRGGBB background value.
void Rotate32(const QImage& src, QImage& dst, double angle, int centreColumn, int centreRow, bool enlarge,
              QRgb background, const Progress& progress = {});

void FlipVertical(const QImage& src, QImage& dst, const Progress& progress = {});
void FlipHorizontal(const QImage& src, QImage& dst, const Progress& progress = {});

// The destination becomes boxWidth x boxHeight in the background colour with
// the source drawn into it (scaled with its aspect ratio kept unless it is
// smaller than the box and keepSmall is set).
void FitToBox(const QImage& src, QImage& dst, int boxWidth, int boxHeight, bool keepSmall, TColor background,
              bool centre);

} // namespace effects
