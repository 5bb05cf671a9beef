// The abstract image: the bare one thumbnails use, its abstract operations,
// the DICOM frame caches it deletes, and the property-editor base.

#include "images/ImageData.h"
#include "images/Placeholders.h"
#include "images/PropEditForm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace images {
namespace {

TEST(KxImageDataTest, BareImageDrawsTheNoPreviewPlaceholder)
{
    KxImageData image;
    QImage icon, icon32, expected, expected32;
    image.GetIconGraphic(icon, 3, false);
    image.GetIconGraphic32(icon32, 3, false);
    DrawNoPreviewPlaceholder(expected, false);
    DrawNoPreviewPlaceholder(expected32, true);
    EXPECT_EQ(icon, expected);
    EXPECT_EQ(icon32, expected32);
    EXPECT_EQ(icon.size(), QSize(105, 92));
    EXPECT_EQ(icon32.format(), QImage::Format_ARGB32);
}

// The icon operations go through the subclass's own full-size ones.
class SolidImage : public KxImageData {
public:
    bool GetGraphic(QImage& out, int frame, bool save) override
    {
        calls.append({frame, save});
        out = QImage(4, 4, QImage::Format_RGB888);
        out.fill(Qt::green);
        return true;
    }
    QList<std::pair<int, bool>> calls;
};

TEST(KxImageDataTest, IconAsksForTheFirstFrameAndAllowsSaving)
{
    SolidImage image;
    QImage icon;
    image.GetIconGraphic(icon, 5, false);
    ASSERT_EQ(image.calls.size(), 1);
    EXPECT_EQ(image.calls[0], std::make_pair(0, true));
    EXPECT_EQ(icon.pixel(0, 0), qRgb(0, 255, 0));
}

TEST(KxImageDataTest, AbstractOperationsRaise)
{
    KxImageData image;
    QString error;
    EXPECT_THROW(image.GetDate(true), EAbstractError);
    EXPECT_THROW(image.GetLocation(), EAbstractError);
    EXPECT_THROW(image.GetDcmValue(0x0028, 0x0008), EAbstractError);
    EXPECT_THROW(image.Store(true, error), EAbstractError);
    EXPECT_THROW(image.Delete(), EAbstractError);
}

class FrameCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"1.2.3.0.bmp", "1.2.3.0.b32", "1.2.3.1.bmp", "1.2.3.1.b32", "1.2.3.2.bmp",
                                 "1.2.3.4.0.bmp", "1.2.30.0.bmp", "1.2.3.0.txt", "1.2.3.01.bmp"})
            touch(dir.filePath(name));
    }
    static void touch(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList left() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir dir;
};

TEST_F(FrameCacheTest, EmptyFrameCountDeletesFrameZeroOnly)
{
    EXPECT_EQ(DeleteFrameCacheFiles(dir.path(), "1.2.3", ""), 2);
    EXPECT_EQ(left(), QStringList({"1.2.3.0.txt", "1.2.3.01.bmp", "1.2.3.1.b32", "1.2.3.1.bmp",
                                   "1.2.3.2.bmp", "1.2.3.4.0.bmp", "1.2.30.0.bmp"}));
}

TEST_F(FrameCacheTest, EveryFrameBelowTheCount)
{
    EXPECT_EQ(DeleteFrameCacheFiles(dir.path(), "1.2.3", "2"), 4);
    EXPECT_EQ(left(), QStringList({"1.2.3.0.txt", "1.2.3.01.bmp", "1.2.3.2.bmp", "1.2.3.4.0.bmp",
                                   "1.2.30.0.bmp"}));
    // A huge count only visits the files there are.
    EXPECT_EQ(DeleteFrameCacheFiles(dir.path(), "1.2.3", "2147483647"), 1);
}

TEST_F(FrameCacheTest, UidsThatNameOtherFilesAreRefused)
{
    QTemporaryDir outside;
    touch(outside.filePath("x.0.bmp"));
    const QString escape = QDir(dir.path()).relativeFilePath(outside.filePath("x"));
    ASSERT_TRUE(escape.startsWith(".."));
    for (const QString& uid : {escape, QString("*"), QString(""), QString("1.2.3/..")})
        EXPECT_EQ(DeleteFrameCacheFiles(dir.path(), uid, "1"), 0) << uid.toStdString();
    EXPECT_TRUE(QFile::exists(outside.filePath("x.0.bmp")));
    EXPECT_EQ(left().size(), 9);
}

class CountingEditor : public TPropEditForm {
public:
    void DoOnChange() override
    {
        if (OnChange())
            OnChange()();
    }
    void UpdateImageProperties() override {}
    void SetImage(KxImageData*) override {}
    void UpdateTagProperty(int, int, const QString&) override {}
};

TEST(PropEditFormTest, ChangesReachTheOwnersHandler)
{
    CountingEditor editor;
    editor.DoOnChange(); // no handler yet
    int changes = 0;
    editor.SetOnChange([&] { ++changes; });
    editor.DoOnChange();
    editor.DoOnChange();
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace images
