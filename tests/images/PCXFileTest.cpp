#include "images/codecs/PCXFile.h"

#include "TestData.h"

#include <QBuffer>

using namespace images;
using namespace images::testing;

namespace {

// A 128-byte header for width x height with the given layout.
QByteArray PcxHeader(int version, int bitsPerPixel, int planes, int width, int height, int bytesPerLine)
{
    QByteArray h = Bytes({10, version, 1, bitsPerPixel});
    for (int v : {0, 0, width - 1, height - 1, 72, 72})
        AppendU16(h, v);
    QByteArray colormap(48, '\0');
    for (int i = 0; i < 48; ++i)
        colormap[i] = char(i * 5);
    h += colormap;
    h += Bytes({0, planes});
    for (int v : {bytesPerLine, 1, 0, 0})
        AppendU16(h, v);
    h += QByteArray(54, '\0');
    return h;
}

QByteArray Encoded(const QByteArray& plane)
{
    QByteArray out;
    EncodePCXPlane(reinterpret_cast<const uchar*>(plane.constData()), int(plane.size()), out);
    return out;
}

QImage Decoded(const QByteArray& file)
{
    TPCXFile pcx;
    pcx.Decode(file);
    return pcx.Bitmap();
}

} // namespace

TEST(PCXFile, RunLengthEncodingRules)
{
    EXPECT_EQ(Encoded(QByteArray(70, 0x41)), Bytes({0xFF, 0x41, 0xC7, 0x41})); // a run stops at 63
    EXPECT_EQ(Encoded(Bytes({0xC5})), Bytes({0xC1, 0xC5}));
    EXPECT_EQ(Encoded(Bytes({0x41})), Bytes({0x41}));
    EXPECT_EQ(Encoded(Bytes({1, 2, 2, 0xC0, 0xC0, 0xC0, 3})),
              Bytes({1, 0xC2, 2, 0xC3, 0xC0, 3}));
    EXPECT_EQ(Encoded(QByteArray(63, 7)), Bytes({0xFF, 7}));
    EXPECT_EQ(Encoded(QByteArray(64, 7)), Bytes({0xFF, 7, 7}));
}

TEST(PCXFile, Version3IsRefused)
{
    ExpectFormatError([] { Decoded(PcxHeader(3, 8, 1, 1, 1, 1) + Bytes({5})); },
                      "Invalid PCX Version (Ver.5 needed)");
}

TEST(PCXFile, TrueColourFileIsWrittenByteForByte)
{
    QImage image = Image24(2, 1, qRgb(0xC8, 0x10, 0x10));
    image.setPixel(1, 0, qRgb(0xC8, 0x10, 0x20));
    TPCXFile pcx;
    pcx.AssignBitmap(image);
    const QByteArray file = pcx.Encode();

    QByteArray expected = Bytes({10, 5, 1, 8});
    for (int v : {0, 0, 1, 0, 2, 1}) // XMin, YMin, XMax, YMax, then width and height
        AppendU16(expected, v);
    expected += QByteArray(48, '\0');
    expected += Bytes({0, 3});
    for (int v : {2, 1, 0, 0})
        AppendU16(expected, v);
    expected += QByteArray(54, '\0');
    expected += Bytes({0xC2, 0xC8, 0xC2, 0x10, 0x10, 0x20, 12}); // red, green, blue planes
    EXPECT_EQ(file, expected);
    EXPECT_EQ(Decoded(file), image);
}

TEST(PCXFile, PaletteFileRoundTripsWithItsPalette)
{
    QImage image(3, 2, QImage::Format_Indexed8);
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, 255 - i, i / 2));
    image.setColorTable(palette);
    const uchar indices[6] = {0, 200, 200, 255, 7, 7};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, indices[i]);

    TPCXFile pcx;
    pcx.AssignBitmap(image);
    const QByteArray file = pcx.Encode();
    EXPECT_EQ(quint8(file[65]), 1);
    EXPECT_EQ(quint8(file[66]), 3); // bytes per line: the width, not rounded to even
    EXPECT_EQ(quint8(file[16]), 0); // colour map holds the first 16 palette entries
    EXPECT_EQ(quint8(file[17 + 3]), 254);
    EXPECT_EQ(quint8(file[file.size() - 769]), 12);
    const QImage back = Decoded(file);
    EXPECT_EQ(back.format(), QImage::Format_Indexed8);
    EXPECT_EQ(back.colorTable(), palette);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(back.pixelIndex(i % 3, i / 3), indices[i]);
}

TEST(PCXFile, PaletteFileWithoutPaletteMarkerKeepsTheDefaultPalette)
{
    const QImage image = Decoded(PcxHeader(5, 8, 1, 2, 1, 2) + Bytes({9, 0xC1, 200}));
    EXPECT_EQ(image.colorTable(), GreyPalette());
    EXPECT_EQ(image.pixelIndex(0, 0), 9);
    EXPECT_EQ(image.pixelIndex(1, 0), 200);
}

TEST(PCXFile, RunPastThePlaneEndIsOverwrittenByTheNextPlane)
{
    // Plane 0 gets a run of three bytes for two; planes 1 and 2 start at
    // their own offsets.
    const QImage image = Decoded(PcxHeader(5, 8, 3, 2, 1, 2)
                                 + Bytes({0xC3, 0x10, 0x20, 0x21, 0x30, 0x31, 12}));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x10, 0x21, 0x31));
}

TEST(PCXFile, SixteenColourPlanesAreDecoded)
{
    // Pixel x takes bit (7 - x) of each plane; plane p gives bit p of the index.
    const QImage image = Decoded(PcxHeader(5, 1, 4, 3, 1, 1) + Bytes({0x80, 0x40, 0xC1, 0xE0, 0x20}));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.pixelIndex(0, 0), 0b0101);
    EXPECT_EQ(image.pixelIndex(1, 0), 0b0110);
    EXPECT_EQ(image.pixelIndex(2, 0), 0b1100);
    EXPECT_EQ(image.color(5), qRgb(75, 80, 85)); // from the header's colour map
}

TEST(PCXFile, StreamsStartAtPositionZero)
{
    TPCXFile pcx;
    pcx.AssignBitmap(Pattern24(5, 4));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    pcx.SaveToStream(buffer);
    TPCXFile back;
    back.LoadFromStream(buffer); // the position is at the end after writing
    EXPECT_EQ(back.Bitmap(), Pattern24(5, 4));
}

TEST(PCXFile, LinesThatDoNotFitAreRefused)
{
    struct Case {
        const char* what;
        QByteArray file;
    };
    const Case cases[] = {
        {"truncated data", PcxHeader(5, 8, 1, 4, 2, 4) + Bytes({1, 2, 3})},
        {"short header", PcxHeader(5, 8, 1, 4, 2, 4).left(100)},
        {"width beyond the line", PcxHeader(5, 8, 3, 40, 1, 4) + QByteArray(120, 1)},
        {"line beyond 64 KiB", PcxHeader(5, 8, 3, 30000, 1, 30000) + QByteArray(3000, char(0xFF))},
        {"height the data cannot fill", PcxHeader(5, 8, 1, 60000, 60000, 60000) + QByteArray(64, 1)},
        {"XMin beyond XMax", PcxHeader(5, 8, 1, 1, 1, 4).replace(4, 1, Bytes({5})) + QByteArray(8, 1)},
        {"unknown layout", PcxHeader(5, 2, 2, 4, 1, 4) + QByteArray(8, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectFormatError([&] { Decoded(c.file); }, "PCX Error");
    }
}
