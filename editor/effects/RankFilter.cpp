// Rank ("static") filters: each pixel takes the sample of its window picked by
// the lightness rule of the filter's name.

#include "FilterWindow.h"
#include "PixelAccess.h"

#include <cstring>

namespace effects::detail {

namespace {

enum class Rule { Minimum, Maximum, Median };

// Per-pixel state while the window is scanned: the pick (a window position)
// and the rule's running values.
struct ScanRow {
    std::vector<uint8_t> pick, cur, lo, hi;
    explicit ScanRow(int w) : pick(w), cur(w), lo(w), hi(w) {}
};

// Branch-free byte selection (mask 0xFF or 0): written this way the loops over
// a row vectorise.
inline uint8_t mask(bool condition) { return uint8_t(-uint8_t(condition)); }
inline uint8_t select(uint8_t m, uint8_t a, uint8_t b) { return uint8_t((a & m) | (b & ~m)); }

template <Rule R>
inline void step(uint8_t f, uint8_t t, uint8_t& pick, uint8_t& cur, uint8_t& lo, uint8_t& hi)
{
    uint8_t take;
    if constexpr (R == Rule::Minimum) {
        take = mask(f < cur);
    } else if constexpr (R == Rule::Maximum) {
        take = mask(f > cur);
    } else {
        lo = select(mask((lo < f) & (f < cur)), f, lo);
        hi = select(mask((cur < f) & (f < hi)), f, hi);
        take = mask((lo <= f) & (f <= hi));
    }
    cur = select(take, f, cur);
    pick = select(take, t, pick);
}

struct Offset {
    int dy, dx;
};

template <Rule R>
void rankFilter(const QImage& in, QImage& out, int r, ChannelFlags flags, const RowProgress& report)
{
    const int w = in.width(), h = in.height();
    std::vector<uint8_t> light(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = in.constScanLine(y);
        uint8_t* l = light.data() + size_t(y) * w;
        for (int x = 0; x < w; ++x, s += 3)
            l[x] = uint8_t(lightness(s[kRed], s[kGreen], s[kBlue]));
    }
    std::vector<Offset> window;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            window.push_back({dy, dx});
    const uint8_t centre = uint8_t(window.size() / 2);
    const int interiorBegin = std::min(r + 1, w), interiorEnd = std::max(w - 1 - r, interiorBegin);
    const bool all = flags.first && flags.second && flags.third;
    ScanRow row(w);
    std::vector<const uint8_t*> sourceRows(window.size());
    uint8_t* pick = row.pick.data();
    uint8_t* cur = row.cur.data();
    uint8_t* lo = row.lo.data();
    uint8_t* hi = row.hi.data();
    for (int y = 0; y < h; ++y) {
        report(y);
        const uint8_t* centreRow = light.data() + size_t(y) * w;
        std::fill(row.pick.begin(), row.pick.end(), centre);
        std::fill(row.lo.begin(), row.lo.end(), uint8_t(0));
        std::fill(row.hi.begin(), row.hi.end(), uint8_t(255));
        if constexpr (R == Rule::Minimum)
            std::fill(row.cur.begin(), row.cur.end(), uint8_t(255));
        else if constexpr (R == Rule::Maximum)
            std::fill(row.cur.begin(), row.cur.end(), uint8_t(0));
        else
            std::copy(centreRow, centreRow + w, row.cur.begin());
        for (size_t t = 0; t < window.size(); ++t) {
            const uint8_t* l = light.data() + size_t(mirrorIndex(y, window[t].dy, h, r)) * w;
            const uint8_t tap = uint8_t(t);
            const uint8_t* shifted = l + window[t].dx;
            for (int x = interiorBegin; x < interiorEnd; ++x)
                step<R>(shifted[x], tap, pick[x], cur[x], lo[x], hi[x]);
            const auto border = [&](int x) {
                step<R>(l[mirrorIndex(x, window[t].dx, w, r)], tap, pick[x], cur[x], lo[x], hi[x]);
            };
            for (int x = 0; x < interiorBegin; ++x)
                border(x);
            for (int x = interiorEnd; x < w; ++x)
                border(x);
        }
        for (size_t t = 0; t < window.size(); ++t)
            sourceRows[t] = in.constScanLine(mirrorIndex(y, window[t].dy, h, r));
        const uint8_t* s = in.constScanLine(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < w; ++x, s += 3, d += 3) {
            const uint8_t t = pick[x];
            const uint8_t* p = sourceRows[t] + 3 * mirrorIndex(x, window[t].dx, w, r);
            if (all) {
                std::memcpy(d, p, 3);
                continue;
            }
            for (int c = 0; c < 3; ++c) {
                const int b = kRed - c; // flags run red, green, blue
                d[b] = flags[c] ? p[b] : s[b];
            }
        }
    }
}

} // namespace

void RankFilter(const QImage& src, QImage& dst, const TGraphicFilter& filter, int window, ChannelFlags flags,
                const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    const int r = window / 2;
    if (filter.FilterName == QLatin1String("Minimum (Static)"))
        rankFilter<Rule::Minimum>(in, out, r, flags, report);
    else if (filter.FilterName == QLatin1String("Maximum (Static)"))
        rankFilter<Rule::Maximum>(in, out, r, flags, report);
    else
        rankFilter<Rule::Median>(in, out, r, flags, report);
    dst = std::move(out);
}

} // namespace effects::detail
