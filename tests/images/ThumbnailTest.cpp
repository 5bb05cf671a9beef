#include "images/Thumbnail.h"

#include "images/Jpeg.h"
#include "images/PictureFile.h"

#include "TestData.h"

#include <QFile>
#include <QTemporaryDir>

using namespace images;
using namespace images::testing;

namespace {

QImage Read(const QString& path)
{
    QImage image;
    LoadPictureFile(image, path, false);
    return image;
}

} // namespace

TEST(Thumbnail, JpegSourceGivesABaselineJpegOfTheWidth)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("12_3.jpg");
    SavePictureFile(Image24(800, 600, qRgb(200, 40, 40)), source, 100);
    const QString target = dir.filePath("12_3.tmb");
    ASSERT_TRUE(MakeThumbnailFile(source, target, 170, QImage(), 75));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    EXPECT_TRUE(data.contains(QByteArray("\xFF\xC0", 2))); // baseline frame
    EXPECT_FALSE(data.contains(QByteArray("\xFF\xC2", 2)));
    const QImage thumbnail = Read(target);
    EXPECT_EQ(thumbnail.size(), QSize(170, 128)); // 127.5 rounds to even
    EXPECT_NEAR(qRed(thumbnail.pixel(80, 60)), 200, 4);
}

TEST(Thumbnail, OtherFormatsAndTheGivenBitmap)
{
    QTemporaryDir dir;
    SavePictureFile(Image24(300, 100, qRgb(0, 0, 250)), dir.filePath("a.pcx"), 100);
    ASSERT_TRUE(MakeThumbnailFile(dir.filePath("a.pcx"), dir.filePath("a.tmb"), 170, QImage(), 100));
    EXPECT_EQ(Read(dir.filePath("a.tmb")).size(), QSize(170, 57));

    // No source file: the bitmap is used.
    ASSERT_TRUE(MakeThumbnailFile(dir.filePath("gone.jpg"), dir.filePath("b.tmb"), 170,
                                  Image24(50, 100, qRgb(9, 9, 9)), 100));
    EXPECT_EQ(Read(dir.filePath("b.tmb")).size(), QSize(170, 340));
}

TEST(Thumbnail, FailuresRemoveTheOldTargetAndReturnFalse)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("t.tmb");
    QFile stale(target);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    EXPECT_FALSE(MakeThumbnailFile(dir.filePath("gone.jpg"), target, 170, QImage(), 75));
    EXPECT_FALSE(QFile::exists(target));

    QFile broken(dir.filePath("broken.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a jpeg");
    broken.close();
    EXPECT_FALSE(MakeThumbnailFile(broken.fileName(), target, 170, Image24(5, 5, 0), 75));
    EXPECT_FALSE(QFile::exists(target));
}

// The height keeps the aspect ratio of the full picture, also where a JPEG is
// decoded reduced (1360 x 467 at 1/8 is 170 x 59), and the picture is
// stretched by dropping columns, not blended: columns of alternating black
// and white give a black or a white thumbnail, never grey. (A JPEG source
// loses such columns in its own coding, so only the PNG shows it.)
TEST(Thumbnail, SizeFollowsTheFullPictureAndColumnsAreDroppedNotBlended)
{
    QImage stripes(1360, 467, kFormat24);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QTemporaryDir dir;
    for (const char* name : {"stripes.jpg", "stripes.png"}) {
        SCOPED_TRACE(name);
        const QString source = dir.filePath(name);
        SavePictureFile(stripes, source, 100);
        const QString target = dir.filePath("stripes.tmb");
        ASSERT_TRUE(MakeThumbnailFile(source, target, 170, QImage(), 100));
        const QImage thumbnail = Read(target);
        EXPECT_EQ(thumbnail.size(), QSize(170, 58));
        if (QString(name).endsWith(".png")) {
            const int grey = qGreen(thumbnail.pixel(85, 29));
            EXPECT_TRUE(grey <= 8 || grey >= 247) << grey;
        }
    }
}
