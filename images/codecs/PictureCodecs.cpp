#include "images/codecs/PictureCodecs.h"

#include "images/codecs/Jpeg2000Bitmap.h"
#include "images/codecs/PCDFile.h"
#include "images/codecs/PCXFile.h"
#include "images/codecs/TGAFile.h"

#include <QCoreApplication>
#include <QtPlugin>

#include <mutex>

extern const QT_PREPEND_NAMESPACE(QStaticPlugin) qt_static_plugin_TPictureCodecsPlugin();

namespace images {

namespace {

bool IsJpeg2000(const QByteArray& format)
{
    return format == "jp2" || format == "j2k" || format == "jpc";
}

bool Writable(const QByteArray& format)
{
    return format == "pcx" || format == "tga" || IsJpeg2000(format);
}

// The format a file's first bytes show, for files whose name says nothing.
QByteArray Sniff(QIODevice* device)
{
    const QByteArray start = device->peek(8);
    if (start.startsWith(QByteArray("\x00\x00\x00\x0C\x6A\x50\x20\x20", 8)))
        return "jp2";
    if (start.startsWith("\xFF\x4F\xFF\x51"))
        return "j2k";
    if (start.size() >= 3 && start[0] == 10 && start[1] == 5 && start[2] == 1)
        return "pcx";
    return {};
}

} // namespace

void RegisterPictureCodecs()
{
    static std::once_flag once;
    std::call_once(once, [] { qRegisterStaticPluginFunction(qt_static_plugin_TPictureCodecsPlugin()); });
}

// Every program that reads pictures knows our formats from its start, as
// soon as its application object exists.
Q_COREAPP_STARTUP_FUNCTION(RegisterPictureCodecs)

QImage DecodeWithCodec(const QByteArray& format, const QByteArray& data)
{
    if (format == "pcx") {
        TPCXFile pcx;
        pcx.Decode(data);
        return pcx.Bitmap();
    }
    if (format == "tga") {
        TTGAFile tga;
        tga.Decode(data);
        return tga.Bitmap();
    }
    if (format == "pcd") {
        TPCDFile pcd;
        pcd.Decode(data);
        return pcd.Bitmap();
    }
    TJpeg2000Bitmap jpeg2000;
    jpeg2000.Decode(data);
    return jpeg2000.bitmap;
}

TPictureCodecHandler::TPictureCodecHandler(const QByteArray& format) : format_(format)
{
    setFormat(format);
}

bool TPictureCodecHandler::canRead() const
{
    if (!device())
        return false;
    const QByteArray sniffed = Sniff(device());
    if (IsJpeg2000(format_))
        return IsJpeg2000(sniffed);
    if (format_ == "pcx")
        return sniffed == "pcx";
    return device()->bytesAvailable() > 0;
}

bool TPictureCodecHandler::read(QImage* image)
{
    try {
        *image = DecodeWithCodec(format_, device()->readAll());
        return true;
    } catch (const EGraphicFormat&) {
        return false;
    }
}

bool TPictureCodecHandler::write(const QImage& image)
{
    try {
        QByteArray data;
        if (format_ == "pcx") {
            TPCXFile pcx;
            pcx.AssignBitmap(image);
            data = pcx.Encode();
        } else if (format_ == "tga") {
            TTGAFile tga;
            tga.AssignBitmap(image);
            data = tga.Encode();
        } else {
            TJpeg2000Bitmap jpeg2000;
            jpeg2000.bitmap = image;
            data = jpeg2000.Encode();
        }
        return device()->write(data) == data.size();
    } catch (const EGraphicFormat&) {
        return false;
    }
}

QImageIOPlugin::Capabilities TPictureCodecsPlugin::capabilities(QIODevice* device,
                                                                const QByteArray& format) const
{
    QByteArray key = format.toLower();
    if (key.isEmpty() && device && device->isReadable())
        key = Sniff(device);
    if (key != "pcx" && key != "tga" && key != "pcd" && !IsJpeg2000(key))
        return {};
    Capabilities result = CanRead;
    if (Writable(key))
        result |= CanWrite;
    return result;
}

QImageIOHandler* TPictureCodecsPlugin::create(QIODevice* device, const QByteArray& format) const
{
    QByteArray key = format.toLower();
    if (key.isEmpty() && device)
        key = Sniff(device);
    auto* handler = new TPictureCodecHandler(key);
    handler->setDevice(device);
    return handler;
}

} // namespace images
