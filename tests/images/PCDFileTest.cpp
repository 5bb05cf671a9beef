#include "images/codecs/PCDFile.h"

#include "TestData.h"

using namespace images;
using namespace images::testing;

namespace {

constexpr int kBase = 0x30000;
constexpr int kGroup = 768 * 3;

// A PhotoCD file of neutral grey (Y 100, C1 156, C2 137) with the given
// orientation byte; `luma` sets single luma samples (row, column, value).
QByteArray PcdFile(int orientation, std::initializer_list<std::array<int, 3>> luma = {})
{
    QByteArray file(kBase + 256 * kGroup, '\0');
    file[72] = char(orientation);
    for (int pair = 0; pair < 256; ++pair) {
        char* group = file.data() + kBase + pair * kGroup;
        std::memset(group, 100, 768 * 2);
        std::memset(group + 768 * 2, 156, 384);
        std::memset(group + 768 * 2 + 384, 137, 384);
    }
    for (const auto& [row, column, value] : luma)
        file[kBase + (row / 2) * kGroup + (row % 2) * 768 + column] = char(value);
    return file;
}

QImage Decoded(const QByteArray& file)
{
    TPCDFile pcd;
    pcd.Decode(file);
    return pcd.Bitmap();
}

} // namespace

TEST(PCDFile, YccConversionRoundsAndClamps)
{
    EXPECT_EQ(PhotoYccToRgb(100, 156, 137), qRgb(141, 141, 141)); // 140.7488
    EXPECT_EQ(PhotoYccToRgb(50, 180, 120), qRgb(48, 72, 119));
    EXPECT_EQ(PhotoYccToRgb(0, 0, 0), qRgb(0, 154, 0));
    EXPECT_EQ(PhotoYccToRgb(255, 255, 255), qRgb(255, 240, 255)); // G = 240.2
}

TEST(PCDFile, OrientationByteChoosesTheShape)
{
    struct Case {
        int byte;
        QSize size;
    };
    for (const Case& c : {Case{8, {768, 512}}, Case{0x48, {768, 512}}, Case{0, {512, 768}},
                          Case{9, {512, 768}}, Case{0x88, {768, 512}}}) {
        SCOPED_TRACE(c.byte);
        const QImage image = Decoded(PcdFile(c.byte));
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), kFormat24);
    }
}

TEST(PCDFile, PixelsLandWhereTheOrientationSays)
{
    const QImage lying = Decoded(PcdFile(8, {{0, 5, 0}, {3, 700, 200}}));
    EXPECT_EQ(lying.pixel(5, 0), qRgb(0, 0, 0));
    EXPECT_EQ(lying.pixel(700, 3), qRgb(255, 255, 255));
    EXPECT_EQ(lying.pixel(6, 0), qRgb(141, 141, 141));

    // Upright pictures turn a quarter anticlockwise: (row r, column x) goes
    // to bitmap row 767 - x, column r.
    const QImage upright = Decoded(PcdFile(0, {{0, 5, 0}, {3, 700, 200}}));
    EXPECT_EQ(upright.pixel(0, 762), qRgb(0, 0, 0));
    EXPECT_EQ(upright.pixel(3, 67), qRgb(255, 255, 255));
    EXPECT_EQ(upright.pixel(0, 761), qRgb(141, 141, 141));
}

TEST(PCDFile, TruncatedFileIsRefused)
{
    ExpectFormatError([] { Decoded(PcdFile(8).left(kBase + 1000)); }, "Invalid PCD-File");
    ExpectFormatError([] { Decoded(QByteArray(50, 'x')); }, "Invalid PCD-File");
}
