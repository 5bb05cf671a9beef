#pragma once
// Separable resampling with a choice of kernels.

#include "EffectTypes.h"

#include <QImage>

namespace effects {

using ResampleKernel = float (*)(float x);

float SplineFilter(float x);
float BellFilter(float x);
float TriangleFilter(float x);
float BoxFilter(float x);
float HermiteFilter(float x);
float Lanczos3Filter(float x);
float MitchellFilter(float x);

// The destination becomes newWidth x newHeight (24-bit); it is left blank
// when the source is empty. Every kernel of this program has support 3.
void Resample(const QImage& src, QImage& dst, int newWidth, int newHeight, const Progress& progress = {},
              double support = 3, ResampleKernel kernel = Lanczos3Filter);

} // namespace effects
