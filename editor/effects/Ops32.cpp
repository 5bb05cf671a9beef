#include "Ops32.h"

#include "Adjustments.h"
#include "PixelAccess.h"

namespace effects {

using namespace detail;

namespace {

// dst becomes a private 32-bit copy of src (src itself when they are one
// object); fn(pixel) -> pixel then runs over every pixel in place.
template <class PixelFn>
void mapPixels32(const QImage& src, QImage& dst, PixelFn fn)
{
    dst = as32(src);
    dst.detach();
    for (int y = 0; y < dst.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < dst.width(); ++x)
            p[x] = fn(p[x]);
    }
}

void applyTable32(const QImage& src, QImage& dst, const ToneTable& t)
{
    mapPixels32(src, dst, [&t](QRgb p) { return qRgb(t[qRed(p)], t[qGreen(p)], t[qBlue(p)]); });
}

} // namespace

void Gamma32(const QImage& src, QImage& dst, double gamma) { applyTable32(src, dst, GammaTable(gamma)); }

void Contrast32(const QImage& src, QImage& dst, int amount) { applyTable32(src, dst, ContrastTable(amount)); }

void Brightness32(const QImage& src, QImage& dst, int amount) { applyTable32(src, dst, BrightnessTable(amount)); }

void MaxContrast32(const QImage& src, QImage& dst)
{
    const QImage in = as32(src);
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    for (int y = 0; y < in.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(in.constScanLine(y));
        for (int x = 0; x < in.width(); ++x) {
            const int v[3] = {qRed(p[x]), qGreen(p[x]), qBlue(p[x])};
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], v[c]);
                hi[c] = std::max(hi[c], v[c]);
            }
        }
    }
    ToneTable t[3];
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            // One value only: nothing to stretch, the channel stays as it is.
            // trunc(255 / (max - min) * (v - min)) taken exactly, in integers.
            // Rounded reals land just below a whole level for 75 of the
            // (max - min, v - min) pairs: the maximum would then give 254
            // for 32 spans (25, 29, 50, ...) and a lens could never show white.
            if (hi[c] <= lo[c])
                t[c][v] = uint8_t(v);
            else
                t[c][v] = clampByte(255 * (v - lo[c]) / (hi[c] - lo[c]));
        }
    }
    mapPixels32(in, dst, [&t](QRgb p) { return qRgb(t[0][qRed(p)], t[1][qGreen(p)], t[2][qBlue(p)]); });
}

void GreyScale32(const QImage& src, QImage& dst)
{
    mapPixels32(src, dst, [](QRgb p) {
        const int l = lightness(qRed(p), qGreen(p), qBlue(p));
        return qRgb(l, l, l);
    });
}

void Invert32(const QImage& src, QImage& dst)
{
    mapPixels32(src, dst, [](QRgb p) { return ~p; });
}

} // namespace effects
