#pragma once
// The window machinery shared by the linear and rank filters: edge mirroring
// and the convolution cores of the linear filters (two-dimensional, and
// row-then-column for kernels of rank one), which give the same sums.

#include "Filters.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
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

// acc[i] += k * s[i] for the pairs of types the separable passes use most;
// the caller makes sure the sums fit the accumulator.
void MultiplyAdd(int16_t* acc, const int16_t* s, int16_t k, int n);
void MultiplyAdd(int32_t* acc, const uint8_t* s, int32_t k, int n);
void MultiplyAdd(int32_t* acc, const int32_t* s, int32_t k, int n);

template <class Acc, class Sample>
inline void multiplyAdd(Acc* acc, const Sample* s, Acc k, int n)
{
    if constexpr (std::is_same_v<Acc, int16_t> && std::is_same_v<Sample, uint8_t>) {
        MultiplyAdd16(acc, s, k, n);
    } else if constexpr (requires { MultiplyAdd(acc, s, k, n); } && !std::is_same_v<Acc, int64_t>) {
        MultiplyAdd(acc, s, k, n);
    } else {
        for (int i = 0; i < n; ++i)
            acc[i] = Acc(acc[i] + k * Acc(s[i]));
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

// A kernel of rank one as column weights times row weights, both indexed by
// offset + radius: weight(dy, dx) = column[dy + r] * row[dx + r].
struct SeparableKernel {
    std::vector<int64_t> column, row;
};

// The integer factors of the taps' kernel when it has rank one, else nothing.
std::optional<SeparableKernel> separate(std::span<const Tap> taps, int radius);

// The same sums as convolveRowsWith for a rank-one kernel: a row pass over each
// source row, then a column pass over 2r + 1 of those. Mirroring acts on each
// axis on its own, so the integer result is the same sum regrouped. Row-pass
// sums are bounded by the full kernel's bound, so Acc holds both passes.
template <class Acc, class Sample, class RowFn>
void convolveSeparableWith(const Plane3<Sample>& p, int r, const SeparableKernel& kernel, RowFn&& onRow)
{
    const int w = p.width, h = p.height, n = 3 * w, window = 2 * r + 1;
    std::vector<std::pair<int, Acc>> rowTaps, columnTaps; // (offset, weight), non-zero only
    for (int d = -r; d <= r; ++d) {
        if (const int64_t k = kernel.row[size_t(d + r)])
            rowTaps.push_back({d, Acc(k)});
        if (const int64_t k = kernel.column[size_t(d + r)])
            columnTaps.push_back({d, Acc(k)});
    }
    // Row-pass results of the source rows y - r .. y + r: every mirrored row
    // index stays in that span, so slot row % window never collides.
    std::vector<Acc> rowSums(size_t(window) * n);
    std::vector<int> held(size_t(window), -1);
    const int interiorBegin = std::min(r + 1, w), interiorEnd = std::max(w - 1 - r, interiorBegin);
    const auto rowPass = [&](int sy) -> const Acc* {
        Acc* out = rowSums.data() + size_t(sy % window) * n;
        if (held[size_t(sy % window)] == sy)
            return out;
        held[size_t(sy % window)] = sy;
        const Sample* s = p.row(sy);
        std::fill(out, out + n, Acc(0));
        const int begin = 3 * interiorBegin, end = 3 * interiorEnd;
        for (const auto& [dx, k] : rowTaps)
            multiplyAdd(out + begin, s + 3 * dx + begin, k, end - begin);
        const auto border = [&](int x) {
            for (const auto& [dx, k] : rowTaps) {
                const Sample* px = s + 3 * mirrorIndex(x, dx, w, r);
                for (int c = 0; c < 3; ++c)
                    out[3 * x + c] = Acc(out[3 * x + c] + k * Acc(px[c]));
            }
        };
        for (int x = 0; x < interiorBegin; ++x)
            border(x);
        for (int x = interiorEnd; x < w; ++x)
            border(x);
        return out;
    };
    std::vector<Acc> sums(static_cast<size_t>(n));
    std::vector<const Acc*> rows(columnTaps.size());
    for (int y = 0; y < h; ++y) {
        for (size_t t = 0; t < columnTaps.size(); ++t)
            rows[t] = rowPass(mirrorIndex(y, columnTaps[t].first, h, r));
        Acc* acc = sums.data();
        std::fill(acc, acc + n, Acc(0));
        for (size_t t = 0; t < columnTaps.size(); ++t)
            multiplyAdd(acc, rows[t], columnTaps[t].second, n);
        onRow(y, static_cast<const Acc*>(acc));
    }
}

// Picks the narrowest accumulator that cannot overflow for samples 0..maxSample
// and the separable core where the kernel allows; onRow receives a pointer to
// int16_t, int32_t or int64_t sums.
template <class Sample, class RowFn>
void convolveRows(const Plane3<Sample>& p, int r, std::span<const Tap> taps, int maxSample, RowFn&& onRow)
{
    int64_t bound = 0;
    for (const Tap& t : taps)
        bound += std::abs(int64_t(t.k)) * maxSample;
    const std::optional<SeparableKernel> kernel = taps.size() > 1 ? separate(taps, r) : std::nullopt;
    const auto run = [&]<class Acc>(Acc) {
        if (kernel)
            convolveSeparableWith<Acc>(p, r, *kernel, onRow);
        else
            convolveRowsWith<Acc>(p, r, taps, maxSample, onRow);
    };
    if (bound <= std::numeric_limits<int16_t>::max())
        run(int16_t(0));
    else if (bound <= std::numeric_limits<int32_t>::max())
        run(int32_t(0));
    else
        run(int64_t(0));
}

// clamp-trunc(bias + sum / divisor) computed exactly; divisor is not 0.
uint8_t finishExact(int64_t sum, int64_t bias, int64_t divisor);

// Division by a divisor below 256 as clamp, 32-bit multiply and shift.
struct Multiply32Steps {
    int32_t offset, sign, limit;
    uint32_t multiplier;
    int shift;

    template <class Acc>
    void run(const Acc* sums, uint8_t* out, int n) const
    {
        for (int i = 0; i < n; ++i) {
            const int32_t v = sign * (int32_t(sums[i]) + offset);
            out[i] = uint8_t((uint32_t(v < 0 ? 0 : v > limit ? limit : v) * multiplier) >> shift);
        }
    }
};

// Multiply32Steps::run built for AVX2 as well.
void FinishMultiply32(const int16_t* sums, uint8_t* out, int n, const Multiply32Steps& steps);
void FinishMultiply32(const int32_t* sums, uint8_t* out, int n, const Multiply32Steps& steps);

// Turns rows of channel sums in minSum..maxSum into bytes, equal to
// finishExact: a shift for power-of-two divisors, a multiply and shift for
// other divisors below 2^22 (in 32 bits below 256), else exact division.
class ByteFinisher {
public:
    ByteFinisher(int64_t minSum, int64_t maxSum, qint32 bias, qint32 divisor);

    template <class Acc>
    void row(const Acc* sums, uint8_t* out, int n) const
    {
        if (mode_ == Shift) {
            const int s = shift_;
            const int32_t offset = int32_t(offset_);
            for (int i = 0; i < n; ++i) {
                const int32_t v = (int32_t(sums[i]) + offset) >> s;
                out[i] = uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        } else if (mode_ == Multiply32) {
            const Multiply32Steps steps{int32_t(offset_), int32_t(sign_), int32_t(limit_), multiplier_, shift_};
            if constexpr (std::is_same_v<Acc, int64_t>)
                steps.run(sums, out, n);
            else
                FinishMultiply32(sums, out, n, steps);
        } else if (mode_ == Multiply) {
            const int64_t offset = offset_, sign = sign_, limit = limit_;
            const uint64_t m = multiplier_;
            const int s = shift_;
            for (int i = 0; i < n; ++i) {
                const int64_t v = std::clamp(sign * (int64_t(sums[i]) + offset), int64_t(0), limit);
                out[i] = uint8_t((uint64_t(uint32_t(v)) * m) >> s);
            }
        } else {
            for (int i = 0; i < n; ++i)
                out[i] = finishExact(sums[i], bias_, divisor_);
        }
    }

private:
    enum Mode { Exact, Shift, Multiply32, Multiply };
    Mode mode_ = Exact;
    qint32 bias_, divisor_;
    int shift_ = 0;
    int64_t offset_ = 0, sign_ = 1, limit_ = 0;
    uint32_t multiplier_ = 0;
};

// The rank ("static") filter with window 3, 5 or 7.
void RankFilter(const QImage& src, QImage& dst, const TGraphicFilter& filter, int window, ChannelFlags flags,
                const Progress& progress);

} // namespace effects::detail
