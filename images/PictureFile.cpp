#include "images/PictureFile.h"

#include "images/Gif.h"
#include "images/Jpeg.h"
#include "images/ScaleToBox.h"
#include "images/codecs/Jpeg2000Bitmap.h"
#include "images/codecs/PCDFile.h"
#include "images/codecs/PCXFile.h"
#include "images/codecs/PictureCodecs.h"
#include "images/codecs/TGAFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace images {

namespace {

QString Extension(const QString& fileName)
{
    return QFileInfo(fileName).suffix().toLower();
}

bool IsJpeg(const QString& ext)
{
    return ext == "jpg" || ext == "jpeg" || ext == "tmb";
}

// Qt's decoders give many pixel formats; ours are 1, 8, 24 and 32 bits.
QImage Normalised(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_Indexed8:
    case kFormat24:
    case QImage::Format_ARGB32:
        return image;
    case QImage::Format_MonoLSB:
        return image.convertToFormat(QImage::Format_Mono);
    case QImage::Format_Grayscale8:
        return image.convertToFormat(QImage::Format_Indexed8, GreyPalette());
    default:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : kFormat24);
    }
}

// Decodes with one of Qt's image plugins; an empty format lets Qt look at
// the content. Qt's own error text is passed on.
QImage ReadWithQt(const QByteArray& data, const char* format, const char* error = nullptr)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(int(kMaxBitmapPixels * 4 / (1024 * 1024)));
    QImage image = reader.read();
    if (image.isNull())
        throw EGraphicFormat(error ? error : reader.errorString().toStdString());
    return image;
}

QByteArray WriteWithQt(const QImage& bitmap, const char* format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(bitmap))
        throw EGraphicFormat(writer.errorString().toStdString());
    return buffer.data();
}

// A picture drawn onto a new 24-bit bitmap, which starts white: pixels with
// alpha are blended with it instead of keeping their raw colour.
QImage DrawnOn24Bit(const QImage& picture)
{
    if (!picture.hasAlphaChannel())
        return picture.convertToFormat(kFormat24);
    QImage target(picture.size(), kFormat24);
    target.fill(Qt::white);
    QPainter painter(&target);
    painter.drawImage(0, 0, picture);
    painter.end();
    return target;
}

QImage OneByOne()
{
    QImage image(1, 1, kFormat24);
    image.fill(Qt::black);
    return image;
}

} // namespace

bool CanLoadPictureExtension(const QString& extension)
{
    static const QStringList known{"bmp", "jpg", "jpeg", "tmb", "jp2", "j2k", "gif",
                                   "pcx", "tga", "wmf", "pcd", "png", "tif", "tiff"};
    return known.contains(extension.toLower());
}

bool CanSavePictureExtension(const QString& extension)
{
    static const QStringList known{"bmp", "jpg", "jpeg", "gif", "pcx", "png", "tif", "tga"};
    return known.contains(extension.toLower());
}

void LoadPictureFile(QImage& target, const QString& fileName, bool reduced)
{
    const QFileInfo info(fileName);
    if (!info.isFile() || !CanLoadPictureExtension(info.suffix()))
        return;
    LoadPictureData(target, ReadFileBytes(fileName, "Cannot read the picture file"), info.suffix(),
                    reduced);
}

void LoadPictureData(QImage& target, const QByteArray& data, const QString& extension, bool reduced)
{
    const QString ext = extension.toLower();
    if (IsJpeg(ext)) {
        try {
            const int denominator = reduced ? ReducedJpegScale(JpegSize(data).width()) : 1;
            target = DecodeJpeg(data, denominator);
        } catch (const EGraphicFormat&) {
            target = OneByOne();
            throw;
        }
        return;
    }
    if (ext == "jp2" || ext == "j2k") {
        TJpeg2000Bitmap jpeg2000;
        try {
            jpeg2000.Decode(data);
        } catch (const EGraphicFormat& e) {
            target = OneByOne();
            throw EGraphicFormat(std::string("JPEG loading error: ") + e.what());
        }
        target = DrawnOn24Bit(jpeg2000.bitmap);
        return;
    }
    if (ext == "pcd") {
        TPCDFile pcd;
        pcd.Decode(data);
        target = pcd.Bitmap();
        return;
    }
    if (ext == "wmf")
        throw EGraphicFormat("WMF pictures: format not supported");

    QImage picture;
    if (ext == "gif") {
        picture = ReadWithQt(data, "gif", "GIF loading error").convertToFormat(kFormat24);
    } else if (ext == "pcx" || ext == "tga") {
        picture = DecodeWithCodec(ext.toLatin1(), data);
    } else if (ext == "tif" || ext == "tiff") {
        picture = DrawnOn24Bit(ReadWithQt(data, ""));
    } else if (ext == "bmp" || ext == "png") {
        picture = Normalised(ReadWithQt(data, ext.toLatin1().constData()));
    } else {
        return;
    }
    if (reduced)
        ScaleToBox(picture, target, kThumbnailBox);
    else
        target = picture;
}

void SavePictureFile(const QImage& bitmap, const QString& fileName, int quality)
{
    const QString ext = Extension(fileName);
    if (!CanSavePictureExtension(ext))
        throw EGraphicFormat("Pictures cannot be saved as \"." + ext.toStdString() + "\" files");
    QByteArray data;
    if (ext == "jpg" || ext == "jpeg") {
        data = EncodeJpeg(bitmap, quality);
    } else if (ext == "gif") {
        data = EncodeGif(bitmap);
    } else if (ext == "pcx") {
        TPCXFile pcx;
        pcx.AssignBitmap(bitmap);
        data = pcx.Encode();
    } else if (ext == "tga") {
        TTGAFile tga;
        tga.AssignBitmap(bitmap);
        data = tga.Encode();
    } else if (ext == "bmp" || ext == "png") {
        data = WriteWithQt(bitmap, ext.toLatin1().constData());
    } else { // "tif"
        data = WriteWithQt(bitmap, "tiff");
    }
    WriteFileBytes(fileName, data);
}

} // namespace images
