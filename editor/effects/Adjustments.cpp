#include "Adjustments.h"

#include "ColorSpace.h"
#include "PixelAccess.h"

#include <cmath>

namespace effects {

using namespace detail;

ToneTable GammaTable(double gamma)
{
    ToneTable t{};
    for (int i = 1; i < 256; ++i)
        t[i] = clampTrunc(255 * std::exp(std::log(i / 255.0) * gamma) + 0.5);
    return t;
}

ToneTable ContrastTable(int amount)
{
    ToneTable t{};
    for (int i = 0; i < 256; ++i) {
        const int64_t spread = std::abs(128 - i);
        t[i] = i < 127 ? clampByte(i - amount * spread / 256) : clampByte(i + spread * amount / 256);
    }
    return t;
}

ToneTable BrightnessTable(int amount)
{
    ToneTable t{};
    for (int i = 0; i < 256; ++i)
        t[i] = clampByte(int64_t(i) + amount);
    return t;
}

namespace {

ToneTable identityTable()
{
    ToneTable t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t(i);
    return t;
}

// Runs every pixel through one table per channel (red, green, blue).
void applyTables(const QImage& src, QImage& dst, const ToneTable& red, const ToneTable& green,
                 const ToneTable& blue, const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const uint8_t* s = in.constScanLine(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < in.width(); ++x, s += 3, d += 3) {
            d[kBlue] = blue[s[kBlue]];
            d[kGreen] = green[s[kGreen]];
            d[kRed] = red[s[kRed]];
        }
    }
    dst = std::move(out);
}

void applyTable(const QImage& src, QImage& dst, const ToneTable& table, ChannelFlags flags,
                const Progress& progress)
{
    const ToneTable same = identityTable();
    applyTables(src, dst, flags.first ? table : same, flags.second ? table : same, flags.third ? table : same,
                progress);
}

// Calls pixel(r, g, b) -> Rgb for every pixel.
template <class PixelFn>
void mapPixels(const QImage& src, QImage& dst, const Progress& progress, PixelFn pixel)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const uint8_t* s = in.constScanLine(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < in.width(); ++x, s += 3, d += 3) {
            const Rgb c = pixel(Rgb{s[kRed], s[kGreen], s[kBlue]});
            d[kRed] = uint8_t(c.r);
            d[kGreen] = uint8_t(c.g);
            d[kBlue] = uint8_t(c.b);
        }
    }
    dst = std::move(out);
}

} // namespace

void ApplyGamma(const QImage& src, QImage& dst, double gamma, const Progress& progress)
{
    applyTable(src, dst, GammaTable(gamma), {}, progress);
}

void Contrast(const QImage& src, QImage& dst, int amount, ChannelFlags flags, const Progress& progress)
{
    applyTable(src, dst, ContrastTable(amount), flags, progress);
}

void Brightness(const QImage& src, QImage& dst, int amount, ChannelFlags flags, const Progress& progress)
{
    applyTable(src, dst, BrightnessTable(amount), flags, progress);
}

void AdjustRGB(const QImage& src, QImage& dst, int red, int green, int blue, const Progress& progress)
{
    applyTables(src, dst, BrightnessTable(red), BrightnessTable(green), BrightnessTable(blue), progress);
}

void AdjustHSL(const QImage& src, QImage& dst, int hue, int saturation, int lightness, const Progress& progress)
{
    mapPixels(src, dst, progress, [&](Rgb c) {
        Hsl hsl = RGBToHSL(c);
        int64_t h = int64_t(hsl.h) + hue;
        if (h > 359)
            h -= 359;
        else if (h < 0)
            h += 359;
        hsl.h = int(h % 359); // only offsets beyond one turn still need this
        hsl.s = clampByte(int64_t(hsl.s) + saturation);
        hsl.l = clampByte(int64_t(hsl.l) + lightness);
        return HSLToRGB(hsl);
    });
}

void Solarize(const QImage& src, QImage& dst, int threshold, const Progress& progress)
{
    ToneTable t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t(i >= threshold ? 255 - i : i);
    applyTable(src, dst, t, {}, progress);
}

void Invert(const QImage& src, QImage& dst, const Progress& progress) { Solarize(src, dst, 0, progress); }

void GreyScale(const QImage& src, QImage& dst, const Progress& progress)
{
    mapPixels(src, dst, progress, [](Rgb c) {
        const int l = lightness(c.r, c.g, c.b);
        return Rgb{l, l, l};
    });
}

} // namespace effects
