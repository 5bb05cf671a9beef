#include "images/codecs/PictureCodecs.h"

#include "images/codecs/PCXFile.h"
#include "images/codecs/TGAFile.h"

#include "TestData.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <memory>

using namespace images;
using namespace images::testing;

TEST(PictureCodecs, QtKnowsOurFormats)
{
    RegisterPictureCodecs();
    RegisterPictureCodecs(); // a second registration changes nothing
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    for (const char* format : {"pcx", "tga", "pcd", "jp2", "j2k", "jpc"}) {
        EXPECT_TRUE(readable.contains(format)) << format;
        EXPECT_EQ(writable.contains(format), QByteArray(format) != "pcd") << format;
    }
}

TEST(PictureCodecs, GenericLoadingUsesOurCodecsByExtension)
{
    RegisterPictureCodecs();
    QTemporaryDir dir;
    const QImage image = Pattern24(37, 21);
    for (const char* name : {"p.pcx", "p.jp2", "p.j2k", "p.jpc"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(name);
        QImageWriter writer(path);
        if (QByteArray(name) != "p.pcx")
            writer.setQuality(100); // Qt's quality; ours stays lossy unless asked
        ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
        QImage back(path);
        ASSERT_FALSE(back.isNull());
        EXPECT_EQ(back.size(), image.size());
    }
    QImage pcx(dir.filePath("p.pcx"));
    EXPECT_EQ(pcx.convertToFormat(kFormat24), image);
}

TEST(PictureCodecs, TgaFromQtWriterIsOurs)
{
    RegisterPictureCodecs();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "tga");
    ASSERT_TRUE(writer.write(Pattern24(4, 3)));
    TTGAFile tga;
    tga.AssignBitmap(Pattern24(4, 3));
    EXPECT_EQ(buffer.data(), tga.Encode());
}

TEST(PictureCodecs, ContentIsSniffedWithoutAnExtension)
{
    RegisterPictureCodecs();
    TPCXFile pcx;
    pcx.AssignBitmap(Pattern24(6, 5));
    QBuffer buffer;
    buffer.setData(pcx.Encode());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    EXPECT_EQ(reader.format(), "pcx");
    EXPECT_EQ(reader.read(), Pattern24(6, 5));
}

TEST(PictureCodecs, BadDataFailsQuietlyInQt)
{
    RegisterPictureCodecs();
    QBuffer buffer;
    buffer.setData(QByteArray("\x0A\x05\x01 not really a picture", 24));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "pcx");
    EXPECT_TRUE(reader.read().isNull());
}

// Qt's own TGA plugin, when installed, comes first for "tga" in QImageReader;
// our handler is what the plugin hands out and what LoadPictureFile uses.
TEST(PictureCodecs, TgaHandlerReadsColourMappedRunLengthFiles)
{
    QByteArray file = Bytes({0, 1, 9, 0, 0, 2, 0, 24, 0, 0, 0, 0, 3, 0, 1, 0, 8, 0x20});
    file += Bytes({10, 20, 30, 40, 50, 60, 0x81, 1, 0x00, 0});
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    std::unique_ptr<QImageIOHandler> handler(TPictureCodecsPlugin().create(&buffer, "tga"));
    ASSERT_TRUE(handler->canRead());
    QImage image;
    ASSERT_TRUE(handler->read(&image));
    EXPECT_EQ(image.pixel(0, 0), qRgb(60, 50, 40));
    EXPECT_EQ(image.pixel(1, 0), qRgb(60, 50, 40));
    EXPECT_EQ(image.pixel(2, 0), qRgb(30, 20, 10));
}

TEST(PictureCodecs, FileClassesWorkOnFiles)
{
    QTemporaryDir dir;
    const QImage image = Pattern24(11, 6);
    ASSERT_TRUE(image.save(dir.filePath("in.bmp"), "BMP"));
    QFile text(dir.filePath("in.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a bitmap");
    text.close();

    TPCXFile pcx;
    pcx.LoadBitmap(dir.filePath("in.bmp"));
    pcx.SaveToFile(dir.filePath("out.pcx"));
    TPCXFile pcxBack;
    pcxBack.LoadFromFile(dir.filePath("out.pcx"));
    EXPECT_EQ(pcxBack.Bitmap(), image);
    ExpectFormatError([&] { pcx.LoadBitmap(text.fileName()); }, "Invalid bitmapfile (PCX)");

    TTGAFile tga;
    tga.LoadBitmap(dir.filePath("in.bmp"));
    tga.SaveToFile(dir.filePath("out.tga"));
    TTGAFile tgaBack;
    tgaBack.LoadFromFile(dir.filePath("out.tga"));
    EXPECT_EQ(tgaBack.Bitmap(), image);
    ExpectFormatError([&] { tga.LoadBitmap(text.fileName()); }, "Invalid bitmapfile (TGA)");
}
