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
#include <type_traits>
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

// acc[i] += k * s[i] for i < n; the caller makes sure the sums fit 16 bits.
void MultiplyAdd16(int16_t* acc, const uint8_t* s, int16_t k, int n);

// acc[i] += k * s[i] in 16 bits for 8-bit or 16-bit samples.
template <class Sample>
inline void multiplyAdd16(int16_t* acc, const Sample* s, int16_t k, int n)
{
    if constexpr (std::is_same_v<Sample, uint8_t>) {
        MultiplyAdd16(acc, s, k, n);
    } else {
        for (int i = 0; i < n; ++i)
            acc[i] = int16_t(acc[i] + k * int16_t(s[i]));
    }
}

// Taps [begin, end) whose partial sums fit 16 bits (samples 0..maxSample), so
// the vectoriser can run them eight lanes wide; a tap too heavy for that
// stands alone and is summed in the wide accumulator.
struct TapGroup {
    size_t begin, end;
    bool narrow;
};

inline std::vector<TapGroup> narrowGroups(std::span<const Tap> taps, int maxSample)
{
    std::vector<TapGroup> groups;
    int64_t bound = 0;
    for (size_t t = 0; t < taps.size(); ++t) {
        const int64_t weight = std::abs(int64_t(taps[t].k)) * maxSample;
        if (weight > std::numeric_limits<int16_t>::max()) {
            groups.push_back({t, t + 1, false});
            bound = 0;
            continue;
        }
        if (groups.empty() || !groups.back().narrow || bound + weight > std::numeric_limits<int16_t>::max()) {
            groups.push_back({t, t, true});
            bound = 0;
        }
        groups.back().end = t + 1;
        bound += weight;
    }
    return groups;
}

// For every row y (top to bottom) computes, per pixel and channel, the sum of
// k x sample over the mirrored window in accumulators of type Acc and calls
// onRow(y, sums) with 3 x width sums.
template <class Acc, class Sample, class RowFn>
void convolveRowsWith(const Plane3<Sample>& p, int r, std::span<const Tap> taps, int maxSample, RowFn&& onRow)
{
    const int w = p.width, h = p.height;
    const std::vector<TapGroup> groups = narrowGroups(taps, maxSample);
    std::vector<Acc> sums(size_t(w) * 3);
    std::vector<const Sample*> rows(taps.size());
    // Columns r + 1 .. w - 2 - r see no mirroring; the rest go one by one.
    const int interiorBegin = std::min(r + 1, w), interiorEnd = std::max(w - 1 - r, interiorBegin);
    constexpr int chunk = 512; // pixels per chunk: the sums stay in the first-level cache
    std::vector<int16_t> partial(size_t(chunk) * 3);
    for (int y = 0; y < h; ++y) {
        for (size_t t = 0; t < taps.size(); ++t)
            rows[t] = p.row(mirrorIndex(y, taps[t].dy, h, r));
        Acc* acc = sums.data();
        for (int x0 = interiorBegin; x0 < interiorEnd; x0 += chunk) {
            const int begin = 3 * x0, n = 3 * (std::min(x0 + chunk, interiorEnd) - x0);
            Acc* a = acc + begin;
            std::fill(a, a + n, Acc(0));
            if (std::is_same_v<Acc, int16_t> && groups.size() == 1) {
                // The whole kernel fits 16 bits: sum straight into the result.
                for (size_t t = 0; t < taps.size(); ++t)
                    multiplyAdd16(reinterpret_cast<int16_t*>(a), rows[t] + 3 * taps[t].dx + begin,
                                  int16_t(taps[t].k), n);
                continue;
            }
            for (const TapGroup& g : groups) {
                if (!g.narrow) {
                    const Sample* s = rows[g.begin] + 3 * taps[g.begin].dx + begin;
                    const Acc k = Acc(taps[g.begin].k);
                    for (int i = 0; i < n; ++i)
                        a[i] = Acc(a[i] + k * Acc(s[i]));
                    continue;
                }
                int16_t* part = partial.data();
                std::fill(part, part + n, int16_t(0));
                for (size_t t = g.begin; t < g.end; ++t)
                    multiplyAdd16(part, rows[t] + 3 * taps[t].dx + begin, int16_t(taps[t].k), n);
                for (int i = 0; i < n; ++i)
                    a[i] = Acc(a[i] + part[i]);
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
        convolveRowsWith<int16_t>(p, r, taps, maxSample, onRow);
    else if (bound <= std::numeric_limits<int32_t>::max())
        convolveRowsWith<int32_t>(p, r, taps, maxSample, onRow);
    else
        convolveRowsWith<int64_t>(p, r, taps, maxSample, onRow);
}

// The rank ("static") filter with window 3, 5 or 7.
void RankFilter(const QImage& src, QImage& dst, const TGraphicFilter& filter, int window, ChannelFlags flags,
                const Progress& progress);

} // namespace effects::detail
