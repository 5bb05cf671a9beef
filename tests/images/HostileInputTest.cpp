// Inputs that once broke a decoder, and hand-made lying files: every one must
// end in a picture or in EGraphicFormat, never in a crash or a huge allocation.

#include "images/PictureFile.h"

#include "TestData.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace images;
using namespace images::testing;

namespace {

// Fuzz finds are kept under fuzz/regressions/<extension>/.
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

    QByteArray tga = Bytes({0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 8, 0});
    tga += QByteArray(1 << 16, char(0xFF)); // runs of 128: not enough for 65535 lines
    ExpectFormatError([&] { LoadPictureData(target, tga, "tga", false); },
                      "Not supported or invalid TGA-File");
}

TEST(HostileInput, KeptFuzzFindings)
{
    const QDir root(QStringLiteral(TQ7_SOURCE_DIR "/fuzz/regressions"));
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        SCOPED_TRACE(file.filePath().toStdString());
        LoadsOrRefuses(ReadFileBytes(file.filePath(), "unreadable"), file.dir().dirName());
    }
}
