#pragma once
// Our codecs as Qt image handlers, so that QImageReader and QImageWriter know
// "pcx", "tga", "pcd", "jp2", "j2k" and "jpc".

#include <QImageIOHandler>
#include <QImageIOPlugin>

namespace images {

// Registers the handlers with Qt's image system; safe to call more than once.
// It runs by itself when the application object is made.
void RegisterPictureCodecs();

// Decodes the picture in `data` by our codec for the format key ("pcx",
// "tga", "pcd", "jp2", "j2k", "jpc"); bad data raises EGraphicFormat.
QImage DecodeWithCodec(const QByteArray& format, const QByteArray& data);

class TPictureCodecHandler : public QImageIOHandler {
public:
    explicit TPictureCodecHandler(const QByteArray& format);
    bool canRead() const override;
    bool read(QImage* image) override;
    bool write(const QImage& image) override;

private:
    QByteArray format_;
};

class TPictureCodecsPlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "PictureCodecs.json")
public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;
};

} // namespace images
