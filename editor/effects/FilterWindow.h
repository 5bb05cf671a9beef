#pragma once
// The window machinery shared by the linear and rank filters: edge mirroring
// and one convolution core for every linear filter.

#include "Filters.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <span>
#include <vector>

namespace effects::detail {

// Index of the sample at offset d from p (0 <= p < n) in a window of radius r:
// offsets reaching towards a near edge are mirrored (p - d). An image smaller
// than the window could still send that outside; the index is then limited to
// the image.
inline int mirrorIndex(int p, int d, int n, int r)
{
    const bool mirror = (p <= r && d < 0) || (p >= n - 1 - r && d > 0);
    return std::clamp(mirror ? p - d : p + d, 0, n - 1);
}

struct Tap {
    int dy, dx;
    qint32 k;
};

// The non-zero weights of the centre (2r + 1)^2 part of the matrix, dy outer, dx inner.
std::vector<Tap> kernelTaps(const TEffectMatrix& matrix, int radius);

// Three interleaved channels of Sample per pixel.
template <class Sample>
struct Plane3 {
    const Sample* data;
    qsizetype stride; // in samples
    int width, height;
    const Sample* row(int y) const { return data + y * stride; }
};

// For every row y (top to bottom) computes, per pixel and channel, the sum of
// k x sample over the mirrored window in accumulators of type Acc and calls
// onRow(y, sums) with 3 x width sums.
template <class Acc, class Sample, class RowFn>
void convolveRowsWith(const Plane3<Sample>& p, int r, std::span<const Tap> taps, RowFn&& onRow)
{
    const int w = p.width, h = p.height;
    std::vector<Acc> sums(size_t(w) * 3);
    std::vector<const Sample*> rows(taps.size());
    // Columns r + 1 .. w - 2 - r see no mirroring; the rest go one by one.
    const int interiorBegin = std::min(r + 1, w), interiorEnd = std::max(w - 1 - r, interiorBegin);
    constexpr int chunk = 512; // pixels per chunk: the sums stay in the first-level cache
    for (int y = 0; y < h; ++y) {
        for (size_t t = 0; t < taps.size(); ++t)
            rows[t] = p.row(mirrorIndex(y, taps[t].dy, h, r));
        Acc* acc = sums.data();
        for (int x0 = interiorBegin; x0 < interiorEnd; x0 += chunk) {
            const int begin = 3 * x0, end = 3 * std::min(x0 + chunk, interiorEnd);
            std::fill(acc + begin, acc + end, Acc(0));
            for (size_t t = 0; t < taps.size(); ++t) {
                const Sample* s = rows[t] + 3 * taps[t].dx;
                const Acc k = Acc(taps[t].k);
                for (int i = begin; i < end; ++i)
                    acc[i] = Acc(acc[i] + k * Acc(s[i]));
            }
        }
        const auto border = [&](int x) {
            Acc a[3] = {0, 0, 0};
            for (size_t t = 0; t < taps.size(); ++t) {
                const Sample* s = rows[t] + 3 * mirrorIndex(x, taps[t].dx, w, r);
                for (int c = 0; c < 3; ++c)
                    a[c] = Acc(a[c] + Acc(taps[t].k) * Acc(s[c]));
            }
            std::copy(a, a + 3, acc + 3 * x);
        };
        for (int x = 0; x < interiorBegin; ++x)
            border(x);
        for (int x = interiorEnd; x < w; ++x)
            border(x);
        onRow(y, static_cast<const Acc*>(acc));
    }
}

// Picks the narrowest accumulator that cannot overflow for samples 0..maxSample;
// onRow receives a pointer to int16_t, int32_t or int64_t sums.
template <class Sample, class RowFn>
void convolveRows(const Plane3<Sample>& p, int r, std::span<const Tap> taps, int maxSample, RowFn&& onRow)
{
    int64_t bound = 0;
    for (const Tap& t : taps)
        bound += std::abs(int64_t(t.k)) * maxSample;
    if (bound <= std::numeric_limits<int16_t>::max())
        convolveRowsWith<int16_t>(p, r, taps, onRow);
    else if (bound <= std::numeric_limits<int32_t>::max())
        convolveRowsWith<int32_t>(p, r, taps, onRow);
    else
        convolveRowsWith<int64_t>(p, r, taps, onRow);
}

// The rank ("static") filter with window 3, 5 or 7.
void RankFilter(const QImage& src, QImage& dst, const TGraphicFilter& filter, int window, ChannelFlags flags,
                const Progress& progress);

} // namespace effects::detail
