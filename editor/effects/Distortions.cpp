#include "Distortions.h"

#include "EffectRandom.h"
#include "PixelAccess.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace effects {

using namespace detail;

namespace {

inline void copyPixel(const QImage& in, int sx, int sy, uint8_t* d)
{
    std::memcpy(d, in.constScanLine(sy) + 3 * sx, 3);
}

// Fills every destination pixel from source(x, y) -> (column, row).
template <class SourceFn>
void remap(const QImage& src, QImage& dst, const Progress& progress, SourceFn source)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < in.width(); ++x, d += 3) {
            const auto [sx, sy] = source(x, y);
            copyPixel(in, sx, sy, d);
        }
    }
    dst = std::move(out);
}

struct Point {
    int x, y;
};

} // namespace

void Spray(const QImage& src, QImage& dst, int range, const Progress& progress)
{
    const QImage in = as24(src);
    prepare24(dst, in.size());
    const int w = in.width(), h = in.height();
    const RowProgress report(progress, h);
    for (int y = 0; y < h; ++y) {
        report(y);
        uint8_t* d = dst.scanLine(y);
        for (int x = 0; x < w; ++x, d += 3) {
            const int a = Random(range);
            const int twice = int(std::min<int64_t>(2 * int64_t(a), std::numeric_limits<int>::max()));
            const int b = Random(twice);
            const int c = Random(twice);
            const int64_t sx = int64_t(x) + a - b, sy = int64_t(y) + a - c;
            if (sx >= 0 && sx <= w - 2 && sy >= 0 && sy <= h - 2)
                copyPixel(in, int(sx), int(sy), d);
        }
    }
}

void Sand(const QImage& src, QImage& dst, int amount, bool sameForAllChannels, const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    const auto draw = [amount] { return Random(amount) - amount / 2; };
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const uint8_t* s = in.constScanLine(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < in.width(); ++x, s += 3, d += 3) {
            int delta = draw();
            d[kRed] = clampByte(s[kRed] + delta);
            if (!sameForAllChannels)
                delta = draw();
            d[kBlue] = clampByte(s[kBlue] + delta);
            if (!sameForAllChannels)
                delta = draw();
            d[kGreen] = clampByte(s[kGreen] + delta);
        }
    }
    dst = std::move(out);
}

void SineWave(const QImage& src, QImage& dst, int vAmp, int vDelta, int hAmp, int hDelta, int vStart, int hStart,
              bool perPixel, const Progress& progress)
{
    const double vd = vDelta == 0 ? 1 : vDelta;
    const double hd = hDelta == 0 ? 1 : hDelta;
    const int w = src.width(), h = src.height();
    int hp = hStart;
    const auto advanceHorizontal = [&] { hp = hp / hd >= 360 ? 0 : hp + 1; };
    int vp = 0;
    remap(src, dst, progress, [&](int x, int y) {
        if (x == 0) {
            vp = vStart;
            if (!perPixel)
                advanceHorizontal();
        }
        const double t = vp / vd;
        int64_t rowShift = rnd(std::sin(t) * vAmp);
        vp = t >= 360 ? 0 : vp + 1;
        if (perPixel)
            advanceHorizontal();
        if (y + rowShift < 0 || y + rowShift > h - 1)
            rowShift = 0;
        int64_t columnShift = rnd(std::sin(hp / hd) * hAmp);
        if (x + columnShift < 0 || x + columnShift > w - 1)
            columnShift = 0;
        return Point{int(x + columnShift), int(y + rowShift)};
    });
}

void Mosaic(const QImage& src, QImage& dst, int blockWidth, int blockHeight, const Progress& progress)
{
    if (blockWidth <= 0 || blockHeight <= 0)
        return;
    const int w = src.width(), h = src.height();
    const int firstColumn = std::min(blockWidth / 2 + blockWidth % 2, w - 1);
    int sy = std::min(blockHeight / 2 + blockHeight % 2, h - 1);
    int sx = firstColumn;
    remap(src, dst, progress, [&](int x, int y) {
        if (x == 0) {
            if (y > 0 && y % blockHeight == 0)
                sy = int(std::min<int64_t>(int64_t(sy) + blockHeight, h - 1));
            sx = firstColumn;
        } else if (x % blockWidth == 0) {
            sx = int(std::min<int64_t>(int64_t(sx) + blockWidth, w - 1));
        }
        return Point{sx, sy};
    });
}

void Twirl(const QImage& src, QImage& dst, int amount, const Progress& progress)
{
    const int w = src.width(), h = src.height();
    const int cx = w / 2, cy = h / 2;
    const double a = amount == 0 ? 1 : amount;
    remap(src, dst, progress, [&](int x, int y) {
        const int dx = x - cx, dy = y - cy;
        const double m = std::sqrt(double(dx) * dx + double(dy) * dy);
        if (m == 0)
            return Point{cx, cy};
        const double theta = std::atan2(double(dx), double(dy)) - m / a + std::numbers::pi / 2;
        const auto limit = [](double v, int n) { return int(std::clamp(std::trunc(v), 0.0, double(n - 1))); };
        return Point{limit(m * std::cos(theta) + cx, w), limit(m * std::sin(theta) + cy, h)};
    });
}

void FishEye(const QImage& src, QImage& dst, double strength, const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const int w = in.width(), h = in.height();
    const int cx = w / 2, cy = h / 2;
    const double f = strength * w;
    const RowProgress report(progress, h);
    for (int y = 0; y < h; ++y) {
        report(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < w; ++x, d += 3) {
            const int dx = x - cx, dy = y - cy;
            const double dist = std::sqrt(double(dx) * dx + double(dy) * dy);
            // The centre shows itself (k / d is 0 / 0 there).
            int sx = cx, sy = cy;
            bool inside = true;
            if (dist != 0) {
                const double e = dist == f ? dist + 1 : dist;
                const double k = (f / 2) * (1 / (1 - e / f) - 1);
                inside = inRange(std::trunc(dx * k / e + cx), w, sx) && inRange(std::trunc(dy * k / e + cy), h, sy);
            }
            if (inside)
                copyPixel(in, sx, sy, d);
            else
                std::memset(d, 0, 3);
        }
    }
    dst = std::move(out);
}

} // namespace effects
