// Hand-made lying files and inputs kept from fuzzing (the largest of each
// target's corpus and those that once made a decoder slow or crash): every
// one must end in a picture or in EGraphicFormat, never in a crash or a huge
// allocation.

#include "fuzz/PictureFileInput.h"
#include "images/PictureFile.h"
#include "images/Thumbnail.h"
#include "images/codecs/Jpeg2000Bitmap.h"

#include "TestData.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace images;
using namespace images::testing;

namespace {

void LoadsOrRefuses(const QByteArray& data, const QString& extension)
{
    for (bool reduced : {false, true}) {
        QImage target;
        try {
            LoadPictureData(target, data, extension, reduced);
        } catch (const EGraphicFormat&) {
            continue;
        }
        EXPECT_LE(qint64(target.width()) * target.height(), kMaxBitmapPixels);
    }
}

} // namespace

TEST(HostileInput, TruncatedFilesOfEveryFormat)
{
    QTemporaryDir dir;
    const QImage image = Pattern24(64, 48);
    for (const char* ext : {"bmp", "jpg", "gif", "pcx", "png", "tif", "tga"}) {
        SCOPED_TRACE(ext);
        const QString path = dir.filePath(QString("p.") + ext);
        SavePictureFile(image, path, 90);
        const QByteArray whole = ReadFileBytes(path, "unreadable");
        for (qsizetype length : {qsizetype(0), qsizetype(1), qsizetype(17), whole.size() / 3,
                                 whole.size() - 1})
            LoadsOrRefuses(whole.left(length), ext);
    }
}

TEST(HostileInput, HeadersLyingAboutTheSize)
{
    // A JPEG header of 65000 x 65000 pixels and nothing after it.
    const QByteArray jpeg = Bytes({0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xFD, 0xE8, 0xFD, 0xE8,
                                   0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF,
                                   0xD9});
    QImage target;
    ExpectFormatError([&] { LoadPictureData(target, jpeg, "jpg", true); }, "JPEG loading error");

    // A JPEG 2000 code stream whose size field says 60000 x 60000 in one tile.
    images::TJpeg2000Bitmap jpeg2000;
    jpeg2000.bitmap = Pattern24(8, 8);
    const QByteArray jp2 = jpeg2000.Encode();
    QByteArray codeStream = jp2.mid(jp2.indexOf("jp2c") + 4);
    ASSERT_TRUE(codeStream.startsWith("\xFF\x4F\xFF\x51"));
    for (int offset : {8, 12, 24, 28}) // image and tile width and height
        codeStream.replace(offset, 4, Bytes({0, 0, 0xEA, 0x60}));
    ExpectFormatError([&] { LoadPictureData(target, codeStream, "j2k", false); },
                      "JPEG loading error: JPEG 2000 image decoding failed");

    QByteArray tga = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 8, 0});
    tga += QByteArray(1 << 16, char(0xFF)); // runs of 128: not enough for 65535 lines
    ExpectFormatError([&] { LoadPictureData(target, tga, "tga", false); },
                      "Not supported or invalid TGA-File");
}

// Fuzz finds are kept under fuzz/regressions/<extension>/, those of the
// LoadPictureFile fuzzer under fuzz/regressions/picturefile/.
// Pictures no thumbnail may be made of: one whose header claims a size no
// real picture has (refused before decoding, also at a reduced scale), one cut
// short (shown as far as it goes, but not cached), and a file too large to
// read (refused before it is read).
TEST(HostileInput, OversizedAndDamagedPicturesLeaveNoThumbnail)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source.jpg");
    SavePictureFile(Pattern24(800, 600), source, 90);
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    file.close();

    // Whole headers and the start of the scan; the frame header's height and
    // width say 60000 x 60000.
    QByteArray claiming = jpeg.left(jpeg.indexOf("\xFF\xDA") + 40);
    const qsizetype frame = claiming.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    claiming.replace(frame + 5, 4, Bytes({0xEA, 0x60, 0xEA, 0x60}));

    struct Case {
        const char* name;
        QByteArray data;   // empty: a sparse file just over the size limit
        const char* error; // what loading raises; nullptr: it gives a picture
    };
    const Case cases[] = {
        {"claims 60000 x 60000.jpg", claiming, "JPEG loading error"},
        {"cut in half.jpg", jpeg.left(jpeg.size() / 2), nullptr},
        {"too large.bmp", {}, "The picture file is too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        if (c.data.isEmpty())
            ASSERT_TRUE(out.resize(kMaxPictureFileBytes + 1));
        else
            out.write(c.data);
        out.close();

        for (bool reduced : {false, true}) {
            QImage target;
            try {
                LoadPictureFile(target, path, reduced);
                EXPECT_EQ(c.error, nullptr) << "reduced " << reduced;
                EXPECT_FALSE(target.isNull());
            } catch (const EGraphicFormat& e) {
                ASSERT_NE(c.error, nullptr) << e.what();
                EXPECT_TRUE(std::string(e.what()).starts_with(c.error)) << e.what();
            }
        }
        const QString thumbnail = dir.filePath("thumbnail.tmb");
        EXPECT_FALSE(MakeThumbnailFile(path, thumbnail, 170, QImage(), 75));
        EXPECT_FALSE(QFile::exists(thumbnail));
    }
}

TEST(HostileInput, KeptFuzzFindings)
{
    const QDir root(QStringLiteral(TQ7_SOURCE_DIR "/fuzz/regressions"));
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    int kept = 0;
    while (it.hasNext()) {
        ++kept;
        const QFileInfo file(it.next());
        SCOPED_TRACE(file.filePath().toStdString());
        const QByteArray data = ReadFileBytes(file.filePath(), "unreadable");
        if (file.dir().dirName() != "picturefile") {
            LoadsOrRefuses(data, file.dir().dirName());
        } else if (!data.isEmpty()) {
            QTemporaryDir dir;
            const QString path = dir.filePath("input." + fuzz::PictureFileExtension(data[0]));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(data.mid(1));
            out.close();
            QImage target;
            try {
                LoadPictureFile(target, path, fuzz::PictureFileReduced(data[0]));
            } catch (const EGraphicFormat&) {
            }
        }
    }
    EXPECT_GT(kept, 0) << "no kept inputs under " << root.path().toStdString();
}
