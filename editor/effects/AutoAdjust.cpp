#include "AutoAdjust.h"

#include "Adjustments.h"
#include "Geometry.h"
#include "PixelAccess.h"

#include <functional>

namespace effects {

void ApplyAutoAdjustSteps(QImage& bitmap, QImage& work, quint32 flags, const Progress& progress)
{
    using Step = std::function<void(const QImage&, QImage&)>;
    const auto rotate = [&](double angle) {
        return [&progress, angle](const QImage& in, QImage& out) {
            Rotate(in, out, angle, progress, 0x000000, true, detail::rnd(in.height() / 2.0),
                   detail::rnd(in.width() / 2.0));
        };
    };
    const auto contrast = [&](int amount) {
        return [&progress, amount](const QImage& in, QImage& out) { Contrast(in, out, amount, {}, progress); };
    };
    const auto gamma = [&](double g) {
        return [&progress, g](const QImage& in, QImage& out) { ApplyGamma(in, out, g, progress); };
    };
    const std::pair<quint32, Step> steps[] = {
        {aaFlipVertical, [&](const QImage& in, QImage& out) { FlipVertical(in, out, progress); }},
        {aaFlipHorizontal, [&](const QImage& in, QImage& out) { FlipHorizontal(in, out, progress); }},
        {aaFlipBoth,
         [&](const QImage& in, QImage& out) {
             QImage flipped;
             FlipHorizontal(in, flipped, progress);
             FlipVertical(flipped, out, progress);
         }},
        {aaRotate90, rotate(90)},
        {aaRotate270, rotate(270)},
        {aaContrastPlus5, contrast(5)},
        {aaContrastPlus10, contrast(10)},
        {aaContrastPlus15, contrast(15)},
        {aaContrastMinus5, contrast(-5)},
        {aaContrastMinus10, contrast(-10)},
        {aaContrastMinus15, contrast(-15)},
        {aaGamma11, gamma(1.1)},
        {aaGamma13, gamma(1.3)},
        {aaGamma17, gamma(1.7)},
        {aaGamma09, gamma(0.9)},
        {aaGamma08, gamma(0.8)},
        {aaGamma07, gamma(0.7)},
        {aaInvert, [&](const QImage& in, QImage& out) { Invert(in, out, progress); }},
        {aaGreyScale, [&](const QImage& in, QImage& out) { GreyScale(in, out, progress); }},
    };
    work = bitmap;
    for (const auto& [bit, step] : steps) {
        if (!(flags & bit))
            continue;
        step(bitmap, work);
        bitmap = work;
    }
}

} // namespace effects
