#include "TestImages.h"

#include "editor/effects/Adjustments.h"
#include "editor/effects/ColorSpace.h"

#include <gtest/gtest.h>

#include <limits>

using namespace effects;
using namespace effects::test;

TEST(Gamma, OneIsIdentityAndTwoMaps128To64)
{
    const ToneTable one = GammaTable(1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(one[i], i);
    QImage out;
    ApplyGamma(flat24(3, 2, qRgb(128, 128, 128)), out, 2);
    EXPECT_EQ(out.format(), QImage::Format_BGR888);
    EXPECT_EQ(at(out, 2, 1), qRgb(64, 64, 64));
    EXPECT_EQ(GammaTable(2)[0], 0);
    EXPECT_EQ(GammaTable(2)[255], 255);
}

TEST(Contrast, TableKeepsEndsAndBendsTowardsThem)
{
    const ToneTable none = ContrastTable(0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(none[i], i);
    const ToneTable full = ContrastTable(255);
    EXPECT_EQ(full[0], 0);
    EXPECT_EQ(full[126], 125);
    EXPECT_EQ(full[255], 255);
    EXPECT_EQ(full[127], 127); // |128 - 127| * 255 div 256 = 0
    EXPECT_EQ(ContrastTable(-255)[0], 127);
}

TEST(Contrast, DisabledChannelsAreCopied)
{
    const QImage src = noise24(7, 5);
    QImage out;
    Contrast(src, out, 200, {true, false, false});
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            EXPECT_EQ(qGreen(at(out, x, y)), qGreen(at(src, x, y)));
            EXPECT_EQ(qBlue(at(out, x, y)), qBlue(at(src, x, y)));
            EXPECT_EQ(qRed(at(out, x, y)), ContrastTable(200)[qRed(at(src, x, y))]);
        }
}

TEST(Brightness, ClampsAndRespectsFlags)
{
    QImage out;
    Brightness(flat24(2, 2, qRgb(250, 5, 100)), out, 10, {true, true, false});
    EXPECT_EQ(at(out, 0, 0), qRgb(255, 15, 100));
    Brightness(flat24(2, 2, qRgb(250, 5, 100)), out, -10, {});
    EXPECT_EQ(at(out, 1, 1), qRgb(240, 0, 90));
}

TEST(Adjustments, ExtremeAmountsSaturate)
{
    constexpr int big = std::numeric_limits<int>::max();
    EXPECT_EQ(BrightnessTable(big)[0], 255);
    EXPECT_EQ(BrightnessTable(-big)[255], 0);
    EXPECT_EQ(ContrastTable(big)[0], 0);
    EXPECT_EQ(ContrastTable(big)[200], 255);
    QImage out;
    AdjustHSL(flat24(1, 1, qRgb(10, 20, 30)), out, big, big, -big);
    EXPECT_EQ(at(out, 0, 0), qRgb(0, 0, 0));
}

TEST(AdjustRGB, ShiftsEachChannelWithClamping)
{
    QImage out;
    AdjustRGB(flat24(1, 1, qRgb(10, 20, 250)), out, -20, 5, 10);
    EXPECT_EQ(at(out, 0, 0), qRgb(0, 25, 255));
}

TEST(AdjustHSL, ShiftsTheComponentsAndWrapsHueOnce)
{
    QImage out;
    AdjustHSL(flat24(1, 1, qRgb(100, 100, 100)), out, 50, 0, 20);
    EXPECT_EQ(at(out, 0, 0), qRgb(120, 120, 120)); // grey: hue has no effect
    const auto expect = [&](Hsl hsl) {
        const Rgb c = HSLToRGB(hsl);
        EXPECT_EQ(at(out, 0, 0), qRgb(c.r, c.g, c.b));
    };
    // Red is (0, 255, 128): -358 wraps to hue 1, +400 to 41; saturation clamps at 0.
    AdjustHSL(flat24(1, 1, qRgb(255, 0, 0)), out, -358, 0, 0);
    expect({1, 255, 128});
    AdjustHSL(flat24(1, 1, qRgb(255, 0, 0)), out, 400, -300, 10);
    expect({41, 0, 138});
}

TEST(Solarize, ThresholdsAndInvert)
{
    const QImage src = noise24(6, 4);
    QImage out;
    Solarize(src, out, 256);
    EXPECT_EQ(out, src);
    Solarize(src, out, 0);
    QImage inverted;
    Invert(src, inverted);
    EXPECT_EQ(out, inverted);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(at(inverted, x, 2), qRgb(255 - qRed(at(src, x, 2)), 255 - qGreen(at(src, x, 2)),
                                           255 - qBlue(at(src, x, 2))));
    Solarize(flat24(1, 1, qRgb(100, 200, 150)), out, 150);
    EXPECT_EQ(at(out, 0, 0), qRgb(100, 55, 105));
}

TEST(GreyScale, UsesLightness)
{
    QImage out;
    GreyScale(flat24(1, 1, qRgb(10, 200, 51)), out);
    EXPECT_EQ(at(out, 0, 0), qRgb(105, 105, 105));
}

TEST(Adjustments, SourceMayBeTheDestinationAndOtherFormatsAreConverted)
{
    QImage img = flat24(3, 3, qRgb(128, 128, 128)).convertToFormat(QImage::Format_RGB32);
    ApplyGamma(img, img, 2);
    EXPECT_EQ(img.format(), QImage::Format_BGR888);
    EXPECT_EQ(at(img, 1, 1), qRgb(64, 64, 64));
}
