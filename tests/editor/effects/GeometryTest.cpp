#include "TestImages.h"

#include "editor/effects/Geometry.h"
#include "editor/effects/Resample.h"

#include <gtest/gtest.h>

#include <limits>

using namespace effects;
using namespace effects::test;

namespace {

QImage numbered(int w, int h)
{
    return image24(w, h, [w](int x, int y) { return qRgb(10 * (y * w + x) + 5, x, y); });
}

} // namespace

TEST(Rotate, NinetyDegreesEnlargedTurnsFourByTwoClockwise)
{
    const QImage src = numbered(4, 2);
    QImage out;
    Rotate(src, out, 90, {}, 0x0000FF, true, 1, 2);
    ASSERT_EQ(out.size(), QSize(2, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(at(out, x, y), at(src, y, 1 - x)) << x << "," << y;
}

TEST(Rotate, WithoutEnlargingUncoveredCornersGetTheBackground)
{
    const QImage src = numbered(4, 2);
    QImage out;
    Rotate(src, out, 90, {}, 0x00302010, false, 1, 2); // 0x00BBGGRR
    ASSERT_EQ(out.size(), QSize(4, 2));
    const QRgb background = qRgb(0x10, 0x20, 0x30);
    EXPECT_EQ(at(out, 0, 0), background);
    EXPECT_EQ(at(out, 3, 1), background);
    EXPECT_EQ(at(out, 1, 0), at(src, 1, 1));
    EXPECT_EQ(at(out, 2, 1), at(src, 2, 0));
}

TEST(Rotate, ZeroDegreesIsIdentityAndRotate32UsesTheSameMapping)
{
    const QImage src = noise24(9, 7);
    QImage out;
    Rotate(src, out, 0, {}, 0, true, 3, 4);
    EXPECT_EQ(out, src);
    Rotate(src, out, 30, {}, 0x000000, true, 3, 4);
    QImage out32;
    Rotate32(src.convertToFormat(QImage::Format_ARGB32), out32, 30, 4, 3, true, 0xFF000000u);
    ASSERT_EQ(out32.size(), out.size());
    EXPECT_EQ(out32.convertToFormat(QImage::Format_BGR888), out);
}

TEST(Rotate, CentresFarOffTheImageGiveBackground)
{
    QImage out;
    Rotate(noise24(4, 3), out, 30, {}, 0x000000, false, std::numeric_limits<int>::max(),
           std::numeric_limits<int>::min());
    EXPECT_EQ(out, flat24(4, 3, qRgb(0, 0, 0)));
}

TEST(Rotate, ReportsProgressFromTheBottomRow)
{
    std::vector<int> positions;
    QImage out;
    Rotate(noise24(3, 4), out, 45, [&](int lo, int hi, int pos) {
        EXPECT_EQ(lo, 0);
        EXPECT_EQ(hi, 100);
        positions.push_back(pos);
    }, 0, false, 2, 1);
    EXPECT_EQ(positions, (std::vector<int>{25, 50, 75, 100}));
}

TEST(Flip, VerticalAndHorizontal)
{
    const QImage src = numbered(3, 2);
    QImage v, h;
    FlipVertical(src, v);
    FlipHorizontal(src, h);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(at(v, x, y), at(src, x, 1 - y));
            EXPECT_EQ(at(h, x, y), at(src, 2 - x, y));
        }
}

TEST(Resample, SameSizeWithBoxKernelIsIdentity)
{
    const QImage src = noise24(13, 9);
    QImage out;
    Resample(src, out, 13, 9, {}, 3, BoxFilter);
    EXPECT_EQ(out, src);
}

TEST(Resample, KernelValues)
{
    EXPECT_FLOAT_EQ(BoxFilter(0.5f), 1);
    EXPECT_FLOAT_EQ(BoxFilter(-0.5f), 0);
    EXPECT_FLOAT_EQ(TriangleFilter(0.25f), 0.75f);
    EXPECT_FLOAT_EQ(HermiteFilter(0.5f), 0.5f);
    EXPECT_FLOAT_EQ(BellFilter(1), 0.125f);
    EXPECT_FLOAT_EQ(SplineFilter(0), 2.0f / 3);
    EXPECT_FLOAT_EQ(SplineFilter(1), 1.0f / 6);
    EXPECT_FLOAT_EQ(Lanczos3Filter(0), 1);
    EXPECT_NEAR(Lanczos3Filter(1), 0, 1e-6);
    EXPECT_FLOAT_EQ(Lanczos3Filter(3), 0);
    EXPECT_FLOAT_EQ(MitchellFilter(0), 16.0f / 18);
    EXPECT_NEAR(MitchellFilter(1), 1.0f / 18, 1e-6);
}

TEST(Resample, FlatImagesStayFlatWhenShrinkingAndGrowing)
{
    QImage out;
    Resample(flat24(40, 30, qRgb(200, 100, 0)), out, 20, 15, {}, 3, TriangleFilter);
    ASSERT_EQ(out.size(), QSize(20, 15));
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_NEAR(qRed(at(out, x, y)), 200, 1);
    Resample(flat24(5, 4, qRgb(200, 100, 0)), out, 11, 9, {}, 3, TriangleFilter);
    EXPECT_EQ(at(out, 10, 8), qRgb(200, 100, 0));
}

TEST(Resample, TinyAndEmptyImagesStayInside)
{
    QImage out;
    // One pixel each way: the scale (new - 1) / (old - 1) would divide by zero.
    Resample(flat24(1, 1, qRgb(9, 8, 7)), out, 3, 2, {}, 3, Lanczos3Filter);
    ASSERT_EQ(out.size(), QSize(3, 2));
    EXPECT_EQ(at(out, 2, 1), qRgb(9, 8, 7));
    Resample(flat24(6, 5, qRgb(9, 8, 7)), out, 1, 1, {}, 3, BoxFilter);
    ASSERT_EQ(out.size(), QSize(1, 1));
    EXPECT_EQ(at(out, 0, 0), qRgb(9, 8, 7));
    // A 2 x 2 source is smaller than the Lanczos window: mirrored indexes are limited.
    Resample(flat24(2, 2, qRgb(50, 60, 70)), out, 7, 7, {}, 3, Lanczos3Filter);
    EXPECT_NEAR(qGreen(at(out, 3, 3)), 60, 1);
    Resample(QImage(), out, 4, 3);
    EXPECT_EQ(out.size(), QSize(4, 3));
}

TEST(FitToBox, ScalesWithAspectKeptAndCentres)
{
    QImage out;
    FitToBox(flat24(100, 50, qRgb(255, 0, 0)), out, 40, 40, false, 0x00FF0000, true);
    ASSERT_EQ(out.size(), QSize(40, 40));
    EXPECT_EQ(at(out, 0, 0), qRgb(0, 0, 255));  // background 0x00BBGGRR
    EXPECT_EQ(at(out, 20, 9), qRgb(0, 0, 255));
    EXPECT_EQ(at(out, 20, 10), qRgb(255, 0, 0));
    EXPECT_EQ(at(out, 39, 29), qRgb(255, 0, 0));
    EXPECT_EQ(at(out, 20, 30), qRgb(0, 0, 255));
}

TEST(FitToBox, KeepsSmallPicturesUnscaledAndDrawsAtTopLeftWithoutCentre)
{
    QImage out;
    FitToBox(flat24(4, 2, qRgb(0, 255, 0)), out, 10, 10, true, 0, true);
    EXPECT_EQ(at(out, 3, 4), qRgb(0, 255, 0));
    EXPECT_EQ(at(out, 6, 5), qRgb(0, 255, 0));
    EXPECT_EQ(at(out, 2, 4), qRgb(0, 0, 0));
    EXPECT_EQ(at(out, 7, 4), qRgb(0, 0, 0));
    FitToBox(flat24(4, 8, qRgb(0, 255, 0)), out, 10, 10, false, 0, false);
    EXPECT_EQ(at(out, 4, 9), qRgb(0, 255, 0)); // drawn 5 x 10 at the top left
    EXPECT_EQ(at(out, 5, 0), qRgb(0, 0, 0));
}
