#include "images/Thumbnail.h"

#include "images/Jpeg.h"
#include "images/PictureFile.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace images {

namespace {

// JPEGs are decoded by the decoder's own scaling down to the smallest size
// that still covers the thumbnail; other pictures at full size.
QImage ReadForWidth(const QString& fileName, int width)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == "jpg" || ext == "jpeg" || ext == "tmb") {
        const QByteArray data = ReadFileBytes(fileName, "Cannot read the picture file");
        const QSize size = JpegSize(data);
        const QSize wanted(width, int(std::ceil(double(width) * size.height() / size.width())));
        return DecodeJpeg(data, JpegScaleForSize(size, wanted));
    }
    QImage picture;
    LoadPictureFile(picture, fileName, false);
    return picture;
}

} // namespace

bool MakeThumbnailFile(const QString& sourceFile, const QString& targetFile, int width,
                       const QImage& bitmap, int quality)
{
    try {
        QFile::remove(targetFile);
        const QImage picture = QFileInfo(sourceFile).isFile() ? ReadForWidth(sourceFile, width) : bitmap;
        if (picture.isNull() || width <= 0)
            return false;
        const int height = std::max(
            1, int(std::nearbyint(width * (double(picture.height()) / picture.width()))));
        const QImage thumbnail = picture.convertToFormat(kFormat24).scaled(
            width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        WriteFileBytes(targetFile, EncodeJpeg(thumbnail, quality));
        return QFileInfo::exists(targetFile);
    } catch (...) {
        return false;
    }
}

} // namespace images
