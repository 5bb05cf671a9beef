#include "images/codecs/TGAFile.h"

#include "TestData.h"

using namespace images;
using namespace images::testing;

namespace {

QByteArray TgaHeader(int imageType, int bits, int width, int height, int descriptor,
                     int colorMapType = 0, int mapLength = 0, int mapBits = 0)
{
    QByteArray h = Bytes({0, colorMapType, imageType});
    AppendU16(h, 0);
    AppendU16(h, mapLength);
    h += Bytes({mapBits});
    for (int v : {0, 0, width, height})
        AppendU16(h, v);
    h += Bytes({bits, descriptor});
    return h;
}

QImage Decoded(const QByteArray& file)
{
    TTGAFile tga;
    tga.Decode(file);
    return tga.Bitmap();
}

constexpr const char* kTgaError = "Not supported or invalid TGA-File";

} // namespace

TEST(TGAFile, ImageTypesAndDepthsAreChecked)
{
    const QImage grey = Decoded(TgaHeader(3, 8, 2, 1, 0x20) + Bytes({10, 250}));
    EXPECT_EQ(grey.format(), QImage::Format_Indexed8);
    EXPECT_EQ(grey.pixel(0, 0), qRgb(10, 10, 10)); // no colour map: a grey ramp
    EXPECT_EQ(grey.pixel(1, 0), qRgb(250, 250, 250));

    ExpectFormatError([] { Decoded(TgaHeader(4, 8, 1, 1, 0) + Bytes({1})); }, kTgaError);
    ExpectFormatError([] { Decoded(TgaHeader(2, 15, 1, 1, 0) + Bytes({1, 2})); }, kTgaError);
    // 4-bit pixels have no layout to decode; they are refused, not left blank.
    ExpectFormatError([] { Decoded(TgaHeader(1, 4, 2, 1, 0) + Bytes({0x12})); }, kTgaError);
}

TEST(TGAFile, DescriptorChoosesTheFirstStoredLine)
{
    const QByteArray lines = Bytes({0, 0, 255, /* next line */ 255, 0, 0}); // red, then blue
    const QImage bottomUp = Decoded(TgaHeader(2, 24, 1, 2, 0) + lines);
    EXPECT_EQ(bottomUp.pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(bottomUp.pixel(0, 0), qRgb(0, 0, 255));
    const QImage topDown = Decoded(TgaHeader(2, 24, 1, 2, 0x20) + lines);
    EXPECT_EQ(topDown.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(topDown.pixel(0, 1), qRgb(0, 0, 255));
}

TEST(TGAFile, RightToLeftLinesAreMirrored)
{
    const QImage image = Decoded(TgaHeader(2, 24, 3, 1, 0x30) + Bytes({1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(image.pixel(0, 0), qRgb(3, 3, 3));
    EXPECT_EQ(image.pixel(1, 0), qRgb(2, 2, 2));
    EXPECT_EQ(image.pixel(2, 0), qRgb(1, 1, 1));
}

TEST(TGAFile, PacketsNeverCarryIntoTheNextLine)
{
    // Line 0: a run of 3 for a width of 2; line 1 starts with a fresh raw packet.
    const QImage image = Decoded(TgaHeader(10, 24, 2, 2, 0x20)
                                 + Bytes({0x82, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0}));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 255));
}

TEST(TGAFile, ThirtyTwoBitPixelsSkipTheFourthByte)
{
    const QImage raw = Decoded(TgaHeader(2, 32, 2, 1, 0x20) + Bytes({1, 2, 3, 99, 4, 5, 6, 99}));
    EXPECT_EQ(raw.format(), kFormat24);
    EXPECT_EQ(raw.pixel(0, 0), qRgb(3, 2, 1));
    EXPECT_EQ(raw.pixel(1, 0), qRgb(6, 5, 4));
    const QImage packed = Decoded(TgaHeader(10, 32, 3, 1, 0x20)
                                  + Bytes({0x81, 1, 2, 3, 99, 0x00, 4, 5, 6, 99}));
    EXPECT_EQ(packed.pixel(0, 0), qRgb(3, 2, 1));
    EXPECT_EQ(packed.pixel(1, 0), qRgb(3, 2, 1));
    EXPECT_EQ(packed.pixel(2, 0), qRgb(6, 5, 4));
}

TEST(TGAFile, SixteenBitPixelsAndColourMaps)
{
    // 0x7C1F: red 31, green 0, blue 31.
    const QImage direct = Decoded(TgaHeader(2, 16, 1, 1, 0x20) + Bytes({0x1F, 0x7C}));
    EXPECT_EQ(direct.pixel(0, 0), qRgb(248, 0, 248));

    QByteArray mapped = TgaHeader(1, 8, 2, 1, 0x20, 1, 2, 24);
    mapped += Bytes({10, 20, 30, /* entry 1 */ 40, 50, 60, /* pixels */ 1, 0});
    const QImage image = Decoded(mapped);
    EXPECT_EQ(image.pixel(0, 0), qRgb(60, 50, 40));
    EXPECT_EQ(image.pixel(1, 0), qRgb(30, 20, 10));
}

TEST(TGAFile, OneBitPicturesAreBlackAndWhite)
{
    const QImage image = Decoded(TgaHeader(3, 1, 10, 1, 0x20) + Bytes({0xA0, 0x40}));
    EXPECT_EQ(image.format(), QImage::Format_Mono);
    const int expected[10] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(image.pixel(x, 0), expected[x] ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << x;
}

TEST(TGAFile, WrittenTrueColourFile)
{
    QImage image = Image24(2, 1, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    TTGAFile tga;
    tga.AssignBitmap(image);
    const QByteArray file = tga.Encode();

    QByteArray expected = Bytes({44, 0, 2, 0, 0, 0, 0, 24, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20});
    expected += kTgaIdentification;
    expected += Bytes({0x1A, 3, 2, 1, 6, 5, 4});
    EXPECT_EQ(file, expected);
    EXPECT_EQ(file.size(), 18 + 44 + 6);
    EXPECT_EQ(Decoded(file), image);
}

TEST(TGAFile, WrittenPaletteFileRoundTrips)
{
    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50), qRgb(9, 9, 9)});
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, i % 3);
    TTGAFile tga;
    tga.AssignBitmap(image);
    const QByteArray file = tga.Encode();
    EXPECT_EQ(file.left(8), Bytes({44, 1, 1, 0, 0, 0, 1, 24}));
    EXPECT_EQ(file.mid(62, 6), Bytes({3, 2, 1, 50, 100, 200})); // entries as blue, green, red
    EXPECT_EQ(file.size(), 18 + 44 + 768 + 6);
    const QImage back = Decoded(file);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(back.pixel(i % 3, i / 3), image.pixel(i % 3, i / 3));
}

TEST(TGAFile, ThirtyTwoBitBitmapsAreWrittenAsTwentyFourBit)
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 128));
    TTGAFile tga;
    tga.AssignBitmap(image);
    EXPECT_EQ(Decoded(tga.Encode()), Image24(2, 2, qRgb(10, 20, 30)));
}

TEST(TGAFile, BrokenAndLyingFilesAreRefused)
{
    struct Case {
        const char* what;
        QByteArray file;
    };
    const Case cases[] = {
        {"short header", TgaHeader(2, 24, 1, 1, 0).left(10)},
        {"truncated raw data", TgaHeader(2, 24, 4, 4, 0) + QByteArray(20, 1)},
        {"truncated packets", TgaHeader(10, 24, 4, 4, 0) + Bytes({0x03}) + QByteArray(19, 1)},
        {"size the data cannot fill", TgaHeader(10, 24, 65535, 65535, 0) + QByteArray(4000, 1)},
        {"empty picture", TgaHeader(2, 24, 0, 5, 0)},
        {"colour map of 8-bit entries", TgaHeader(1, 8, 1, 1, 0, 1, 2, 8) + Bytes({1, 2, 0})},
        {"identification past the end", Bytes({200}) + TgaHeader(2, 24, 1, 1, 0).mid(1) + Bytes({1, 2, 3})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectFormatError([&] { Decoded(c.file); }, kTgaError);
    }
}
