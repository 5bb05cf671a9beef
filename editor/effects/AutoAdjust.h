#pragma once
// The fixed recipe of automatic adjustments run after an image-type choice.

#include "EffectTypes.h"

#include <QImage>

namespace effects {

enum AutoAdjustStep : quint32 {
    aaFlipVertical = 0x2,
    aaFlipHorizontal = 0x4,
    aaFlipBoth = 0x8,
    aaRotate90 = 0x10,
    aaRotate270 = 0x20,
    aaContrastPlus5 = 0x40,
    aaContrastPlus10 = 0x80,
    aaContrastPlus15 = 0x100,
    aaContrastMinus5 = 0x200,
    aaContrastMinus10 = 0x400,
    aaContrastMinus15 = 0x800,
    aaGamma11 = 0x1000,
    aaGamma13 = 0x2000,
    aaGamma17 = 0x4000,
    aaGamma09 = 0x8000,
    aaGamma08 = 0x10000,
    aaGamma07 = 0x20000,
    aaInvert = 0x40000,
    aaGreyScale = 0x80000,
};

// Runs every step whose bit is set, in table order, each into work and copied
// back into bitmap. Errors of a step propagate; work then holds the last result.
void ApplyAutoAdjustSteps(QImage& bitmap, QImage& work, quint32 flags, const Progress& progress);

} // namespace effects
