#include "images/Thumbnail.h"

#include "images/Jpeg.h"
#include "images/PictureFile.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>

namespace images {

namespace {

// A picture to make a thumbnail of, and the full size it stands for.
struct Source {
    QImage picture;
    QSize fullSize;
};

// JPEGs are decoded by the decoder's own scaling down to the smallest size
// that still covers the thumbnail; other pictures at full size. A JPEG the
// decoder had to get round damage in is refused: its thumbnail would be kept
// long after the file is whole again.
Source ReadForWidth(const QString& fileName, int width)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == "jpg" || ext == "jpeg" || ext == "tmb") {
        const QByteArray data = ReadFileBytes(fileName, "Cannot read the picture file");
        const QSize size = JpegSize(data);
        const QSize wanted(width, int(std::ceil(double(width) * size.height() / size.width())));
        bool damaged = false;
        QImage picture = DecodeJpeg(data, JpegScaleForSize(size, wanted), &damaged);
        if (damaged)
            throw EGraphicFormat("JPEG loading error");
        return {picture, size};
    }
    QImage picture;
    LoadPictureFile(picture, fileName, false);
    return {picture, picture.size()};
}

// The picture stretched to `width` and the height that keeps the aspect ratio
// of the full picture (the picture may be a reduced decode of it).
QImage StretchForThumbnail(const QImage& picture, QSize fullSize, int width)
{
    if (picture.isNull() || fullSize.isEmpty() || width <= 0)
        return {};
    const int height = std::max(
        1, int(std::nearbyint(width * (double(fullSize.height()) / fullSize.width()))));
    return picture.convertToFormat(kFormat24).scaled(width, height, Qt::IgnoreAspectRatio,
                                                     Qt::FastTransformation);
}

} // namespace

bool MakeThumbnailFile(const QString& sourceFile, const QString& targetFile, int width,
                       const QImage& bitmap, int quality)
{
    try {
        QFile::remove(targetFile);
        const Source source = QFileInfo(sourceFile).isFile() ? ReadForWidth(sourceFile, width)
                                                             : Source{bitmap, bitmap.size()};
        const QImage thumbnail = StretchForThumbnail(source.picture, source.fullSize, width);
        if (thumbnail.isNull())
            return false;
        WriteFileBytes(targetFile, EncodeJpeg(thumbnail, quality));
        return QFileInfo::exists(targetFile);
    } catch (...) {
        return false;
    }
}

} // namespace images
