#include "TestImages.h"

#include "editor/effects/Distortions.h"

#include <gtest/gtest.h>

#include <limits>

using namespace effects;
using namespace effects::test;

TEST(Mosaic, BlockOfOneShiftsByOnePixel)
{
    const QImage src = noise24(6, 5);
    QImage out;
    Mosaic(src, out, 1, 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(at(out, x, y), at(src, std::min(x + 1, 5), std::min(y + 1, 4))) << x << "," << y;
}

TEST(Mosaic, BlocksShowOneSourcePixelAndBadSizesDoNothing)
{
    const QImage src = noise24(7, 4);
    QImage out;
    Mosaic(src, out, 3, 2);
    // Block columns 0-2, 3-5, 6 use source columns 2, 5, 6 (clamped); block rows 0-1, 2-3 use rows 1, 3.
    const int column[7] = {2, 2, 2, 5, 5, 5, 6};
    const int row[4] = {1, 1, 3, 3};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(at(out, x, y), at(src, column[x], row[y])) << x << "," << y;
    QImage untouched = flat24(1, 1, qRgb(1, 2, 3));
    Mosaic(src, untouched, 0, 4);
    Mosaic(src, untouched, 4, -1);
    EXPECT_EQ(untouched, flat24(1, 1, qRgb(1, 2, 3)));
}

TEST(Spray, RangeZeroCopiesAllButTheLastRowAndColumn)
{
    const QImage src = noise24(5, 4);
    QImage out = flat24(5, 4, qRgb(1, 2, 3));
    Spray(src, out, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(at(out, x, y), x == 4 || y == 3 ? qRgb(1, 2, 3) : at(src, x, y)) << x << "," << y;
}

TEST(Spray, PixelsComeFromTheNeighbourhood)
{
    const QImage src = image24(20, 20, [](int x, int y) { return qRgb(x, y, 0); });
    QImage out;
    Spray(src, out, 3);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const QRgb p = at(out, x, y);
            if (p == qRgb(255, 255, 255))
                continue; // not written: the displaced source fell off
            EXPECT_LE(std::abs(qRed(p) - x), 2);
            EXPECT_LE(std::abs(qGreen(p) - y), 2);
        }
}

TEST(Sand, SameForAllChannelsShiftsThemEqually)
{
    const QImage src = flat24(30, 30, qRgb(128, 128, 128));
    QImage out;
    Sand(src, out, 0, false);
    EXPECT_EQ(out, src);
    Sand(src, out, 10, true);
    bool changed = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const QRgb p = at(out, x, y);
            ASSERT_EQ(qRed(p), qGreen(p));
            ASSERT_EQ(qRed(p), qBlue(p));
            ASSERT_GE(qRed(p), 123);
            ASSERT_LE(qRed(p), 132);
            changed |= qRed(p) != 128;
        }
    EXPECT_TRUE(changed);
}

TEST(SineWave, ZeroAmplitudesCopyAndAVerticalWaveMovesRows)
{
    const QImage src = noise24(9, 9);
    QImage out;
    SineWave(src, out, 0, 0, 0, 0, 0, 0, false);
    EXPECT_EQ(out, src);
    // VDelta 1 and VStart 2: the first column reads rnd(sin(2) * 2) = 2 rows down.
    SineWave(src, out, 2, 1, 0, 1, 2, 0, false);
    EXPECT_EQ(at(out, 0, 0), at(src, 0, 2));
    EXPECT_EQ(at(out, 0, 8), at(src, 0, 8)); // shifted off the image: no shift
}

TEST(Distortions, ExtremeArgumentsStayInsideTheImage)
{
    const QImage src = noise24(6, 5);
    QImage out;
    Spray(src, out, std::numeric_limits<int>::max());
    EXPECT_EQ(out.size(), src.size());
    Mosaic(src, out, std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
    EXPECT_EQ(at(out, 0, 0), at(src, 5, 4));
    SineWave(src, out, std::numeric_limits<int>::max(), 1, std::numeric_limits<int>::min(), 1, 3, 3, true);
    EXPECT_EQ(out.size(), src.size());
    Sand(src, out, std::numeric_limits<int>::max(), false);
    EXPECT_EQ(out.size(), src.size());
}

TEST(Twirl, CentreStaysAndSourcesStayInside)
{
    const QImage src = noise24(7, 6);
    QImage out;
    Twirl(src, out, 0);
    EXPECT_EQ(at(out, 3, 3), at(src, 3, 3));
    Twirl(noise24(1, 1), out, 5);
    EXPECT_EQ(out.size(), QSize(1, 1));
}

TEST(FishEye, CentreShowsItselfAndOutsideIsBlack)
{
    const QImage src = noise24(8, 6);
    QImage out;
    FishEye(src, out, 0.3);
    EXPECT_EQ(at(out, 4, 3), at(src, 4, 3));
    // (5, 3): d = 1, f = 2.4, k = 1.2 * (1 / (1 - 1 / 2.4) - 1) = 0.857: column trunc(4.857) = 4.
    EXPECT_EQ(at(out, 5, 3), at(src, 4, 3));
    // (7, 3): d = 3 > f: k = 1.2 * (1 / (1 - 1.25) - 1) = -6, column trunc(3 * -6 / 3 + 4) = -2: black.
    EXPECT_EQ(at(out, 7, 3), qRgb(0, 0, 0));
    FishEye(src, out, 0.5); // the corner lies beyond the lens radius: its source is off the image
    EXPECT_EQ(at(out, 0, 0), qRgb(0, 0, 0));
}
