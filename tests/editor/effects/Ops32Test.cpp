#include "editor/effects/Ops32.h"

#include <gtest/gtest.h>

using namespace effects;

namespace {

QImage image32(std::initializer_list<QRgb> pixels)
{
    QImage img(int(pixels.size()), 1, QImage::Format_ARGB32);
    int x = 0;
    for (QRgb p : pixels)
        reinterpret_cast<QRgb*>(img.scanLine(0))[x++] = p;
    return img;
}

QRgb px(const QImage& img, int x) { return reinterpret_cast<const QRgb*>(img.constScanLine(0))[x]; }

} // namespace

TEST(Ops32, Invert32InvertsAlphaToo)
{
    QImage img = image32({0xFF102030u, 0x00FFFFFFu});
    Invert32(img, img);
    EXPECT_EQ(px(img, 0), 0x00EFDFCFu);
    EXPECT_EQ(px(img, 1), 0xFF000000u);
}

TEST(Ops32, GammaContrastBrightnessWorkInPlaceAndSetAlpha)
{
    QImage img = image32({0x80808080u});
    Gamma32(img, img, 2);
    EXPECT_EQ(px(img, 0), 0xFF404040u);
    img = image32({0x00007EFFu});
    Contrast32(img, img, 255);
    EXPECT_EQ(px(img, 0), 0xFF007DFFu);
    img = image32({0x10FA0510u});
    Brightness32(img, img, 10);
    EXPECT_EQ(px(img, 0), 0xFFFF0F1Au);
}

TEST(Ops32, GreyScale32UsesLightness)
{
    QImage out;
    GreyScale32(image32({0xFF0AC833u}), out);
    EXPECT_EQ(px(out, 0), 0xFF696969u);
}

TEST(Ops32, MaxContrast32StretchesEachChannelAndKeepsSingleValues)
{
    // Red spans 50..150, green holds one value, blue spans 0..255.
    QImage img = image32({0xFF3280FFu, 0xFF968000u, 0xFF648040u});
    MaxContrast32(img, img);
    EXPECT_EQ(px(img, 0), 0xFF0080FFu);
    EXPECT_EQ(px(img, 1), 0xFFFF8000u);
    EXPECT_EQ(px(img, 2), 0xFF7F8040u); // trunc(2.55 * 50) = 127
    QImage empty;
    MaxContrast32(QImage(), empty);
    EXPECT_TRUE(empty.isNull());
}

// Each level is the exact quotient, also where the product taken in doubles
// lands just below a whole level and truncates one level lower.
TEST(Ops32, MaxContrast32GivesTheExactLevelWhereRoundedRealsFallShort)
{
    struct Case {
        int min, max, value, level;
    };
    const Case cases[] = {
        {0, 25, 25, 255},   {100, 129, 129, 255}, {0, 105, 21, 51},  {3, 120, 42, 85},
        {20, 207, 31, 15},  {0, 221, 143, 165},   {0, 255, 128, 128}, {40, 60, 50, 127},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " at " << c.value);
        QImage img = image32({qRgb(c.min, 0, 0), qRgb(c.max, 0, 0), qRgb(c.value, 0, 0)});
        MaxContrast32(img, img);
        EXPECT_EQ(qRed(px(img, 0)), 0);
        EXPECT_EQ(qRed(px(img, 1)), 255);
        EXPECT_EQ(qRed(px(img, 2)), c.level);
    }
}

TEST(Ops32, SeparateDestinationLeavesTheSource)
{
    const QImage src = image32({0xFF102030u});
    QImage out;
    Invert32(src, out);
    EXPECT_EQ(px(src, 0), 0xFF102030u);
    EXPECT_EQ(px(out, 0), 0x00EFDFCFu);
}
