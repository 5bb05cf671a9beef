#include "images/PictureFile.h"

#include "images/Jpeg.h"
#include "images/codecs/Jpeg2000Bitmap.h"
#include "images/codecs/PCXFile.h"

#include "TestData.h"

#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

using namespace images;
using namespace images::testing;

namespace {

void WriteBytes(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QImage Loaded(const QString& path, bool reduced)
{
    QImage target;
    LoadPictureFile(target, path, reduced);
    return target;
}

} // namespace

TEST(PictureFile, ReducedJpegScaleKeepsTheWidthAbove70)
{
    EXPECT_EQ(ReducedJpegScale(800), 8); // 100 > 70
    EXPECT_EQ(ReducedJpegScale(400), 4); // 50, then 100
    EXPECT_EQ(ReducedJpegScale(140), 1); // 140 / 2 = 70 is not above 70
    EXPECT_EQ(ReducedJpegScale(141), 2);
    EXPECT_EQ(ReducedJpegScale(561), 8);
    EXPECT_EQ(ReducedJpegScale(560), 4);
}

TEST(PictureFile, ReducedJpegIsDecodedSmallerByTheDecoder)
{
    QTemporaryDir dir;
    struct Case {
        int width;
        QSize reduced;
    };
    for (const Case& c : {Case{800, {100, 60}}, Case{400, {100, 60}}, Case{140, {140, 240}}}) {
        SCOPED_TRACE(c.width);
        const int height = c.width == 140 ? 240 : c.width * 3 / 5;
        const QString path = dir.filePath(QString("p%1.jpg").arg(c.width));
        WriteBytes(path, EncodeJpeg(Image24(c.width, height, qRgb(30, 160, 90)), 95));
        EXPECT_EQ(Loaded(path, true).size(), c.reduced);
        const QImage full = Loaded(path, false);
        EXPECT_EQ(full.size(), QSize(c.width, height));
        EXPECT_EQ(full.format(), kFormat24);
        EXPECT_NEAR(qGreen(full.pixel(5, 5)), 160, 2);
    }
}

TEST(PictureFile, TiffExtensionInCapitalsIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("scan.TIFF");
    ASSERT_TRUE(QImageWriter(path, "tiff").write(Pattern24(30, 20)));
    const QImage image = Loaded(path, false);
    EXPECT_EQ(image.format(), kFormat24);
    EXPECT_EQ(image, Pattern24(30, 20));
}

TEST(PictureFile, TifIsWrittenAndReadTiffIsNotWritten)
{
    QTemporaryDir dir;
    const QImage image = Pattern24(12, 7);
    SavePictureFile(image, dir.filePath("a.tif"), 100);
    QFile tif(dir.filePath("a.tif"));
    ASSERT_TRUE(tif.open(QIODevice::ReadOnly));
    const QByteArray start = tif.read(4);
    EXPECT_TRUE(start == QByteArray("II*\0", 4) || start == QByteArray("MM\0*", 4));
    EXPECT_EQ(Loaded(dir.filePath("a.tif"), false), image);

    ExpectFormatError([&] { SavePictureFile(image, dir.filePath("b.tiff"), 100); },
                      "Pictures cannot be saved as \".tiff\" files");
    EXPECT_FALSE(QFile::exists(dir.filePath("b.tiff")));
    EXPECT_THROW(SavePictureFile(image, dir.filePath("c.wmf"), 100), EGraphicFormat);
    EXPECT_FALSE(QFile::exists(dir.filePath("c.wmf")));
}

TEST(PictureFile, EveryWrittenFormatReadsBack)
{
    QTemporaryDir dir;
    const QImage image = Pattern24(41, 23);
    for (const char* ext : {"bmp", "png", "pcx", "tga", "tif"}) {
        SCOPED_TRACE(ext);
        const QString path = dir.filePath(QString("x.") + ext);
        SavePictureFile(image, path, 100);
        EXPECT_EQ(Loaded(path, false).convertToFormat(kFormat24), image);
    }
    SavePictureFile(Image24(41, 23, qRgb(200, 100, 50)), dir.filePath("x.jpeg"), 100);
    const QImage jpeg = Loaded(dir.filePath("x.jpeg"), false);
    ASSERT_EQ(jpeg.size(), image.size());
    EXPECT_NEAR(qRed(jpeg.pixel(20, 10)), 200, 2);
    EXPECT_NEAR(qBlue(jpeg.pixel(20, 10)), 50, 2);
}

TEST(PictureFile, GifIsQuantisedToThePicturesOwnColours)
{
    QTemporaryDir dir;
    QImage few = Image24(9, 5, qRgb(10, 20, 30));
    few.setPixel(3, 3, qRgb(250, 0, 0));
    few.setPixel(4, 4, qRgb(0, 0, 250));
    SavePictureFile(few, dir.filePath("few.gif"), 100);
    EXPECT_EQ(Loaded(dir.filePath("few.gif"), false), few); // up to 256 colours stay exact

    // More colours than a palette holds: every pixel takes a near colour.
    const QImage many = Pattern24(64, 64);
    SavePictureFile(many, dir.filePath("many.gif"), 100);
    const QImage back = Loaded(dir.filePath("many.gif"), false);
    ASSERT_EQ(back.size(), many.size());
    QSet<QRgb> colours;
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb a = many.pixel(x, y);
            const QRgb b = back.pixel(x, y);
            colours.insert(b);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(colours.size(), 256);
    EXPECT_LE(worst, 64);
}

TEST(PictureFile, ReducedModeScalesOtherFormatsIntoTheBox)
{
    QTemporaryDir dir;
    for (const char* ext : {"png", "bmp", "pcx", "tga", "gif", "tif"}) {
        SCOPED_TRACE(ext);
        const QString path = dir.filePath(QString("big.") + ext);
        SavePictureFile(Image24(400, 200, qRgb(0, 0, 255)), path, 100);
        const QImage image = Loaded(path, true);
        EXPECT_EQ(image.size(), QSize(170, 85));
        EXPECT_EQ(image.format(), kFormat24);
    }
}

TEST(PictureFile, MissingFilesAndUnknownExtensionsLeaveTheTargetAlone)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath("notes.txt"), "hello");
    const QImage before = Pattern24(3, 3);
    for (const char* name : {"missing.jpg", "notes.txt"}) {
        QImage target = before;
        LoadPictureFile(target, dir.filePath(name), false);
        EXPECT_EQ(target, before) << name;
    }
}

TEST(PictureFile, DecodingFailuresRaiseTheirMessages)
{
    struct Case {
        const char* extension;
        QByteArray data;
        std::string message;
        bool oneByOne;
    };
    const Case cases[] = {
        {"jpg", "not a jpeg", "JPEG loading error", true},
        {"tmb", QByteArray("\xFF\xD8\xFF\xC0\x00\x11", 6), "JPEG loading error", true},
        {"jp2", "GIF89a", "JPEG loading error: Unknown JPEG 2000 file type", true},
        {"j2k", QByteArray("\xFF\x4F\xFF\x51\x00", 5),
         "JPEG loading error: JPEG 2000 image decoding failed", true},
        {"gif", "GIF89a\x01", "GIF loading error", false},
        {"wmf", "\xD7\xCD\xC6\x9A", "WMF pictures: format not supported", false},
        {"pcx", QByteArray(200, '\x0A'), "Invalid PCX Version (Ver.5 needed)", false},
        {"tga", QByteArray(10, '\x01'), "Not supported or invalid TGA-File", false},
        {"pcd", QByteArray(100, '\0'), "Invalid PCD-File", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        QImage target = Pattern24(5, 5);
        ExpectFormatError([&] { LoadPictureData(target, c.data, c.extension, false); }, c.message);
        EXPECT_EQ(target.size(), c.oneByOne ? QSize(1, 1) : QSize(5, 5));
    }
    QImage target;
    EXPECT_THROW(LoadPictureData(target, "BM broken", "bmp", false), EGraphicFormat);
    EXPECT_THROW(LoadPictureData(target, "\x89PNG broken", "png", false), EGraphicFormat);
    EXPECT_THROW(LoadPictureData(target, "II*\0 broken", "tif", false), EGraphicFormat);
}

TEST(PictureFile, PaletteAndAlphaPicturesKeepTheirDepth)
{
    QTemporaryDir dir;
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 128, 0)});
    indexed.fill(1);
    SavePictureFile(indexed, dir.filePath("i.bmp"), 100);
    EXPECT_EQ(Loaded(dir.filePath("i.bmp"), false).format(), QImage::Format_Indexed8);
    SavePictureFile(indexed, dir.filePath("i.pcx"), 100);
    EXPECT_EQ(Loaded(dir.filePath("i.pcx"), false).pixel(2, 2), qRgb(255, 128, 0));

    QImage alpha(4, 4, QImage::Format_ARGB32);
    alpha.fill(qRgba(10, 20, 30, 40));
    SavePictureFile(alpha, dir.filePath("a.png"), 100);
    EXPECT_EQ(Loaded(dir.filePath("a.png"), false), alpha);
}

TEST(PictureFile, GifTransparencyIsOff)
{
    // 2 x 1 pixels, palette red and blue, index 1 (blue) marked transparent.
    const QByteArray gif = Bytes({0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x01, 0x00, 0xF0,
                                  0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x21, 0xF9, 0x04,
                                  0x01, 0x00, 0x00, 0x01, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x02,
                                  0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x0A, 0x00, 0x3B});
    QImage target;
    LoadPictureData(target, gif, "gif", false);
    EXPECT_EQ(target.format(), kFormat24);
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(1, 0), qRgb(0, 0, 255));
}

// Scanners and print work make JPEGs of ink (inverted CMYK, as Adobe's
// programs and ImageMagick write them), plain or as YCCK: four blocks of red,
// green, blue and white.
TEST(PictureFile, InkJpegsDecodeToRgb)
{
    for (const char* name : {"cmyk-32x8.jpg", "ycck-32x8.jpg"}) {
        SCOPED_TRACE(name);
        const QImage picture = Loaded(QString(TQ7_SOURCE_DIR "/tests/images/data/") + name, false);
        ASSERT_EQ(picture.size(), QSize(32, 8));
        EXPECT_EQ(picture.format(), kFormat24);
        const QRgb expected[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
        for (int block = 0; block < 4; ++block) {
            const QRgb got = picture.pixel(block * 8 + 4, 4);
            EXPECT_NEAR(qRed(got), qRed(expected[block]), 6) << block;
            EXPECT_NEAR(qGreen(got), qGreen(expected[block]), 6) << block;
            EXPECT_NEAR(qBlue(got), qBlue(expected[block]), 6) << block;
        }
    }
}

// TIFF and JPEG 2000 pictures are drawn onto a new (white) 24-bit bitmap:
// a pixel with alpha shows blended with the white, not in its raw colour.
TEST(PictureFile, AlphaIsBlendedOntoTheWhiteTarget)
{
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 64));
    picture.setPixel(1, 0, qRgba(0, 0, 255, 255));
    picture.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const QRgb blended[3] = {qRgb(255, 191, 191), qRgb(0, 0, 255), qRgb(255, 255, 255)};

    QTemporaryDir dir;
    TJpeg2000Bitmap jpeg2000;
    jpeg2000.bitmap = picture;
    jpeg2000.SetLossless(true);
    WriteBytes(dir.filePath("a.jp2"), jpeg2000.Encode());
    QImageWriter tiff(dir.filePath("a.tif"), "tiff");
    ASSERT_TRUE(tiff.write(picture));

    for (const char* name : {"a.jp2", "a.tif"}) {
        SCOPED_TRACE(name);
        const QImage target = Loaded(dir.filePath(name), false);
        ASSERT_EQ(target.size(), QSize(3, 1));
        EXPECT_EQ(target.format(), kFormat24);
        for (int x = 0; x < 3; ++x) {
            const QRgb got = target.pixel(x, 0);
            EXPECT_NEAR(qRed(got), qRed(blended[x]), 1) << x;
            EXPECT_NEAR(qGreen(got), qGreen(blended[x]), 1) << x;
            EXPECT_NEAR(qBlue(got), qBlue(blended[x]), 1) << x;
        }
    }
}
