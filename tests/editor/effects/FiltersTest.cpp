#include "TestImages.h"

#include "editor/effects/ColorSpace.h"
#include "editor/effects/Filters.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace effects;
using namespace effects::test;

namespace {

const TGraphicFilter& builtIn(const char* name)
{
    const int position = BuiltInFilterPosition(QString::fromLatin1(name));
    EXPECT_GE(position, 0) << name;
    return BuiltInFilters().at(size_t(position));
}

QImage filtered(const QImage& src, const char* name, ColorType type = ctRGB, ChannelFlags flags = {}, int size = 0)
{
    QImage out;
    ApplyFilter(src, out, builtIn(name), size, type, flags);
    return out;
}

QImage grey(int w, int h, std::initializer_list<int> values)
{
    std::vector<int> v(values);
    return image24(w, h, [&](int x, int y) {
        const int g = v[size_t(y * w + x)];
        return qRgb(g, g, g);
    });
}

} // namespace

TEST(BuiltInFilters, TableOrderAndWeights)
{
    const auto& filters = BuiltInFilters();
    ASSERT_EQ(filters.size(), 32u);
    EXPECT_EQ(filters[0].FilterName, "Average (Blur linear)");
    EXPECT_EQ(filters[17].FilterName, "Maximum (Static)");
    EXPECT_EQ(filters[17].FilterType, ftStatic);
    EXPECT_EQ(filters[31].FilterName, "Null (Linear)");
    const auto sum = [](const TGraphicFilter& f) { return std::accumulate(f.Matrix.begin(), f.Matrix.end(), 0); };
    EXPECT_EQ(sum(builtIn("Blur Gaussian (Blur linear)")), 999);
    EXPECT_EQ(builtIn("Blur Gaussian (Blur linear)").Divisor, 999);
    EXPECT_EQ(sum(builtIn("Blur Bartlett (Blur linear)")), 256);
    EXPECT_EQ(builtIn("Blur Bartlett (Blur linear)").Divisor, 256);
    // Etch and Trace contour differ only in the sign of the top-middle weight.
    const TGraphicFilter& etch = builtIn("Etch (Effects linear)");
    const TGraphicFilter& trace = builtIn("Trace contour (Edge detect linear)");
    for (int i = 0; i < 49; ++i)
        EXPECT_EQ(etch.Matrix[i], i == MatrixIndex(-1, 0) ? -trace.Matrix[i] : trace.Matrix[i]) << i;
    EXPECT_EQ(builtIn("Waggle (Effects linear)").Matrix[MatrixIndex(-3, -2)], 1);
    EXPECT_EQ(builtIn("Pattern (Edge detect linear)").Matrix[MatrixIndex(0, 0)], 168);
}

TEST(LinearFilter, NullIsIdentityAndNegativeInverts)
{
    const QImage src = noise24(11, 8);
    EXPECT_EQ(filtered(src, "Null (Linear)"), src);
    const QImage negative = filtered(src, "Negative (Effects linear)");
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(at(negative, x, y), qRgb(255 - qRed(at(src, x, y)), 255 - qGreen(at(src, x, y)),
                                               255 - qBlue(at(src, x, y))));
}

TEST(LinearFilter, DivisorZeroAndNonLinearRecordCopyTheSource)
{
    const QImage src = noise24(6, 5);
    TGraphicFilter f = builtIn("Blur (Blur linear)");
    f.Divisor = 0;
    QImage out;
    ApplyFilter(src, out, f, 0, ctRGB, {});
    EXPECT_EQ(out, src);
    f.FilterType = ftMultiPass; // any other type leaves the destination alone
    QImage untouched = flat24(2, 2, qRgb(1, 2, 3));
    ApplyFilter(src, untouched, f, 0, ctRGB, {});
    EXPECT_EQ(untouched, flat24(2, 2, qRgb(1, 2, 3)));
}

TEST(LinearFilter, AverageMirrorsUpwardSamplesAtTheTopRows)
{
    const QImage src = image24(6, 5, [](int, int y) { return y == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
    const QImage out = filtered(src, "Average (Blur linear)");
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(at(out, x, 0), qRgb(85, 85, 85)) << x;
        EXPECT_EQ(at(out, x, 1), qRgb(0, 0, 0)) << x;
    }
}

TEST(LinearFilter, FlatAreasKeepTheirValueUnderGaussianAndBartlett)
{
    const QImage src = flat24(12, 10, qRgb(77, 130, 201));
    EXPECT_EQ(filtered(src, "Blur Gaussian (Blur linear)"), src);
    EXPECT_EQ(filtered(src, "Blur Bartlett (Blur linear)"), src);
    EXPECT_EQ(filtered(src, "Average (Blur linear)"), src);
}

TEST(LinearFilter, OnlyEnabledChannelsChange)
{
    const QImage src = noise24(9, 9);
    const QImage out = filtered(src, "Blur (Blur linear)", ctRGB, {true, false, false});
    bool redChanged = false;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(qGreen(at(out, x, y)), qGreen(at(src, x, y)));
            ASSERT_EQ(qBlue(at(out, x, y)), qBlue(at(src, x, y)));
            redChanged |= qRed(at(out, x, y)) != qRed(at(src, x, y));
        }
    EXPECT_TRUE(redChanged);
}

TEST(LinearFilter, InteriorAndBorderPixelsFollowTheSameSums)
{
    // "Sobel pass" on a vertical ramp: interior rows give 4 * step; the edge rows mirror to 0.
    const QImage src = image24(20, 6, [](int, int y) { return qRgb(10 * y, 10 * y, 10 * y); });
    const QImage out = filtered(src, "Sobel pass (Edge detect linear)");
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(qRed(at(out, x, 0)), 0) << x;  // up and down both read row 1
        EXPECT_EQ(qRed(at(out, x, 1)), 0) << x;  // up mirrored to row 2, down row 2
        EXPECT_EQ(qRed(at(out, x, 2)), 0) << x;  // (row 1 - row 3) * 4 = -80, clamped
        EXPECT_EQ(qRed(at(out, x, 5)), 0) << x;
    }
    const QImage down = filtered(image24(20, 6, [](int, int y) { return qRgb(50 - 10 * y, 0, 0); }),
                                 "Sobel pass (Edge detect linear)");
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(qRed(at(down, x, 2)), 80) << x;
}

TEST(LinearFilter, HeavyWeightsAndNegativeDivisorsAreExact)
{
    const QImage src = noise24(10, 7);
    TGraphicFilter f = builtIn("Null (Linear)");
    f.Matrix[MatrixIndex(0, 0)] = 100000; // sums beyond 16 bits and beyond any table
    f.Divisor = 100000;
    QImage out;
    ApplyFilter(src, out, f, 0, ctRGB, {});
    EXPECT_EQ(out, src);
    f.Matrix[MatrixIndex(0, 0)] = -3;
    f.Divisor = -3;
    ApplyFilter(src, out, f, 0, ctRGB, {});
    EXPECT_EQ(out, src);
    // A power-of-two divisor with a bias: (v * 4 + 2 * 4) / 4 - the bias raises by 2.
    f.Matrix[MatrixIndex(0, 0)] = 4;
    f.Divisor = 4;
    f.Bias = 2;
    ApplyFilter(flat24(3, 3, qRgb(10, 254, 0)), out, f, 0, ctRGB, {});
    EXPECT_EQ(out, flat24(3, 3, qRgb(12, 255, 2)));
}

TEST(LinearFilter, DestinationsSharingTheSourceLeaveItAlone)
{
    const QImage original = noise24(8, 6);
    const QImage expected = filtered(original, "Sharpen (Sharpen linear)");
    QImage src = original.copy();
    QImage shared = src; // same pixels, another object
    ApplyFilter(src, shared, builtIn("Sharpen (Sharpen linear)"), 0, ctRGB, {});
    EXPECT_EQ(src, original);
    EXPECT_EQ(shared, expected);
    ApplyFilter(src, src, builtIn("Sharpen (Sharpen linear)"), 0, ctRGB, {});
    EXPECT_EQ(src, expected);
    QImage reused = noise24(8, 6, 7); // same size and format: its pixels are overwritten
    ApplyFilter(original, reused, builtIn("Sharpen (Sharpen linear)"), 0, ctRGB, {});
    EXPECT_EQ(reused, expected);
}

TEST(LinearFilter, ReportsProgressPerRow)
{
    std::vector<int> positions;
    QImage out;
    ApplyFilter(noise24(5, 4), out, builtIn("Blur (Blur linear)"), 0, ctRGB, {},
                [&](int, int, int position) { positions.push_back(position); });
    EXPECT_EQ(positions, (std::vector<int>{0, 25, 50, 75}));
}

TEST(LinearFilter, ImagesSmallerThanTheWindowStayInside)
{
    for (QSize size : {QSize(1, 1), QSize(2, 3), QSize(5, 2)}) {
        const QImage src = flat24(size.width(), size.height(), qRgb(100, 150, 200));
        EXPECT_EQ(filtered(src, "Blur Gaussian (Blur linear)"), src);
        EXPECT_EQ(filtered(src, "Median (Static)", ctRGB, {}, 3), src);
        EXPECT_EQ(filtered(src, "Maximum (Static)", ctRGB, {}, 3), src);
    }
}

TEST(LinearFilter, ColourSpacesFilterTheirComponents)
{
    const QImage src = image24(4, 3, [](int x, int) { return x % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255); });
    EXPECT_EQ(filtered(src, "Null (Linear)", ctHSV), src);
    // HSL does not round-trip saturated colours exactly; Null gives the round trip.
    const QImage hsl = filtered(src, "Null (Linear)", ctHSL);
    for (int x = 0; x < 4; ++x) {
        const QRgb c = at(src, x, 1);
        const Rgb back = HSLToRGB(RGBToHSL({qRed(c), qGreen(c), qBlue(c)}));
        EXPECT_EQ(at(hsl, x, 1), qRgb(back.r, back.g, back.b));
    }
    // Negative on value only: value 255 becomes 0, so every pixel turns black.
    const QImage dark = filtered(src, "Negative (Effects linear)", ctHSV, {false, false, true});
    EXPECT_EQ(dark, flat24(4, 3, qRgb(0, 0, 0)));
    // Negative on hue alone: red (hue 0) gets hue 255, i.e. (64, 0, 255) by the integer HSV rules.
    const QImage hue = filtered(flat24(2, 2, qRgb(255, 0, 0)), "Negative (Effects linear)", ctHSV,
                                {true, false, false});
    EXPECT_EQ(hue, flat24(2, 2, qRgb(64, 0, 255)));
}

TEST(RankFilter, MaximumAndMinimumSpreadByLightness)
{
    const QImage spot = image24(5, 5, [](int x, int y) { return x == 2 && y == 2 ? qRgb(200, 10, 10) : qRgb(20, 20, 20); });
    const QImage max = filtered(spot, "Maximum (Static)");
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool near = x >= 1 && x <= 3 && y >= 1 && y <= 3;
            EXPECT_EQ(at(max, x, y), near ? qRgb(200, 10, 10) : qRgb(20, 20, 20)) << x << "," << y;
        }
    const QImage hole = image24(5, 5, [](int x, int y) { return x == 2 && y == 2 ? qRgb(0, 0, 0) : qRgb(90, 90, 90); });
    const QImage min = filtered(hole, "Minimum (Static)");
    EXPECT_EQ(at(min, 1, 3), qRgb(0, 0, 0));
    EXPECT_EQ(at(min, 0, 0), qRgb(90, 90, 90));
    // A 5 x 5 window (size 2) reaches two pixels.
    EXPECT_EQ(at(filtered(spot, "Maximum (Static)", ctRGB, {}, 2), 0, 0), qRgb(200, 10, 10));
}

TEST(RankFilter, MedianRuleScansTheWindowInOrder)
{
    // Window lightnesses in scan order 50 10 90 / 30 60 70 / 20 80 40: the rule
    // ends on the sample right of the centre (70), not on the true median.
    const QImage src = grey(5, 5, {0, 0, 0, 0, 0,  //
                                   0, 50, 10, 90, 0, //
                                   0, 30, 60, 70, 0, //
                                   0, 20, 80, 40, 0, //
                                   0, 0, 0, 0, 0});
    EXPECT_EQ(qRed(at(filtered(src, "Median (Static)"), 2, 2)), 70);
    // A bright spot: the centre ends on its last (dark) sample, while (1, 1),
    // whose last sample mirrors onto the spot, ends on the spot.
    const QImage spot = image24(5, 5, [](int x, int y) { return x == 2 && y == 2 ? qRgb(200, 200, 200) : qRgb(3, 3, 3); });
    const QImage out = filtered(spot, "Median (Static)");
    EXPECT_EQ(at(out, 2, 2), qRgb(3, 3, 3));
    EXPECT_EQ(at(out, 1, 1), qRgb(200, 200, 200));
    EXPECT_EQ(at(out, 0, 0), qRgb(3, 3, 3));
}

TEST(RankFilter, DisabledChannelsKeepTheSource)
{
    const QImage spot = image24(5, 5, [](int x, int y) { return x == 2 && y == 2 ? qRgb(200, 100, 50) : qRgb(20, 30, 40); });
    const QImage out = filtered(spot, "Maximum (Static)", ctRGB, {false, true, false});
    EXPECT_EQ(at(out, 1, 1), qRgb(20, 100, 40));
}

TEST(MultiPassFilter, PresetsOnFlatImages)
{
    const auto& presets = BuiltInMultiPassFilters();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].FilterName, "Laplacian Negative");
    EXPECT_EQ(presets[1].Filters, (std::array<qint32, 4>{31, 30, 31, 31}));
    const QImage src = flat24(9, 9, qRgb(100, 60, 30));
    QImage out;
    MultiPassFilter(src, out, presets[0], 2, ctRGB, {});
    EXPECT_EQ(out, flat24(9, 9, qRgb(255, 255, 255)));
    // Pattern weights sum to 0, so Average(source, 0) halves the source.
    MultiPassFilter(src, out, presets[1], 4, ctRGB, {});
    EXPECT_EQ(out, flat24(9, 9, qRgb(50, 30, 15)));
    // One pass applies pass 1 (the Laplacian of a flat image is 0).
    MultiPassFilter(src, out, presets[0], 1, ctRGB, {});
    EXPECT_EQ(out, flat24(9, 9, qRgb(0, 0, 0)));
}

TEST(MultiPassFilter, InvalidCountsTypesAndReferencesAreSafe)
{
    const QImage src = noise24(6, 6);
    const QImage marker = flat24(1, 1, qRgb(1, 2, 3));
    for (int passes : {0, 5}) {
        QImage out = marker;
        MultiPassFilter(src, out, BuiltInMultiPassFilters()[0], passes, ctRGB, {});
        EXPECT_EQ(out, marker);
    }
    TMultiPassFilter wrong = BuiltInMultiPassFilters()[0];
    wrong.FilterType = ftLinear;
    QImage out = marker;
    MultiPassFilter(src, out, wrong, 2, ctRGB, {});
    EXPECT_EQ(out, marker);
    TMultiPassFilter unknown;
    unknown.Filters = {-1, 1000, 31, 31};
    MultiPassFilter(src, out, unknown, 4, ctRGB, {});
    EXPECT_EQ(out, src);
}

TEST(Blend, EveryFunction)
{
    const QImage a = flat24(3, 2, qRgb(200, 200, 200));
    const QImage b = flat24(3, 2, qRgb(100, 100, 100));
    const std::pair<int, int> expected[] = {{bfNone, 200},      {bfAdd, 255},       {bfSubtract, 100},
                                            {bfMultiply, 255},  {bfDivide, 2},      {bfDarkest, 100},
                                            {bfLightest, 200},  {bfDifference, 100}, {bfBinaryOr, 200 | 100},
                                            {bfBinaryAnd, 200 & 100}, {bfAverage, 150}};
    for (const auto& [function, value] : expected) {
        QImage target;
        Blend(a, b, target, function);
        EXPECT_EQ(target, flat24(3, 2, qRgb(value, value, value))) << function;
    }
    QImage target;
    Blend(b, a, target, bfSubtract);
    EXPECT_EQ(at(target, 0, 0), qRgb(0, 0, 0));
}

TEST(Blend, DivideByZeroLeavesTheTargetAndSecondSourceIsStretched)
{
    const QImage a = flat24(4, 4, qRgb(200, 200, 200));
    const QImage b = flat24(2, 2, qRgb(0, 10, 0));
    QImage target;
    Blend(a, b, target, bfDivide);
    EXPECT_EQ(target, flat24(4, 4, qRgb(255, 20, 255)));
    QImage kept = flat24(4, 4, qRgb(7, 7, 7));
    Blend(a, b, kept, bfDivide);
    EXPECT_EQ(kept, flat24(4, 4, qRgb(7, 20, 7)));
    Blend(a, QImage(), target, bfDarkest); // an empty second source counts as white
    EXPECT_EQ(target, a);
}
