// Picture files of the journal's image store as image data: the two states,
// thumbnails, missing and damaged files, dates, storing and file names.

#include "images/Jpeg.h"
#include "images/Placeholders.h"
#include "images/PictureFile.h"
#include "images/PictureFileImageData.h"
#include "images/codecs/GraphicFormat.h"
#include "toolkit/Dialogs.h"

#include <QFile>
#include <QImageReader>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace images {
namespace {

class RecordingPresenter : public toolkit::DialogPresenter {
public:
    QStringList shown;
    int show(toolkit::DialogKind, const QString&, const QString& text, const QStringList&) override
    {
        shown.append(text);
        return 0;
    }
    void balloon(const QString&, const QString&, QWidget*, const QPoint&) override {}
};

QImage Filled(int w, int h, QRgb colour)
{
    QImage image(w, h, kFormat24);
    image.fill(colour);
    return image;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Close to the colour, allowing for JPEG's loss.
void ExpectNear(QRgb actual, QRgb expected)
{
    EXPECT_NEAR(qRed(actual), qRed(expected), 12);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), 12);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), 12);
}

class PictureFileImageDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        toolkit::setDialogPresenter(&dialogs);
    }
    void TearDown() override
    {
        toolkit::setDialogPresenter(nullptr);
        QLocale::setDefault(QLocale::c());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString save(const QString& name, const QImage& image)
    {
        SavePictureFile(image, path(name), 90);
        return path(name);
    }

    QTemporaryDir dir;
    RecordingPresenter dialogs;
};

TEST(PictureFileNameTest, NumbersFromTheFileName)
{
    struct Case {
        const char* path;
        int patientnr, lopnr;
    } cases[] = {
        {"123_45.jpg", 123, 45},
        {"/store/pat_1.2/123_45.jpg", 123, 45}, // the folder does not count
        {"1234.jpg", 0, 1234},                  // no "_": lopnr runs from the start
        {"abc.jpg", 0, 0},
        {"12_ab.jpg", 12, 0},
        {"12_34", 12, 0},                       // no "."
        {"a.b_3.jpg", 0, 0},                    // "." before "_"
        {"99999999999_1.png", 0, 1},            // beyond 32 bits
        {"7_8_9.jpg", 7, 0},                    // "8_9" is not an integer
    };
    for (const Case& c : cases) {
        const PictureFileNumbers n = ParsePictureFileName(c.path);
        EXPECT_EQ(n.patientnr, c.patientnr) << c.path;
        EXPECT_EQ(n.lopnr, c.lopnr) << c.path;
    }
}

TEST(PictureFileNameTest, PathsOfPicturesAndThumbnails)
{
    EXPECT_EQ(JournalPicturePath("/data/bilder", "1_2.jpg"), "/data/bilder/1_2.jpg");
    EXPECT_EQ(JournalPicturePath("/data/bilder/", "1_2.jpg"), "/data/bilder/1_2.jpg");
    EXPECT_EQ(ThumbnailFileName("/data/b.c/1_2.jpg"), "/data/b.c/1_2.tmb");
    EXPECT_EQ(ThumbnailFileName("/data/1_2.JPEG"), "/data/1_2.tmb");
    EXPECT_EQ(ThumbnailFileName("/data.d/picture"), "/data.d/picture.tmb");
}

TEST_F(PictureFileImageDataTest, JournalPictureIsLoadedWithItsNumbers)
{
    const QString file = save("77_12.png", Filled(40, 30, qRgb(10, 20, 30)));
    const auto image = MakeJournalPictureImage(file, 3);
    EXPECT_EQ(image->patientnr, 77);
    EXPECT_EQ(image->lopnr, 12);
    EXPECT_EQ(image->bildflik, 3);
    EXPECT_TRUE(image->BitmapLoaded());
    EXPECT_EQ(image->Picture().size(), QSize(40, 30));
    EXPECT_EQ(image->GetLocation(), file);
}

TEST_F(PictureFileImageDataTest, IconReleasesTheFullPictureAndGraphicReadsTheFileAgain)
{
    const QString file = save("1_1.png", Filled(40, 30, qRgb(200, 0, 0)));
    PictureFileImageData image;
    image.loadedfilename = file;
    QImage out;
    image.GetGraphic(out, 0, false);
    EXPECT_TRUE(image.BitmapLoaded());
    EXPECT_EQ(out.size(), QSize(40, 30));

    QImage icon;
    image.GetIconGraphic(icon, 0, true);
    EXPECT_FALSE(image.BitmapLoaded());
    EXPECT_EQ(image.Picture().size(), QSize(0, 0));
    EXPECT_EQ(icon.size(), QSize(40, 30)); // small pictures are not enlarged

    save("1_1.png", Filled(20, 10, qRgb(0, 0, 200)));
    image.GetGraphic(out, 0, false);
    EXPECT_TRUE(image.BitmapLoaded());
    ASSERT_EQ(out.size(), QSize(20, 10));
    EXPECT_EQ(out.pixel(5, 5), qRgb(0, 0, 200));
}

TEST_F(PictureFileImageDataTest, IconPrefersTheThumbnailFile)
{
    PictureFileImageData image;
    image.loadedfilename = save("5_6.jpg", Filled(400, 300, qRgb(220, 0, 0)));
    image.thumbfilename = ThumbnailFileName(image.loadedfilename);
    WriteBytes(image.thumbfilename, EncodeJpeg(Filled(170, 128, qRgb(0, 200, 0)), 75));

    QImage icon;
    image.GetIconGraphic(icon, 0, true);
    ASSERT_EQ(icon.size(), QSize(170, 128));
    ExpectNear(icon.pixel(85, 64), qRgb(0, 200, 0));
}

TEST_F(PictureFileImageDataTest, IconWithoutThumbnailReadsThePictureReduced)
{
    PictureFileImageData image;
    image.loadedfilename = save("5_6.jpg", Filled(400, 300, qRgb(220, 0, 0)));
    for (const QString& thumb : {QString(), path("absent.tmb")}) {
        image.thumbfilename = thumb;
        QImage icon;
        image.GetIconGraphic(icon, 0, true);
        // 400 / 4 = 100 is the first width above 70: decoded at a quarter.
        ASSERT_EQ(icon.size(), QSize(100, 75));
        ExpectNear(icon.pixel(50, 37), qRgb(220, 0, 0));
    }
}

TEST_F(PictureFileImageDataTest, DamagedThumbnailFallsBackToThePicture)
{
    PictureFileImageData image;
    image.loadedfilename = save("5_6.jpg", Filled(400, 300, qRgb(220, 0, 0)));
    image.thumbfilename = path("5_6.tmb");
    WriteBytes(image.thumbfilename, "not a jpeg at all");
    QImage icon;
    image.GetIconGraphic(icon, 0, true);
    EXPECT_EQ(icon.size(), QSize(100, 75));
}

TEST_F(PictureFileImageDataTest, MissingFileDrawsTheMessageInEachSize)
{
    PictureFileImageData image;
    image.loadedfilename = path("9_9.jpg");
    const QString message = "Filen saknas: " + image.loadedfilename;

    QImage full, icon, full32, expected;
    image.GetGraphic(full, 0, false);
    DrawMessagePlaceholder(expected, message, QSize(0, 0));
    EXPECT_EQ(full, expected);
    EXPECT_EQ(full.size(), QSize(450, 400));

    image.GetIconGraphic(icon, 0, true);
    DrawMessagePlaceholder(expected, message, QSize(105, 92));
    EXPECT_EQ(icon, expected);

    image.GetGraphic32(full32, 0, false);
    DrawMessagePlaceholder32(expected, message);
    EXPECT_EQ(full32, expected);
    EXPECT_EQ(full32.size(), QSize(105, 92));
    EXPECT_FALSE(image.BitmapLoaded());
}

TEST_F(PictureFileImageDataTest, LoadingAMissingFileShowsTheMissingFileMessage)
{
    PictureFileImageData image;
    EXPECT_FALSE(image.LoadFromFile(path("8_1.jpg")));
    EXPECT_TRUE(image.BitmapLoaded());
    QImage out, expected;
    image.GetGraphic(out, 0, false);
    DrawMessagePlaceholder(expected, "Filen saknas: " + path("8_1.jpg"), QSize(0, 0));
    EXPECT_EQ(out, expected);
}

TEST_F(PictureFileImageDataTest, DamagedPictureIsLoadedEmptyAndShowsItsError)
{
    const QString file = path("3_4.jpg");
    WriteBytes(file, "\xFF\xD8 truncated");
    PictureFileImageData image;
    EXPECT_FALSE(image.LoadFromFile(file));
    EXPECT_TRUE(image.BitmapLoaded());
    EXPECT_TRUE(image.Picture().isNull());

    QImage out;
    image.GetGraphic(out, 0, false);
    EXPECT_EQ(out.size(), QSize(450, 400));
    image.GetGraphic32(out, 0, false);
    EXPECT_EQ(out.size(), QSize(105, 92));
    EXPECT_EQ(out.format(), QImage::Format_ARGB32);
    image.GetIconGraphic(out, 0, true);
    EXPECT_EQ(out.size(), QSize(105, 92));
}

TEST_F(PictureFileImageDataTest, UnknownExtensionIsNoPicture)
{
    const QString file = path("3_4.txt");
    WriteBytes(file, "text");
    PictureFileImageData image;
    EXPECT_FALSE(image.LoadFromFile(file));
    QImage out;
    image.GetGraphic(out, 0, false);
    EXPECT_EQ(out.size(), QSize(450, 400));
}

TEST_F(PictureFileImageDataTest, Graphic32CopiesThePictureOpaque)
{
    PictureFileImageData image;
    image.LoadFromFile(save("1_2.bmp", Filled(7, 5, qRgb(1, 2, 3))));
    QImage out(1, 1, QImage::Format_ARGB32);
    image.GetGraphic32(out, 0, false);
    ASSERT_EQ(out.size(), QSize(7, 5));
    EXPECT_EQ(out.format(), QImage::Format_ARGB32);
    EXPECT_EQ(out.pixel(6, 4), 0xFF010203u);
}

TEST_F(PictureFileImageDataTest, DateFromTheFieldTheFileOrZero)
{
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    PictureFileImageData image;
    image.loadedfilename = save("1_2.png", Filled(2, 2, 0));
    image.FilDatum = QDateTime(QDate(2023, 5, 7), QTime(9, 3, 5));
    EXPECT_EQ(image.GetDate(false), "2023-05-07");
    EXPECT_EQ(image.GetDate(true), "2023-05-07 09:03:05");

    image.FilDatum = QDateTime();
    QFile file(image.loadedfilename);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2021, 2, 3), QTime(4, 5, 6)),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(image.GetDate(false), "2021-02-03");
    EXPECT_EQ(image.GetDate(true), "2021-02-03 04:05:06");

    image.FilDatum = ZeroDate(); // the zero date also counts as not set
    EXPECT_EQ(image.GetDate(false), "2021-02-03");

    image.loadedfilename = path("missing.png");
    EXPECT_EQ(image.GetDate(false), "1899-12-30");
    EXPECT_EQ(image.GetDate(true), "1899-12-30 00:00:00");
}

TEST(ImageDateFormatTest, TwoDigitYearFormatsShowTheCentury)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    ASSERT_TRUE(us.dateFormat(QLocale::ShortFormat).contains("yy"));
    EXPECT_EQ(FormatImageDate(ZeroDate(), false, us), "12/30/1899");
    EXPECT_EQ(FormatImageDate(QDateTime(), false, us), "12/30/1899");
    EXPECT_EQ(FormatImageDate(QDateTime(QDate(1999, 1, 2), QTime()), false, us), "1/2/1999");
}

TEST_F(PictureFileImageDataTest, StoreWritesThePictureBack)
{
    PictureFileImageData image;
    image.LoadFromFile(save("1_2.png", Filled(8, 8, qRgb(255, 0, 0))));
    image.Picture().fill(qRgb(0, 0, 255));
    QString errorres = "unchanged";
    EXPECT_TRUE(image.Store(true, errorres));
    EXPECT_EQ(errorres, "unchanged");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    QImage back;
    LoadPictureFile(back, path("1_2.png"), false);
    EXPECT_EQ(back.pixel(3, 3), qRgb(0, 0, 255));
}

TEST_F(PictureFileImageDataTest, StoreOfAJpegIsAtFullQuality)
{
    PictureFileImageData image;
    image.LoadFromFile(save("1_2.jpg", Filled(64, 64, qRgb(90, 140, 30))));
    QImage noise = image.Picture();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noise.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, (x * y) & 255));
    image.Picture() = noise;
    QString errorres;
    ASSERT_TRUE(image.Store(false, errorres));
    // Quality 100 keeps a noisy picture close; quality 75 would not.
    const QByteArray stored = FileBytes(path("1_2.jpg"));
    EXPECT_GT(stored.size(), EncodeJpeg(noise, 75).size() * 3 / 2);
}

TEST_F(PictureFileImageDataTest, StoreFailuresShowTheErrorAndKeepTheFile)
{
    // ".tiff" is read but never written; a released picture has nothing to
    // write, and writing it would have emptied the file.
    const QString tiff = path("1_2.tiff");
    ASSERT_TRUE(Filled(8, 8, qRgb(1, 2, 3)).save(tiff, "TIFF"));
    const QString png = save("1_3.png", Filled(8, 8, qRgb(1, 2, 3)));

    PictureFileImageData loadedTiff;
    loadedTiff.LoadFromFile(tiff);
    ASSERT_FALSE(loadedTiff.Picture().isNull());
    PictureFileImageData released;
    released.LoadFromFile(png);
    QImage icon;
    released.GetIconGraphic(icon, 0, true);

    for (PictureFileImageData* image : {&loadedTiff, &released}) {
        dialogs.shown.clear();
        const QByteArray before = FileBytes(image->loadedfilename);
        QString errorres = "unchanged";
        EXPECT_FALSE(image->Store(false, errorres));
        EXPECT_EQ(errorres, "unchanged");
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_TRUE(dialogs.shown[0].startsWith("Det gick inte att spara bilden!\r\r"))
            << dialogs.shown[0].toStdString();
        EXPECT_GT(dialogs.shown[0].size(), QString("Det gick inte att spara bilden!\r\r").size());
        EXPECT_EQ(FileBytes(image->loadedfilename), before);
    }
}

TEST_F(PictureFileImageDataTest, DicomOperationsAreAbstract)
{
    PictureFileImageData image;
    EXPECT_THROW(image.Delete(), EAbstractError);
    EXPECT_THROW(image.GetDcmValue(0x0008, 0x0018), EAbstractError);
}

// Our formats are known to Qt's own picture loading from the start of any
// program that reads pictures, without a registration by hand.
TEST(PictureCodecRegistration, QtKnowsOurFormatsOnceTheApplicationExists)
{
    const QList<QByteArray> known = QImageReader::supportedImageFormats();
    for (const char* format : {"pcx", "tga", "pcd", "jp2", "j2k", "jpc"})
        EXPECT_TRUE(known.contains(format)) << format;

    QTemporaryDir dir;
    QImage picture(5, 3, kFormat24);
    picture.fill(qRgb(10, 200, 30));
    SavePictureFile(picture, dir.filePath("a.pcx"), 100);
    QImage read;
    ASSERT_TRUE(read.load(dir.filePath("a.pcx")));
    EXPECT_EQ(read.size(), QSize(5, 3));
    EXPECT_EQ(read.pixel(2, 1), qRgb(10, 200, 30));
}

} // namespace
} // namespace images
