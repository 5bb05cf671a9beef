#include "Resample.h"

#include "PixelAccess.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace effects {

using namespace detail;

float BoxFilter(float x) { return x > -0.5f && x <= 0.5f ? 1.0f : 0.0f; }

float TriangleFilter(float x)
{
    const float a = std::fabs(x);
    return a < 1 ? 1 - a : 0;
}

float HermiteFilter(float x)
{
    const float a = std::fabs(x);
    return a < 1 ? (2 * a - 3) * x * x + 1 : 0;
}

float BellFilter(float x)
{
    const float a = std::fabs(x);
    if (a < 0.5f)
        return 0.75f - x * x;
    if (a < 1.5f)
        return 0.5f * (a - 1.5f) * (a - 1.5f);
    return 0;
}

float SplineFilter(float x)
{
    const float a = std::fabs(x);
    if (a < 1)
        return 0.5f * a * a * a - x * x + 2.0f / 3;
    if (a < 2)
        return (2 - a) * (2 - a) * (2 - a) / 6;
    return 0;
}

namespace {

float sinc(float x)
{
    if (x == 0)
        return 1;
    const float px = x * std::numbers::pi_v<float>;
    return std::sin(px) / px;
}

} // namespace

float Lanczos3Filter(float x) { return std::fabs(x) < 3 ? sinc(x) * sinc(x / 3) : 0; }

float MitchellFilter(float x)
{
    const float a = std::fabs(x);
    if (a < 1)
        return (7 * a * a * a - 12 * x * x + 16.0f / 3) / 6;
    if (a < 2)
        return (-(7.0f / 3) * a * a * a + 12 * x * x - 20 * a + 32.0f / 3) / 6;
    return 0;
}

namespace {

// For each destination index, the source indexes and weights that make it.
struct Contributions {
    std::vector<int> start; // first entry of destination i; start[n] is the end
    std::vector<int> index;
    std::vector<float> weight;
};

Contributions contributions(int sourceSize, int destSize, double support, ResampleKernel kernel)
{
    // A one-pixel source or destination would make the scale 0 / 0 or 0.
    const double scale = sourceSize == 1 || destSize == 1 ? double(destSize) / sourceSize
                                                          : double(destSize - 1) / (sourceSize - 1);
    const bool shrink = scale < 1;
    const double window = shrink ? support / scale : support;
    const double fscale = shrink ? 1 / scale : 1;
    Contributions c;
    c.start.reserve(destSize + 1);
    for (int i = 0; i < destSize; ++i) {
        const size_t begin = c.index.size();
        c.start.push_back(int(begin));
        const double centre = i / scale;
        const int first = int(std::floor(centre - window)), last = int(std::ceil(centre + window));
        for (int j = first; j <= last; ++j) {
            const float w = kernel(float((centre - j) / fscale)) / float(fscale);
            if (w == 0)
                continue;
            int k = j < 0 ? -j : j >= sourceSize ? 2 * sourceSize - 1 - j : j;
            k = std::clamp(k, 0, sourceSize - 1); // a source smaller than the window
            c.index.push_back(k);
            c.weight.push_back(w);
        }
        // Sampled kernels do not sum to 1 (a flat area would brighten or
        // darken by some per cent); normalised weights keep it flat.
        float total = 0;
        for (size_t k = begin; k < c.weight.size(); ++k)
            total += c.weight[k];
        if (total != 0)
            for (size_t k = begin; k < c.weight.size(); ++k)
                c.weight[k] /= total;
    }
    c.start.push_back(int(c.index.size()));
    return c;
}

void horizontalPass(const QImage& in, QImage& work, const Contributions& c, const RowProgress& report)
{
    const int outW = work.width();
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const uint8_t* s = in.constScanLine(y);
        uint8_t* d = work.scanLine(y);
        for (int i = 0; i < outW; ++i, d += 3) {
            float b = 0, g = 0, r = 0;
            for (int k = c.start[i]; k < c.start[i + 1]; ++k) {
                const uint8_t* p = s + 3 * c.index[k];
                const float w = c.weight[k];
                b += w * p[0];
                g += w * p[1];
                r += w * p[2];
            }
            d[0] = clampTrunc(b);
            d[1] = clampTrunc(g);
            d[2] = clampTrunc(r);
        }
    }
}

void verticalPass(const QImage& work, QImage& out, const Contributions& c, const RowProgress& report)
{
    const int n = out.width() * 3;
    std::vector<float> sums(n);
    for (int y = 0; y < out.height(); ++y) {
        report(y);
        std::fill(sums.begin(), sums.end(), 0.0f);
        float* acc = sums.data();
        for (int k = c.start[y]; k < c.start[y + 1]; ++k) {
            const uint8_t* s = work.constScanLine(c.index[k]);
            const float w = c.weight[k];
            for (int b = 0; b < n; ++b)
                acc[b] += w * s[b];
        }
        uint8_t* d = out.scanLine(y);
        for (int b = 0; b < n; ++b)
            d[b] = clampTrunc(acc[b]);
    }
}

} // namespace

void Resample(const QImage& src, QImage& dst, int newWidth, int newHeight, const Progress& progress, double support,
              ResampleKernel kernel)
{
    const QSize size(std::max(newWidth, 0), std::max(newHeight, 0));
    const QImage in = as24(src);
    QImage out = new24(size);
    if (in.width() < 1 || in.height() < 1 || size.isEmpty()) {
        out.fill(Qt::white);
        dst = std::move(out);
        return;
    }
    QImage work = new24(QSize(size.width(), in.height()));
    horizontalPass(in, work, contributions(in.width(), size.width(), support, kernel),
                   RowProgress(progress, in.height()));
    verticalPass(work, out, contributions(in.height(), size.height(), support, kernel),
                 RowProgress(progress, size.height()));
    dst = std::move(out);
}

} // namespace effects
