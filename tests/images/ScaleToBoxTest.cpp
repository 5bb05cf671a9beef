#include "images/ScaleToBox.h"

#include "TestData.h"

using namespace images;
using namespace images::testing;

namespace {

QImage Scaled(const QImage& source)
{
    QImage target;
    ScaleToBox(source, target, 170);
    return target;
}

// Each pixel's three channels set to the same value.
QImage Grey(int width, int height, const std::function<int(int, int)>& value)
{
    QImage image(width, height, kFormat24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = value(x, y);
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

int GreyAt(const QImage& image, int x, int y)
{
    return qRed(image.pixel(x, y));
}

} // namespace

TEST(ScaleToBox, TargetSizes)
{
    struct Case {
        QSize source;
        QSize target;
    };
    for (const Case& c : {Case{{400, 200}, {170, 85}}, Case{{200, 400}, {85, 170}},
                          Case{{300, 300}, {170, 170}}, Case{{800, 600}, {170, 128}},
                          Case{{1000, 3}, {170, 1}}, Case{{100000, 2}, {170, 1}}}) {
        SCOPED_TRACE(c.source.width());
        EXPECT_EQ(BoxSize(c.source, 170), c.target);
        EXPECT_EQ(Scaled(Image24(c.source.width(), c.source.height(), 0)).size(), c.target);
    }
    // 127.5 rounds to even.
    EXPECT_EQ(BoxSize({800, 600}, 170).height(), 128);
    EXPECT_EQ(BoxSize({1360, 1000}, 170).height(), 125); // 125.0
    EXPECT_EQ(BoxSize({340, 255}, 170).height(), 128);   // 127.5
    EXPECT_EQ(BoxSize({340, 253}, 170).height(), 126);   // 126.5
}

TEST(ScaleToBox, SmallPicturesAreCopiedUnchanged)
{
    const QImage source = Pattern24(100, 50);
    EXPECT_EQ(Scaled(source), source);
    QImage indexed = source.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(Scaled(indexed).format(), kFormat24);
}

TEST(ScaleToBox, BlocksAreAveragedByTheReciprocalRule)
{
    // 5 x 3 into 4 x 2: column spans 0, 1, 2, 3-4 and row spans 0, 1-2.
    QImage target;
    ScaleToBox(Grey(5, 3, [](int x, int y) { return 10 * x + 50 * y; }), target, 4);
    ASSERT_EQ(target.size(), QSize(4, 2));
    EXPECT_EQ(GreyAt(target, 0, 0), 0);
    EXPECT_EQ(GreyAt(target, 3, 0), 34);  // (30 + 40) * 32767 >> 16
    EXPECT_EQ(GreyAt(target, 1, 1), 84);  // (60 + 110) * 32767 >> 16
    EXPECT_EQ(GreyAt(target, 3, 1), 109); // (80 + 90 + 130 + 140) * 16383 >> 16
    // The rule loses a little: a flat 200 comes out as 199.
    EXPECT_EQ(Scaled(Image24(340, 340, qRgb(200, 200, 200))), Image24(170, 170, qRgb(199, 199, 199)));
}

TEST(ScaleToBox, SpansUseSinglePrecision)
{
    // 174 / 170 in single precision puts source column 86 into span 85,
    // not span 84 as the exact ratio would.
    const QImage target = Scaled(Grey(174, 2, [](int x, int) { return x == 86 ? 255 : 0; }));
    ASSERT_EQ(target.size(), QSize(170, 2));
    EXPECT_EQ(GreyAt(target, 84, 0), 0);
    EXPECT_EQ(GreyAt(target, 85, 0), 127);
    EXPECT_EQ(GreyAt(target, 86, 0), 0);
}

TEST(ScaleToBox, SharpeningRunsInPlaceFromTheTop)
{
    // 2 x 2 blocks of one value v average to v - 1, giving these 4 x 4 means.
    const int means[4][4] = {{100, 100, 100, 100}, {100, 100, 180, 100},
                             {100, 100, 100, 100}, {100, 100, 100, 100}};
    QImage target;
    ScaleToBox(Grey(8, 8, [&](int x, int y) { return means[y / 2][x / 2] + 1; }), target, 4);
    ASSERT_EQ(target.size(), QSize(4, 4));
    EXPECT_EQ(GreyAt(target, 1, 1), 100);
    EXPECT_EQ(GreyAt(target, 2, 1), 220); // (12 * 180 - 400) / 8
    // Its upper-right diagonal is the sharpened 220, not 180: (1200 - 520) / 8.
    EXPECT_EQ(GreyAt(target, 1, 2), 85);
    EXPECT_EQ(GreyAt(target, 2, 2), 100);
    for (int i = 0; i < 4; ++i) { // the border stays as averaged
        EXPECT_EQ(GreyAt(target, i, 0), 100);
        EXPECT_EQ(GreyAt(target, 3, i), 100);
    }
}

TEST(ScaleToBox, SharpeningClampsToByteRange)
{
    const int means[3][3] = {{200, 0, 200}, {0, 10, 0}, {200, 0, 200}};
    QImage target;
    ScaleToBox(Grey(6, 6, [&](int x, int y) { return means[y / 2][x / 2] + 1; }), target, 3);
    EXPECT_EQ(GreyAt(target, 1, 1), 0); // (120 - 800) / 8 < 0

    const int bright[3][3] = {{0, 0, 0}, {0, 200, 0}, {0, 0, 0}};
    // Mean of a block of 0 + 1 is 0, so the diagonals add nothing.
    ScaleToBox(Grey(6, 6, [&](int x, int y) { return bright[y / 2][x / 2] + 1; }), target, 3);
    EXPECT_EQ(GreyAt(target, 1, 1), 255);
}

TEST(ScaleToBox, TwoRowTargetsAreNotSharpened)
{
    QImage target;
    ScaleToBox(Grey(8, 4, [](int x, int) { return x < 4 ? 0 : 201; }), target, 4);
    ASSERT_EQ(target.size(), QSize(4, 2));
    EXPECT_EQ(GreyAt(target, 1, 0), 0);
    EXPECT_EQ(GreyAt(target, 2, 0), 200);
}
