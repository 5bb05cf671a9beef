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

// Weights are fixed point with this many fraction bits; each destination's
// weights sum to exactly 1, so flat areas keep their value and the sums stay
// in integers that the vectoriser handles.
constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// For each destination index i, the weights of source indexes first[i] ..
// first[i] + taps - 1 (zero-padded to the same count for every i). Indexes
// outside the source are mirrored into it (sourceIndex).
struct Contributions {
    int sourceSize = 0;
    int taps = 0;
    std::vector<int> first;
    std::vector<int16_t> weight; // taps per destination index
    int sourceIndex(int j) const
    {
        const int k = j < 0 ? -j : j >= sourceSize ? 2 * sourceSize - 1 - j : j;
        return std::clamp(k, 0, sourceSize - 1); // a source smaller than the window
    }
};

// Scales the real weights to fixed point summing to kWeightOne; the rounding
// remainder goes to the largest weight.
void quantise(const std::vector<float>& real, int16_t* out)
{
    float total = 0;
    for (float w : real)
        total += w;
    if (total == 0)
        return;
    int sum = 0;
    size_t largest = 0;
    for (size_t k = 0; k < real.size(); ++k) {
        out[k] = int16_t(std::clamp(int(std::lrint(double(real[k]) / total * kWeightOne)), -32768, 32767));
        sum += out[k];
        if (std::abs(out[k]) > std::abs(out[largest]))
            largest = k;
    }
    out[largest] = int16_t(std::clamp(out[largest] + (kWeightOne - sum), -32768, 32767));
}

Contributions contributions(int sourceSize, int destSize, double support, ResampleKernel kernel)
{
    // A one-pixel source or destination would make the scale 0 / 0 or 0.
    const double scale = sourceSize == 1 || destSize == 1 ? double(destSize) / sourceSize
                                                          : double(destSize - 1) / (sourceSize - 1);
    const bool shrink = scale < 1;
    const double window = shrink ? support / scale : support;
    const double fscale = shrink ? 1 / scale : 1;
    Contributions c;
    c.sourceSize = sourceSize;
    c.first.resize(size_t(destSize));
    std::vector<int> last(static_cast<size_t>(destSize), 0);
    for (int i = 0; i < destSize; ++i) {
        const double centre = i / scale;
        c.first[i] = int(std::floor(centre - window));
        last[i] = int(std::ceil(centre + window));
        c.taps = std::max(c.taps, last[i] - c.first[i] + 1);
    }
    c.taps = (c.taps + 7) / 8 * 8; // whole vectors for the dot products
    c.weight.assign(size_t(destSize) * c.taps, 0);
    std::vector<float> real;
    for (int i = 0; i < destSize; ++i) {
        const double centre = i / scale;
        real.clear();
        for (int j = c.first[i]; j <= last[i]; ++j)
            real.push_back(kernel(float((centre - j) / fscale)) / float(fscale));
        // Sampled kernels do not sum to 1; unscaled they would brighten or
        // darken flat areas by some per cent.
        quantise(real, c.weight.data() + size_t(i) * c.taps);
    }
    return c;
}

// clamp-trunc of a fixed-point sum.
inline uint8_t fromFixed(int32_t sum)
{
    const int32_t v = sum >> kWeightBits;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

template <int Taps>
inline int32_t dot(const int16_t* w, const int16_t* s, int taps)
{
    int32_t sum = 0;
    const int n = Taps ? Taps : taps;
    for (int t = 0; t < n; ++t)
        sum += int32_t(w[t]) * int32_t(s[t]);
    return sum;
}

// Rows are split into three 16-bit channel planes, padded with the mirrored
// samples, so every destination pixel is three dot products over contiguous
// samples.
template <int Taps>
void horizontalRows(const QImage& in, QImage& work, const Contributions& c, const RowProgress& report)
{
    const int w = in.width(), outW = work.width();
    int lowest = 0, highest = w;
    for (int f : c.first) {
        lowest = std::min(lowest, f);
        highest = std::max(highest, f + c.taps);
    }
    const int pad = -lowest, span = highest - lowest;
    std::vector<int16_t> planes(size_t(span) * 3);
    int16_t* plane[3] = {planes.data(), planes.data() + span, planes.data() + 2 * span};
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const uint8_t* s = in.constScanLine(y);
        for (int j = 0; j < span; ++j) {
            const uint8_t* p = s + 3 * c.sourceIndex(j - pad);
            plane[0][j] = p[0];
            plane[1][j] = p[1];
            plane[2][j] = p[2];
        }
        uint8_t* d = work.scanLine(y);
        for (int i = 0; i < outW; ++i, d += 3) {
            const int16_t* wt = c.weight.data() + size_t(i) * c.taps;
            const int at = c.first[i] + pad;
            for (int ch = 0; ch < 3; ++ch)
                d[ch] = fromFixed(dot<Taps>(wt, plane[ch] + at, c.taps));
        }
    }
}

void horizontalPass(const QImage& in, QImage& work, const Contributions& c, const RowProgress& report)
{
    switch (c.taps) {
    case 8: horizontalRows<8>(in, work, c, report); break;
    case 16: horizontalRows<16>(in, work, c, report); break;
    case 24: horizontalRows<24>(in, work, c, report); break;
    default: horizontalRows<0>(in, work, c, report); break;
    }
}

void verticalPass(const QImage& work, QImage& out, const Contributions& c, const RowProgress& report)
{
    const int n = out.width() * 3;
    std::vector<int32_t> sums(n);
    int32_t* acc = sums.data();
    for (int y = 0; y < out.height(); ++y) {
        report(y);
        std::fill(sums.begin(), sums.end(), 0);
        const int16_t* wt = c.weight.data() + size_t(y) * c.taps;
        for (int t = 0; t < c.taps; ++t) {
            if (wt[t] == 0)
                continue;
            const uint8_t* s = work.constScanLine(c.sourceIndex(c.first[y] + t));
            const int16_t w = wt[t];
            for (int b = 0; b < n; ++b)
                acc[b] += int32_t(w) * int16_t(s[b]);
        }
        uint8_t* d = out.scanLine(y);
        for (int b = 0; b < n; ++b)
            d[b] = fromFixed(acc[b]);
    }
}

} // namespace

void Resample(const QImage& src, QImage& dst, int newWidth, int newHeight, const Progress& progress, double support,
              ResampleKernel kernel)
{
    const QSize size(std::max(newWidth, 0), std::max(newHeight, 0));
    const QImage in = as24(src);
    QImage out = target24(dst, size);
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
