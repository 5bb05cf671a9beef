#include "images/ColorQuantizer.h"
#include "images/StretchDraw.h"

#include "TestData.h"

using namespace images;
using namespace images::testing;

TEST(ColorQuantizer, FewColoursComeOutExactInTreeOrder)
{
    QImage image = Image24(4, 1, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 255));
    image.setPixel(2, 0, qRgb(0, 0, 255));
    image.setPixel(3, 0, qRgb(0, 255, 0));
    const QList<QRgb> palette = BuildDisplayPalette(image, 8);
    ASSERT_EQ(palette.size(), 256);
    // Blue (child 1) before green (child 2) before red (child 4).
    EXPECT_EQ(palette[10], qRgb(0, 0, 255));
    EXPECT_EQ(palette[11], qRgb(0, 255, 0));
    EXPECT_EQ(palette[12], qRgb(255, 0, 0));
    EXPECT_EQ(palette[13], qRgb(0, 0, 0));
    // The system's static colours stay at both ends.
    EXPECT_EQ(palette[0], qRgb(0, 0, 0));
    EXPECT_EQ(palette[7], qRgb(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(palette[249], qRgb(255, 0, 0));
    EXPECT_EQ(palette[255], qRgb(255, 255, 255));
}

TEST(ColorQuantizer, ManyColoursAreMergedIntoAtMost236)
{
    QImage ramp(256, 1, kFormat24);
    for (int x = 0; x < 256; ++x)
        ramp.setPixel(x, 0, qRgb(x, x, x));
    TColorQuantizer quantizer(236, 8);
    quantizer.ProcessImage(ramp);
    const QList<QRgb> colours = quantizer.GetColorTable();
    EXPECT_EQ(colours.size(), 236);
    // Merged neighbours differ in the lowest bit only: every grey keeps a
    // palette colour within 1.
    for (int v = 0; v < 256; ++v) {
        const bool near = std::any_of(colours.begin(), colours.end(),
                                      [v](QRgb c) { return std::abs(qRed(c) - v) <= 1; });
        EXPECT_TRUE(near) << v;
    }
    // The sums are averaged: the pair 254, 255 merged last-in-first-out gives 254.
    EXPECT_TRUE(colours.contains(qRgb(254, 254, 254)));
}

TEST(ColorQuantizer, FewerColourBitsMergeEarlier)
{
    QImage image = Image24(2, 1, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(30, 30, 30)); // both below 32: one leaf at 3 bits
    TColorQuantizer quantizer(236, 3);
    quantizer.ProcessImage(image);
    EXPECT_EQ(quantizer.GetColorTable(), QList<QRgb>{qRgb(15, 15, 15)});
}

TEST(ColorQuantizer, ThirtyTwoBitBitmapsGiveTheirColours)
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(qRgba(1, 2, 3, 255));
    EXPECT_EQ(BuildDisplayPalette(image, 8)[10], qRgb(1, 2, 3));
}

TEST(StretchDraw, ShrinkingAveragesAndGrowingFills)
{
    QImage stripes(4, 4, kFormat24);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(Qt::red);
    {
        QPainter painter(&canvas);
        StretchDrawHalftone(painter, QRect(1, 1, 2, 2), stripes);
        StretchDrawHalftone(painter, QRect(4, 4, 6, 6), Image24(1, 1, qRgb(0, 200, 0)));
    }
    EXPECT_NEAR(qRed(canvas.pixel(1, 1)), 128, 2); // black and white columns average to grey
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(9, 9), qRgb(0, 200, 0));
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(0, 200, 0));
}
