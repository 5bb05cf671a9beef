// The DICOM image in the image-data family: pictures against DCMTK's
// converter, the private frame caches and the pixel drop, dates, icons,
// storing to and deleting from a folder source.

#include "TestObjects.h"

#include "dicom/DicomImageData.h"
#include "dicom/Identifiers.h"
#include "images/ImageHandler.h"
#include "images/KxVirtualTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

using dicom::DicomImageData;
using dicomtest::ObjectFolder;
using dicomtest::PixelSpec;
using dicomtest::Spec;

namespace {

class FakeFolderSource : public images::ImageHandler, public dicom::DicomFolderSource {
public:
    explicit FakeFolderSource(QString root) : root_(std::move(root)) {}
    QString FolderRoot() const override { return root_; }
    QStringList& FileList() override { return files; }

    std::unique_ptr<images::BasicImageData> GetImage(const QString&, const QString&, const QString&,
                                                     const QString&, bool) override { return nullptr; }
    std::unique_ptr<images::BasicImageData> GetDicomObjectWithMOVE(const QString&, const QString&,
                                                                   const QString&, const QString&,
                                                                   bool) override { return nullptr; }
    std::shared_ptr<IDicomDataSet> GetDicomThumbImage(const QString&, const QString&, const QString&,
                                                      const QString&, images::ImageHandler*&,
                                                      QString&) override { return nullptr; }
    int GetImageCount(const QString&) override { return 0; }
    images::ImageDataList GetAllDataSets(const QStringList&, const QStringList&, bool, bool) override { return {}; }
    images::ImageDataList GetImages(void*, const QString&, const QString&, bool, int) override { return {}; }
    QStringList GetImageTypes(const QString&, const QStringList&, const QStringList&) override { return {}; }
    void GetDataSet(const QString&, const QStringList&, images::TKxVirtualTable&) override {}

    QStringList files;

private:
    QString root_;
};

std::shared_ptr<IDicomDataSet> Load(const QString& path)
{
    auto ds = std::make_shared<IDicomDataSet>();
    ds->LoadFile(path);
    return ds;
}

QStringList CacheFiles()
{
    return QDir(DicomImageData::CacheFolder()).entryList(QDir::Files);
}

TEST(DicomImageData, PicturesMatchTheConverterOrArePlaceholders)
{
    ObjectFolder folder;
    const QString io = folder.make("io.dcm", Spec(13, 11, 16, 12, {"(0028,1050) DS [1000]", "(0028,1051) DS [500]"}));
    DicomImageData image(nullptr, Load(io), io);
    QImage picture;
    ASSERT_TRUE(image.GetGraphic(picture, 0, true));
    EXPECT_EQ(picture.format(), QImage::Format_RGB888);
    EXPECT_LE(dicomtest::MaxDifference(picture.convertToFormat(QImage::Format_Grayscale8),
                                       folder.reference("dcm2pnm", {"+Wi", "1"}, io)),
              1);
    ASSERT_TRUE(image.GetGraphic32(picture, 0, false));
    EXPECT_EQ(picture.format(), QImage::Format_ARGB32);
    EXPECT_EQ(picture.size(), QSize(11, 13));

    // No rows: the information placeholder. A hostile size: the error one.
    struct Row {
        const char* name;
        QStringList lines;
    };
    const Row rows[] = {
        {"norows.dcm", {"(0008,0060) CS [IO]", "(0008,0018) UI [1.2.3]", "(0028,0011) US 4"}},
        {"huge.dcm",
         {"(0008,0018) UI [1.2.4]", "(0028,0002) US 1", "(0028,0004) CS [MONOCHROME2]", "(0028,0010) US 65535",
          "(0028,0011) US 65535", "(0028,0100) US 16", "(0028,0101) US 12", "(0028,0103) US 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = folder.makeFromDump(row.name, row.lines, QByteArray(512, '\1'));
        DicomImageData bad(nullptr, Load(path), path);
        QImage placeholder;
        EXPECT_FALSE(bad.GetGraphic(placeholder, 0, true));
        EXPECT_EQ(placeholder.size(), QSize(110, 92));
        EXPECT_FALSE(bad.GetGraphic32(placeholder, 0, true));
        EXPECT_EQ(placeholder.size(), QSize(105, 92));
    }
}

TEST(DicomImageData, EightBitFramesAreCachedPrivatelyAndTheirPixelsDropped)
{
    ObjectFolder folder;
    PixelSpec spec = Spec(10, 9, 8, 8, {"(0008,0018) UI [1.2.826.0.1.77.1]"});
    spec.frames = 2;
    const QString px = folder.make("px.dcm", spec);
    const QString dir = DicomImageData::CacheFolder();
    ASSERT_FALSE(dir.isEmpty());
    EXPECT_NE(QDir(dir).canonicalPath(), QDir(QDir::tempPath()).canonicalPath());
    struct stat info{};
    ASSERT_EQ(stat(dir.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    auto first = std::make_unique<DicomImageData>(nullptr, Load(px), px);
    QImage rendered;
    ASSERT_TRUE(first->GetGraphic(rendered, 1, true));
    EXPECT_TRUE(CacheFiles().contains("1.2.826.0.1.77.1.1.bmp"));
    EXPECT_FALSE(first->DataSet()->PixelsDropped());
    // The second request is served by the cache; the pixels go.
    QImage cached;
    ASSERT_TRUE(first->GetGraphic(cached, 1, true));
    EXPECT_EQ(dicomtest::MaxDifference(cached, rendered), 0);
    EXPECT_TRUE(first->DataSet()->PixelsDropped());
    EXPECT_TRUE(first->FImageIsThumbnail);

    // Another image of the same object keeps the caches alive.
    auto second = std::make_unique<DicomImageData>(nullptr, Load(px), px);
    first.reset();
    EXPECT_TRUE(CacheFiles().contains("1.2.826.0.1.77.1.1.bmp"));
    QImage again;
    ASSERT_TRUE(second->GetGraphic(again, 1, true));
    EXPECT_EQ(dicomtest::MaxDifference(again, rendered), 0);
    second.reset();
    EXPECT_FALSE(CacheFiles().contains("1.2.826.0.1.77.1.1.bmp"));

    // More than 8 bits stored are not cached; a path-like UID names no file.
    const QString io = folder.make("io.dcm", Spec(4, 4, 16, 12, {"(0008,0018) UI [1.2.826.0.1.77.2]"}));
    const QString evil = folder.make("evil.dcm", Spec(4, 4, 8, 8, {"(0008,0018) UI [../../../../tmp/tq7-evil]"}));
    const QStringList before = CacheFiles();
    for (const QString& path : {io, evil}) {
        DicomImageData image(nullptr, Load(path), path);
        QImage out;
        EXPECT_TRUE(image.GetGraphic(out, 0, true));
        EXPECT_TRUE(image.GetGraphic(out, 0, true));
        EXPECT_FALSE(image.DataSet()->PixelsDropped());
    }
    EXPECT_EQ(CacheFiles(), before);
    EXPECT_FALSE(QFile::exists("/tmp/tq7-evil.0.bmp"));
}

struct DateRow {
    QStringList lines;
    bool withTime;
    const char* expected;
};

TEST(DicomImageData, DatesAreTheFirstOfTheDateAttributes)
{
    const DateRow rows[] = {
        {{"(0008,0020) DA [20240102]", "(0008,0030) TM [101500]"}, true, "20240102101500"},
        {{"(0008,0020) DA [20240102]", "(0008,0030) TM [101500]"}, false, "20240102"},
        {{"(0008,0021) DA [20230303]", "(0008,0020) DA [20240102]", "(0008,0030) TM [101500]"}, true,
         "20230303 101500"},
        {{"(0008,0022) DA [20200101]", "(0008,0032) TM [0800]", "(0008,0023) DA [20210101]"}, true, "202001010800"},
        {{"(0008,0012) DA [19991231]"}, true, "19991231"},
        {{"(0008,0030) TM [101500]"}, true, ""},
    };
    ObjectFolder folder;
    int n = 0;
    for (const DateRow& row : rows) {
        SCOPED_TRACE(row.lines.join(' ').toStdString());
        const QString path = folder.makeFromDump(QStringLiteral("d%1.dcm").arg(n++), row.lines);
        DicomImageData image(nullptr, Load(path), path);
        EXPECT_EQ(image.GetDate(row.withTime), row.expected);
    }
}

TEST(DicomImageData, IconsAre170WideWithTheObjectsProportions)
{
    struct Row {
        int rows;
        int columns;
        int height;
    };
    ObjectFolder folder;
    for (const Row& row : {Row{300, 510, 100}, Row{301, 1000, 51}, Row{40, 30, 227}, Row{8, 1700, 1}}) {
        SCOPED_TRACE(row.columns);
        const QString path = folder.make("icon.dcm", Spec(row.rows, row.columns, 16, 12));
        DicomImageData image(nullptr, Load(path), path);
        image.GenerateIcon();
        int width = 0;
        int height = 0;
        ASSERT_TRUE(image.DataSet()->GetIconSize(width, height));
        EXPECT_EQ(width, 170);
        EXPECT_EQ(height, row.height);
        EXPECT_EQ(image.DataSet()->RenderIcon().size(), QSize(170, row.height));
        QImage thumbnail;
        ASSERT_TRUE(image.GetIconGraphic(thumbnail, 0, false));
        EXPECT_LE(std::max(thumbnail.width(), thumbnail.height()), 170);
    }
}

TEST(DicomImageData, StoresIntoThePatientsFolderAndDeletesOnlyListedFiles)
{
    ObjectFolder folder;
    QTemporaryDir rootDir;
    const QString root = rootDir.path();
    FakeFolderSource source(root);
    source.PatientIdType = images::pidMedBindestreck;
    const QString path = folder.make("px.dcm", Spec(6, 9, 8, 8, {"(0010,0020) LO [191212121212]",
                                                                   "(0008,0018) UI [1.2.826.0.1.77.3]"}));
    DicomImageData image(&source, Load(path), QStringLiteral("elsewhere/1.2.826.0.1.77.3.dcm"));
    QString error;
    ASSERT_TRUE(image.Store(true, error)) << error.toStdString();
    const QString stored = QDir(root).filePath("19121212-1212/1.2.826.0.1.77.3.dcm");
    EXPECT_EQ(image.GetFilename(), stored);
    IDicomDataSet back;
    back.LoadFile(stored);
    EXPECT_EQ(back.GetValue(0x0010, 0x0020), "19121212-1212");
    EXPECT_EQ(back.GetArrivalTransferSyntax(), 25);
    EXPECT_TRUE(back.TagExists(dicom::PackTag(0x0088, 0x0200)));
    EXPECT_EQ(image.GetLocation(), stored);

    // Dropped pixels are never written over the stored object.
    image.DataSet()->SetByteArrayByTag(dicom::PackTag(0x7FE0, 0x0010), {}, true);
    EXPECT_FALSE(image.Store(true, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Det gick inte att spara bilden!")));
    IDicomDataSet intact;
    intact.LoadFile(stored);
    EXPECT_FALSE(intact.RenderFrame(0).isNull());

    // Deleting: only a listed file under the folder, never without a source.
    DicomImageData orphan(nullptr, Load(stored), stored);
    EXPECT_FALSE(orphan.Delete());
    EXPECT_TRUE(QFile::exists(stored));
    DicomImageData outside(&source, Load(path), path);
    source.files = {path};
    EXPECT_FALSE(outside.Delete());
    EXPECT_TRUE(QFile::exists(path));
    DicomImageData unlisted(&source, Load(stored), stored);
    source.files = {};
    EXPECT_FALSE(unlisted.Delete());
    EXPECT_TRUE(QFile::exists(stored));
    DicomImageData listed(&source, Load(stored), stored);
    source.files = {QStringLiteral("other.dcm"), stored};
    EXPECT_TRUE(listed.Delete());
    EXPECT_FALSE(QFile::exists(stored));
    EXPECT_EQ(source.files, QStringList{"other.dcm"});
}

TEST(DicomImageData, PatientIdsTakeTheSourcesForm)
{
    struct Row {
        const char* id;
        images::TPatientIdType type;
        const char* expected;
    };
    for (const Row& row : {Row{"191212121212", images::pidMedBindestreck, "19121212-1212"},
                           Row{"19121212-1212", images::pidMedBindestreck, "19121212-1212"},
                           Row{"1234", images::pidMedBindestreck, "1234"},
                           Row{" 19121212-1212\t", images::pidUtanBindestreck, "191212121212"},
                           Row{"19/12\\12!&121212", images::pidBoth, "191212121212"}})
        EXPECT_EQ(dicom::NormalisePatientId(row.id, row.type, true), row.expected) << row.id;
}

TEST(DicomIdentifiers, UidsAreUniqueAndDecimalStringsFit)
{
    QSet<QString> uids;
    for (int i = 0; i < 2000; ++i) {
        const QString uid = dicom::NewUid();
        EXPECT_TRUE(dicom::IsFileNameUid(uid)) << uid.toStdString();
        uids.insert(uid);
    }
    EXPECT_EQ(uids.size(), 2000);
    for (const char* bad : {"../../x", "1..2", "1.2.", "", "1.2.3a", "1/2"})
        EXPECT_FALSE(dicom::IsFileNameUid(bad)) << bad;

    for (double value : {0.0846666666666667, 25.4 / 300.0, 1.0 / 3.0, 123456789.123456, -0.000012345678901, 96.0}) {
        const QString text = dicom::DecimalString(value);
        EXPECT_LE(text.size(), 16) << text.toStdString();
        EXPECT_NEAR(text.toDouble(), value, std::abs(value) * 1e-9) << text.toStdString();
    }
    EXPECT_THROW(dicom::DecimalString(std::numeric_limits<double>::infinity()), dicom::DicomError);
}

} // namespace
