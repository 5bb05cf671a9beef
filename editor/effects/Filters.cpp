#include "Filters.h"

#include "ColorSpace.h"
#include "FilterWindow.h"
#include "PixelAccess.h"

#include <bit>
#include <cstring>
#include <initializer_list>
#include <numeric>
#include <optional>

namespace effects {

using namespace detail;

namespace {

// A linear filter whose (2r + 1)^2 weights, row by row, sit in the centre of the matrix.
TGraphicFilter linear(const char* name, TMatrixSize size, qint32 divisor, qint32 bias,
                      std::initializer_list<qint32> weights)
{
    TGraphicFilter f;
    f.FilterType = ftLinear;
    f.MatrixSize = size;
    f.Divisor = divisor;
    f.Bias = bias;
    f.FilterName = QString::fromLatin1(name);
    const int r = size == mx5 ? 2 : size == mx7 ? 3 : 1;
    const qint32* w = weights.begin();
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            f.Matrix[MatrixIndex(dy, dx)] = *w++;
    return f;
}

TGraphicFilter rank(const char* name)
{
    TGraphicFilter f;
    f.FilterType = ftStatic;
    f.MatrixSize = mxDefault;
    f.Divisor = 0;
    f.FilterName = QString::fromLatin1(name);
    return f;
}

std::vector<TGraphicFilter> makeBuiltInFilters()
{
    return {
        linear("Average (Blur linear)", mx3, 9, 0, {1, 1, 1, 1, 1, 1, 1, 1, 1}),
        linear("Edges strong (Edge detect linear)", mx3, 1, 0, {1, 3, 1, 3, -16, 3, 1, 3, 1}),
        linear("Edges weak (Edge detect linear)", mx3, 1, 0, {0, 1, 0, 1, -4, 1, 0, 1, 0}),
        linear("Edge enhance (Sharpen linear)", mx3, 4, 0, {-1, -2, -1, -2, 16, -2, -1, -2, -1}),
        linear("Emboss color (Effects linear)", mx3, 1, 0, {-1, -1, -1, 0, 1, 0, 1, 1, 1}),
        linear("Emboss light (Effects linear)", mx3, 1, 192, {0, -1, 0, 0, 0, 0, 0, 1, 0}),
        linear("Emboss medium (Effects linear)", mx3, 1, 192, {-1, -2, -1, 0, 0, 0, 1, 2, 1}),
        linear("Emboss Dark (Effects linear)", mx3, 1, 128, {-1, -2, -1, 0, 0, 0, 1, 2, 1}),
        linear("Etch (Effects linear)", mx3, 1, 240, {-6, 2, -6, -1, 32, -1, -6, -2, -6}),
        linear("Blur (Blur linear)", mx3, 16, 0, {1, 2, 1, 2, 4, 2, 1, 2, 1}),
        linear("Blur softly (Blur linear)", mx3, 32, 0, {1, 3, 1, 3, 16, 3, 1, 3, 1}),
        linear("Blur more (Blur linear)", mx5, 64, 0,
               {0, 1, 2, 1, 0, 1, 4, 6, 4, 1, 2, 6, 8, 6, 2, 1, 4, 6, 4, 1, 0, 1, 2, 1, 0}),
        linear("Blur Bartlett (Blur linear)", mx7, 256, 0,
               {1, 2, 3, 4,  3, 2, 1, 2, 4, 6,  8, 6, 4, 2, 3, 6, 9, 12, 9, 6, 3, 4, 8, 12, 16,
                12, 8, 4, 3, 6, 9, 12, 9, 6, 3, 2, 4, 6, 8, 6, 4, 2, 1, 2,  3, 4, 3, 2, 1}),
        linear("Blur Gaussian (Blur linear)", mx7, 999, 0,
               {1,  4,  8,  10, 8,  4,  1,  4,  12, 25, 29, 25, 12, 4,  8,  25, 49,
                58, 49, 25, 8,  10, 29, 58, 67, 58, 29, 10, 8,  25, 49, 58, 49, 25,
                8,  4,  12, 25, 29, 25, 12, 4,  1,  4,  8,  10, 8,  4,  1}),
        linear("Glow (Effects linear)", mx7, 8, 0,
               {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 2, 2, 1, 0, 0, 2, 0, 0, 0, 2, 0, 0, 2, 0, -20,
                0, 2, 0, 0, 2, 0, 0, 0, 2, 0, 0, 1, 2, 2, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}),
        linear("Laplacian horz./vert. (Edge detect linear)", mx3, 1, 0, {0, -1, 0, -1, 4, -1, 0, -1, 0}),
        linear("Laplacian omnidir. (Edge detect linear)", mx3, 1, 0, {-1, -1, -1, -1, 8, -1, -1, -1, -1}),
        rank("Maximum (Static)"),
        rank("Minimum (Static)"),
        rank("Median (Static)"),
        linear("Negative (Effects linear)", mx3, 1, 255, {0, 0, 0, 0, -1, 0, 0, 0, 0}),
        linear("Prewitt (Edge detect linear)", mx3, 1, 0, {1, 1, 1, 1, -2, 1, -1, -1, -1}),
        linear("Sharpen (Sharpen linear)", mx3, 8, 0, {-1, -1, -1, -1, 16, -1, -1, -1, -1}),
        linear("Sharpen more (Sharpen linear)", mx3, 4, 0, {-1, -1, -1, -1, 12, -1, -1, -1, -1}),
        linear("Sharpen less (Sharpen linear)", mx3, 16, 0, {-1, -1, -1, -1, 24, -1, -1, -1, -1}),
        linear("Sharpen directional (Sharpen linear)", mx3, 10, 0, {-3, -3, -3, 0, 16, 0, 1, 1, 1}),
        linear("Sobel pass (Edge detect linear)", mx3, 1, 0, {1, 2, 1, 0, 0, 0, -1, -2, -1}),
        linear("Unsharp mask (Sharpen linear)", mx3, 4, 0, {-1, -2, -1, -2, 16, -2, -1, -2, -1}),
        linear("Trace contour (Edge detect linear)", mx3, 1, 240, {-6, -2, -6, -1, 32, -1, -6, -2, -6}),
        linear("Waggle (Effects linear)", mx7, 3, 0,
               {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}),
        linear("Pattern (Edge detect linear)", mx5, 1, 0,
               {0, -4, -9, -4, 0, -4, -24, -1, -24, -4, -9, -1, 168, -1, -9, -4, -24, -1, -24, -4, 0, -4, -9, -4, 0}),
        linear("Null (Linear)", mx3, 1, 0, {0, 0, 0, 0, 1, 0, 0, 0, 0}),
    };
}

TMultiPassFilter preset(const char* name, std::array<const char*, 4> passes, std::array<uint8_t, 3> functions)
{
    TMultiPassFilter m;
    m.FilterName = QString::fromLatin1(name);
    for (int i = 0; i < 4; ++i)
        m.Filters[i] = BuiltInFilterPosition(QString::fromLatin1(passes[i]));
    m.Functions = functions;
    return m;
}

int radiusOf(int size) { return size == 2 ? 2 : size == 3 ? 3 : 1; }

std::pair<int64_t, int64_t> sumRange(std::span<const Tap> taps, int maxSample)
{
    int64_t lo = 0, hi = 0;
    for (const Tap& t : taps)
        (t.k < 0 ? lo : hi) += int64_t(t.k) * maxSample;
    return {lo, hi};
}

void linearRGB(const QImage& in, QImage& out, const TGraphicFilter& f, int r, std::span<const Tap> taps,
               ChannelFlags flags, const RowProgress& report)
{
    const auto [lo, hi] = sumRange(taps, 255);
    const ByteFinisher finish(lo, hi, f.Bias, f.Divisor);
    const bool all = flags.first && flags.second && flags.third;
    // Channel byte offsets of red, green and blue.
    const int channel[3] = {kRed, kGreen, kBlue};
    const int n = 3 * in.width();
    const Plane3<uint8_t> plane{in.constBits(), in.bytesPerLine(), in.width(), in.height()};
    convolveRows(plane, r, taps, 255, [&](int y, const auto* sums) {
        report(y);
        uint8_t* d = out.scanLine(y);
        finish.row(sums, d, n);
        if (all)
            return;
        const uint8_t* s = in.constScanLine(y);
        for (int c = 0; c < 3; ++c)
            if (!flags[c])
                for (int i = channel[c]; i < n; i += 3)
                    d[i] = s[i];
    });
}

// Hue, saturation and value/lightness as three interleaved 16-bit samples.
std::vector<int16_t> toColourSpace(const QImage& in, ColorType type)
{
    std::vector<int16_t> comps(size_t(in.width()) * in.height() * 3);
    int16_t* c = comps.data();
    for (int y = 0; y < in.height(); ++y) {
        const uint8_t* s = in.constScanLine(y);
        for (int x = 0; x < in.width(); ++x, s += 3, c += 3) {
            const Rgb rgb{s[kRed], s[kGreen], s[kBlue]};
            if (type == ctHSV) {
                const Hsv v = RGBToHSV(rgb);
                c[0] = int16_t(v.h), c[1] = int16_t(v.s), c[2] = int16_t(v.v);
            } else {
                const Hsl l = RGBToHSL(rgb);
                c[0] = int16_t(l.h), c[1] = int16_t(l.s), c[2] = int16_t(l.l);
            }
        }
    }
    return comps;
}

void linearColourSpace(const QImage& in, QImage& out, const TGraphicFilter& f, int r, std::span<const Tap> taps,
                       ColorType type, ChannelFlags flags, const RowProgress& report)
{
    const std::vector<int16_t> comps = toColourSpace(in, type);
    const int w = in.width();
    const Plane3<int16_t> plane{comps.data(), qsizetype(w) * 3, w, in.height()};
    const auto finish = [&](int64_t sum) { return finishExact(sum, f.Bias, f.Divisor); };
    const auto hue = [&](int64_t sum) {
        // Limited so that rounding stays inside int; the hue wraps later anyway.
        const double v = std::clamp(f.Bias + double(sum) / f.Divisor, -1e9, 1e9);
        return v > 359 ? rnd(v - 359) : v < 0 ? rnd(v + 359) : rnd(v);
    };
    convolveRows(plane, r, taps, 359, [&](int y, const auto* sums) {
        report(y);
        const int16_t* centre = plane.row(y);
        uint8_t* d = out.scanLine(y);
        for (int x = 0; x < w; ++x, d += 3) {
            int v[3];
            for (int c = 0; c < 3; ++c) {
                const int i = 3 * x + c;
                v[c] = !flags[c] ? centre[i] : c == 0 ? hue(sums[i]) : finish(sums[i]);
            }
            const Rgb rgb = type == ctHSV ? HSVToRGB({v[0], v[1], v[2]}) : HSLToRGB({v[0], v[1], v[2]});
            d[kRed] = clampByte(rgb.r);
            d[kGreen] = clampByte(rgb.g);
            d[kBlue] = clampByte(rgb.b);
        }
    });
}

void linearFilter(const QImage& src, QImage& dst, const TGraphicFilter& f, int size, ColorType type,
                  ChannelFlags flags, const Progress& progress)
{
    const QImage in = as24(src);
    if (f.FilterType != ftLinear || f.Divisor == 0) {
        dst = in.copy();
        return;
    }
    const int r = radiusOf(size);
    const std::vector<Tap> taps = kernelTaps(f.Matrix, r);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    if (type == ctHSV || type == ctHSL)
        linearColourSpace(in, out, f, r, taps, type, flags, report);
    else
        linearRGB(in, out, f, r, taps, flags, report);
    dst = std::move(out);
}

QImage whiteImage(QSize size)
{
    QImage image = new24(size);
    image.fill(Qt::white);
    return image;
}

template <class Op>
void blendRows(const QImage& a, const QImage& b, QImage& target, const Progress& progress, Op op)
{
    const int n = 3 * a.width();
    const RowProgress report(progress, a.height());
    for (int y = 0; y < a.height(); ++y) {
        report(y);
        const uint8_t* pa = a.constScanLine(y);
        const uint8_t* pb = b.constScanLine(y);
        uint8_t* t = target.scanLine(y);
        for (int i = 0; i < n; ++i)
            op(pa[i], pb[i], t[i]);
    }
}

} // namespace

namespace detail {

uint8_t finishExact(int64_t sum, int64_t bias, int64_t divisor)
{
    int64_t n = bias * divisor + sum;
    if (divisor < 0) {
        n = -n;
        divisor = -divisor;
    }
    if (n < 0)
        return 0;
    return uint8_t(std::min<int64_t>(n / divisor, 255));
}

ByteFinisher::ByteFinisher(int64_t minSum, int64_t maxSum, qint32 bias, qint32 divisor)
    : bias_(bias), divisor_(divisor)
{
    const int64_t biasTimesDivisor = int64_t(bias) * divisor;
    const uint32_t magnitude = uint32_t(std::abs(int64_t(divisor)));
    const bool fits32 = minSum + biasTimesDivisor > std::numeric_limits<int32_t>::min() &&
                        maxSum + biasTimesDivisor <= std::numeric_limits<int32_t>::max();
    if (divisor > 0 && std::has_single_bit(uint32_t(divisor)) && fits32) {
        mode_ = Shift;
        shift_ = std::countr_zero(uint32_t(divisor));
        offset_ = biasTimesDivisor;
    } else if (magnitude != 0 && magnitude < (1u << 22)) {
        // Numerators are limited to 0..255 d first. With m = ceil(2^s / d) the
        // error of n * m / 2^s against n / d is below n * d / 2^s < 1 / d when
        // 2^s >= 256 d^2, so the quotient floors the same; both factors fit
        // 32 bits for d < 2^22.
        mode_ = Multiply;
        sign_ = divisor < 0 ? -1 : 1;
        offset_ = biasTimesDivisor;
        limit_ = 255 * int64_t(magnitude);
        shift_ = 8 + 2 * std::bit_width(magnitude);
        multiplier_ = uint32_t(((uint64_t(1) << shift_) + magnitude - 1) / magnitude);
        // Below 256, s <= 24 and n * m <= 255 (2^s + d - 1) < 2^32.
        if (magnitude < 256 && fits32)
            mode_ = Multiply32;
    }
}

std::vector<Tap> kernelTaps(const TEffectMatrix& matrix, int radius)
{
    std::vector<Tap> taps;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (const qint32 k = matrix[MatrixIndex(dy, dx)])
                taps.push_back({dy, dx, k});
    return taps;
}

std::optional<SeparableKernel> separate(std::span<const Tap> taps, int radius)
{
    const int size = 2 * radius + 1;
    std::vector<int64_t> m(size_t(size) * size, 0);
    for (const Tap& t : taps)
        m[size_t((t.dy + radius) * size + t.dx + radius)] = t.k;
    const auto weight = [&](int i, int j) { return m[size_t(i * size + j)]; };
    int first = 0;
    while (first < size && std::all_of(&m[size_t(first * size)], &m[size_t((first + 1) * size)],
                                       [](int64_t k) { return k == 0; }))
        ++first;
    if (first == size)
        return std::nullopt;
    // The first non-zero row without its common factor; every row must be a
    // whole multiple of it.
    SeparableKernel kernel{std::vector<int64_t>(size_t(size), 0), std::vector<int64_t>(size_t(size))};
    int64_t divisor = 0;
    for (int j = 0; j < size; ++j)
        divisor = std::gcd(divisor, weight(first, j));
    int pivot = -1;
    for (int j = 0; j < size; ++j) {
        kernel.row[size_t(j)] = weight(first, j) / divisor;
        if (pivot < 0 && kernel.row[size_t(j)] != 0)
            pivot = j;
    }
    for (int i = first; i < size; ++i) {
        const int64_t k = weight(i, pivot) / kernel.row[size_t(pivot)];
        for (int j = 0; j < size; ++j)
            if (weight(i, j) != k * kernel.row[size_t(j)])
                return std::nullopt;
        kernel.column[size_t(i)] = k;
    }
    return kernel;
}

} // namespace detail

const std::vector<TGraphicFilter>& BuiltInFilters()
{
    static const std::vector<TGraphicFilter> filters = makeBuiltInFilters();
    return filters;
}

int BuiltInFilterPosition(const QString& name)
{
    const auto& filters = BuiltInFilters();
    for (size_t i = 0; i < filters.size(); ++i)
        if (filters[i].FilterName == name)
            return int(i);
    return -1;
}

const std::vector<TMultiPassFilter>& BuiltInMultiPassFilters()
{
    static const std::vector<TMultiPassFilter> presets = {
        preset("Laplacian Negative",
               {"Laplacian omnidir. (Edge detect linear)", "Negative (Effects linear)", "Null (Linear)",
                "Null (Linear)"},
               {0, 0, 0}),
        preset("Church Pattern",
               {"Null (Linear)", "Pattern (Edge detect linear)", "Null (Linear)", "Null (Linear)"},
               {bfAverage, 0, 0}),
    };
    return presets;
}

void ApplyFilter(const QImage& src, QImage& dst, TGraphicFilter filter, int size, ColorType colorType,
                 ChannelFlags flags, const Progress& progress)
{
    if (filter.FilterType == ftStatic)
        RankFilter(src, dst, filter, size == 2 ? 5 : size == 3 ? 7 : 3, flags, progress);
    else if (filter.FilterType == ftLinear)
        linearFilter(src, dst, filter, size != 0 ? size : filter.MatrixSize, colorType, flags, progress);
}

void MultiPassFilter(const QImage& src, QImage& dst, const TMultiPassFilter& filter, int passes,
                     ColorType colorType, ChannelFlags flags, const Progress& progress)
{
    if (filter.FilterType != ftMultiPass || passes < 1 || passes > 4)
        return;
    const auto& builtIn = BuiltInFilters();
    const auto pass = [&](int k, const QImage& input) {
        const qint32 position = filter.Filters[k];
        if (position < 0 || size_t(position) >= builtIn.size())
            return input;
        QImage result = whiteImage(input.size());
        ApplyFilter(input, result, builtIn[size_t(position)], 0, colorType, flags, progress);
        return result;
    };
    // Combines two images with function code, or takes the second when it is 0.
    const auto combine = [&](const QImage& first, const QImage& second, uint8_t function) {
        if (function == bfNone)
            return second;
        QImage result = whiteImage(first.size());
        Blend(first, second, result, function, progress);
        return result;
    };
    QImage a = as24(src);
    if (passes == 1) {
        a = pass(0, a);
    } else {
        const QImage b = pass(0, a);
        a = combine(b, pass(1, b), filter.Functions[0]);
    }
    for (int k = 2; k < passes; ++k)
        a = combine(a, pass(k, a), filter.Functions[k - 1]);
    dst = a.copy();
}

void Blend(const QImage& a, const QImage& b, QImage& target, int function, const Progress& progress)
{
    const QImage first = as24(a);
    const QSize size = first.size();
    QImage second = b.isNull() || b.size().isEmpty() ? whiteImage(size)
                    : b.size() == size                ? as24(b)
                                                      : as24(b.scaled(size));
    prepare24(target, size);
    const auto run = [&](auto op) { blendRows(first, second, target, progress, op); };
    switch (function) {
    case bfAdd: run([](int x, int y, uint8_t& t) { t = uint8_t(std::min(x + y, 255)); }); break;
    case bfSubtract: run([](int x, int y, uint8_t& t) { t = uint8_t(std::max(x - y, 0)); }); break;
    case bfMultiply: run([](int x, int y, uint8_t& t) { t = uint8_t(std::min(x * y, 255)); }); break;
    case bfDivide:
        run([](int x, int y, uint8_t& t) {
            if (y != 0)
                t = uint8_t(x / y);
        });
        break;
    case bfDarkest: run([](int x, int y, uint8_t& t) { t = uint8_t(std::min(x, y)); }); break;
    case bfLightest: run([](int x, int y, uint8_t& t) { t = uint8_t(std::max(x, y)); }); break;
    case bfDifference: run([](int x, int y, uint8_t& t) { t = uint8_t(std::abs(x - y)); }); break;
    case bfBinaryOr: run([](int x, int y, uint8_t& t) { t = uint8_t(x | y); }); break;
    case bfBinaryAnd: run([](int x, int y, uint8_t& t) { t = uint8_t(x & y); }); break;
    case bfAverage: run([](int x, int y, uint8_t& t) { t = uint8_t((x + y) / 2); }); break;
    default: run([](int x, int, uint8_t& t) { t = uint8_t(x); }); break;
    }
}

} // namespace effects
