#include "images/ImageData.h"

#include "images/Placeholders.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace images {

bool KxImageData::GetIconGraphic(QImage& OutBmp, int, bool)
{
    return GetGraphic(OutBmp, 0, true);
}

bool KxImageData::GetGraphic(QImage& OutBmp, int, bool)
{
    DrawNoPreviewPlaceholder(OutBmp, false);
    return false;
}

bool KxImageData::GetIconGraphic32(QImage& OutBmp, int, bool)
{
    return GetGraphic32(OutBmp, 0, true);
}

bool KxImageData::GetGraphic32(QImage& OutBmp, int, bool)
{
    DrawNoPreviewPlaceholder(OutBmp, true);
    return false;
}

QString KxImageData::GetDate(bool)
{
    throw EAbstractError();
}

QString KxImageData::GetLocation()
{
    throw EAbstractError();
}

QString KxImageData::GetDcmValue(int, int)
{
    throw EAbstractError();
}

bool KxImageData::Store(bool, QString&)
{
    throw EAbstractError();
}

bool KxImageData::Delete()
{
    throw EAbstractError();
}

int DeleteFrameCacheFiles(const QString& tempDir, const QString& sopInstanceUid,
                          const QString& numberOfFrames)
{
    static const QRegularExpression uid(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    if (!uid.match(sopInstanceUid).hasMatch())
        return 0;
    bool isNumber = false;
    qint64 frames = numberOfFrames.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        frames = 1;
    static const QRegularExpression cacheName(QStringLiteral("^\\.(0|[1-9][0-9]*)\\.(bmp|b32)$"));
    const QDir dir(tempDir);
    int deleted = 0;
    for (const QString& name : dir.entryList({sopInstanceUid + ".*"}, QDir::Files)) {
        const QRegularExpressionMatch m = cacheName.match(name.mid(sopInstanceUid.size()));
        bool frameOk = false;
        const qint64 frame = m.hasMatch() ? m.captured(1).toLongLong(&frameOk) : -1;
        if (frameOk && frame < frames && QFile::remove(dir.filePath(name)))
            ++deleted;
    }
    return deleted;
}

} // namespace images
