// The fast paths of the convolution core against the plain two-dimensional sum
// and plain division.

#include "editor/effects/FilterWindow.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace effects;
using namespace effects::detail;

namespace {

template <class Sample>
std::vector<Sample> randomPlane(int w, int h, int maxSample, std::mt19937& rng)
{
    std::uniform_int_distribution<int> sample(0, maxSample);
    std::vector<Sample> v(size_t(w) * h * 3);
    for (Sample& s : v)
        s = Sample(sample(rng));
    return v;
}

// All row sums, widened, from one of the cores.
template <class Run>
std::vector<int64_t> collect(int w, int h, Run run)
{
    std::vector<int64_t> all;
    int expectedRow = 0;
    run([&](int y, const auto* sums) {
        EXPECT_EQ(y, expectedRow++);
        all.insert(all.end(), sums, sums + 3 * w);
    });
    EXPECT_EQ(expectedRow, h);
    return all;
}

template <class Sample>
void expectSameSums(const std::vector<Tap>& taps, int r, int w, int h, int maxSample, std::mt19937& rng,
                    const std::string& what)
{
    const std::vector<Sample> data = randomPlane<Sample>(w, h, maxSample, rng);
    const Plane3<Sample> plane{data.data(), qsizetype(w) * 3, w, h};
    const auto fast = collect(w, h, [&](auto onRow) { convolveRows(plane, r, taps, maxSample, onRow); });
    const auto plain =
        collect(w, h, [&](auto onRow) { convolveRowsWith<int64_t>(plane, r, taps, maxSample, onRow); });
    ASSERT_EQ(fast, plain) << what << " " << w << "x" << h;
}

const std::vector<std::pair<int, int>> kSizes = {{1, 1}, {2, 5}, {3, 3}, {7, 2}, {9, 8}, {23, 11}, {64, 7}};

} // namespace

TEST(ConvolutionCore, RankOneKernelsFactorAndOthersDoNot)
{
    // Kernels of rank one among the built-ins at their own size; the rest
    // (including single taps, which need no second pass) are summed in 2-D.
    const std::set<std::string> rankOne = {
        "Average (Blur linear)",          "Emboss light (Effects linear)", "Emboss medium (Effects linear)",
        "Emboss Dark (Effects linear)",   "Blur (Blur linear)",            "Blur Bartlett (Blur linear)",
        "Sobel pass (Edge detect linear)", "Negative (Effects linear)",    "Null (Linear)",
    };
    for (const TGraphicFilter& f : BuiltInFilters()) {
        if (f.FilterType != ftLinear)
            continue;
        const int r = f.MatrixSize == mx5 ? 2 : f.MatrixSize == mx7 ? 3 : 1;
        const std::vector<Tap> taps = kernelTaps(f.Matrix, r);
        const std::string name = f.FilterName.toStdString();
        const auto kernel = separate(taps, r);
        ASSERT_EQ(kernel.has_value(), rankOne.count(name) == 1) << name;
        if (!kernel)
            continue;
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                EXPECT_EQ(kernel->column[size_t(dy + r)] * kernel->row[size_t(dx + r)], f.Matrix[MatrixIndex(dy, dx)])
                    << name << " " << dy << "," << dx;
    }
    EXPECT_FALSE(separate({}, 1));
}

TEST(ConvolutionCore, FastPathsGiveThePlainSumsForEveryBuiltInFilterAndSize)
{
    std::mt19937 rng(25);
    for (const TGraphicFilter& f : BuiltInFilters()) {
        if (f.FilterType != ftLinear)
            continue;
        for (int r = 1; r <= 3; ++r) {
            const std::vector<Tap> taps = kernelTaps(f.Matrix, r);
            const std::string what = f.FilterName.toStdString() + " r" + std::to_string(r);
            for (const auto& [w, h] : kSizes) {
                expectSameSums<uint8_t>(taps, r, w, h, 255, rng, what);
                expectSameSums<int16_t>(taps, r, w, h, 359, rng, what + " 16-bit");
            }
        }
    }
}

TEST(ConvolutionCore, RandomRankOneKernelsOfEveryAccumulatorWidth)
{
    std::mt19937 rng(7);
    // Weight limits that put the sums in 16, 32 and 64 bits.
    for (const int limit : {2, 60, 40000}) {
        std::uniform_int_distribution<int> weight(-limit, limit);
        for (int r = 1; r <= 3; ++r) {
            TEffectMatrix m{};
            std::vector<int> column(size_t(2 * r + 1)), row(size_t(2 * r + 1));
            for (int i = 0; i <= 2 * r; ++i)
                column[size_t(i)] = weight(rng), row[size_t(i)] = weight(rng);
            column[size_t(r)] = row[size_t(r)] = limit; // never all zero
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    m[MatrixIndex(dy, dx)] = column[size_t(dy + r)] * row[size_t(dx + r)];
            const std::vector<Tap> taps = kernelTaps(m, r);
            ASSERT_TRUE(separate(taps, r)) << limit << " r" << r;
            for (const auto& [w, h] : kSizes)
                expectSameSums<uint8_t>(taps, r, w, h, 255, rng, "limit " + std::to_string(limit));
        }
    }
}

TEST(ByteFinisher, EqualsExactDivisionForEverySumOfEveryBuiltInFilter)
{
    for (const TGraphicFilter& f : BuiltInFilters()) {
        if (f.FilterType != ftLinear)
            continue;
        for (int r = 1; r <= 3; ++r) {
            int64_t lo = 0, hi = 0;
            for (const Tap& t : kernelTaps(f.Matrix, r))
                (t.k < 0 ? lo : hi) += int64_t(t.k) * 255;
            const ByteFinisher finish(lo, hi, f.Bias, f.Divisor);
            std::vector<int64_t> sums;
            for (int64_t s = lo; s <= hi; ++s)
                sums.push_back(s);
            std::vector<uint8_t> out(sums.size());
            finish.row(sums.data(), out.data(), int(sums.size()));
            for (size_t i = 0; i < sums.size(); ++i) {
                const int64_t n = (int64_t(f.Bias) * f.Divisor + sums[i]) * (f.Divisor < 0 ? -1 : 1);
                const int64_t expected = n < 0 ? 0 : std::min<int64_t>(n / std::abs(f.Divisor), 255);
                ASSERT_EQ(out[i], expected) << f.FilterName.toStdString() << " r" << r << " sum " << sums[i];
            }
        }
    }
}

TEST(ByteFinisher, EqualsExactDivisionAtEveryQuotientStepForLargeDivisors)
{
    // Divisors about the limits of the shift and multiply variants, with biases;
    // checked at and beside each point where the quotient steps.
    const std::pair<qint32, qint32> cases[] = {
        {3, 0},          {-3, 5},           {255, -4},        {-255, 2},       {257, 1},           {999, -7},        {-999, 300},     {65536, 1},
        {(1 << 21) + 1, 0}, {(1 << 22) - 1, -2}, {-((1 << 22) - 1), 9}, {1 << 22, 0}, {(1 << 22) + 3, 1},
        {1 << 30, -1},   {std::numeric_limits<qint32>::max(), 0}, {std::numeric_limits<qint32>::min() + 1, 3},
    };
    for (const auto& [divisor, bias] : cases) {
        const int64_t d = std::abs(int64_t(divisor));
        const int64_t lo = -(260 + std::abs(bias)) * d, hi = (260 + std::abs(bias)) * d;
        const ByteFinisher finish(lo, hi, bias, divisor);
        std::vector<int64_t> sums;
        for (int64_t q = -258 - std::abs(bias); q <= 258 + std::abs(bias); ++q)
            for (const int64_t e : {-1, 0, 1})
                sums.push_back(q * d + e);
        std::vector<uint8_t> out(sums.size());
        finish.row(sums.data(), out.data(), int(sums.size()));
        for (size_t i = 0; i < sums.size(); ++i) {
            const int64_t n = (int64_t(bias) * divisor + sums[i]) * (divisor < 0 ? -1 : 1);
            const int64_t expected = n < 0 ? 0 : std::min<int64_t>(n / d, 255);
            ASSERT_EQ(out[i], expected) << divisor << " bias " << bias << " sum " << sums[i];
        }
    }
}
