#include "images/Jpeg.h"

#include "images/codecs/GraphicFormat.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>

namespace images {

namespace {

constexpr const char* kJpegError = "JPEG loading error";

struct HandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int Scaled(int size, int denominator)
{
    return (size + denominator - 1) / denominator;
}

// Warnings (a truncated file, say) still give a picture; only errors fail.
bool Failed(int result, void* handle)
{
    return result != 0 && tjGetErrorCode(handle) != TJERR_WARNING;
}

} // namespace

int ReducedJpegScale(int width)
{
    for (int denominator : {8, 4, 2})
        if (double(width) / denominator > 70.0)
            return denominator;
    return 1;
}

int JpegScaleForSize(QSize picture, QSize size)
{
    for (int denominator : {8, 4, 2})
        if (Scaled(picture.width(), denominator) >= size.width()
            && Scaled(picture.height(), denominator) >= size.height())
            return denominator;
    return 1;
}

QSize JpegSize(const QByteArray& data)
{
    Handle handle(tjInitDecompress());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!handle
        || tjDecompressHeader3(handle.get(), reinterpret_cast<const unsigned char*>(data.constData()),
                               static_cast<unsigned long>(data.size()), &width, &height,
                               &subsampling, &colourspace) != 0)
        throw EGraphicFormat(kJpegError);
    return {width, height};
}

QImage DecodeJpeg(const QByteArray& data, int denominator)
{
    const QSize full = JpegSize(data);
    QImage bitmap = NewBitmap(Scaled(full.width(), denominator), Scaled(full.height(), denominator),
                              kFormat24, kJpegError);
    Handle handle(tjInitDecompress());
    // Accurate DCT and smooth upsampling; progressive files with absurd scan
    // counts are refused.
    const int result = tjDecompress2(
        handle.get(), reinterpret_cast<const unsigned char*>(data.constData()),
        static_cast<unsigned long>(data.size()), bitmap.bits(), bitmap.width(),
        int(bitmap.bytesPerLine()), bitmap.height(), TJPF_RGB, TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS);
    if (Failed(result, handle.get()))
        throw EGraphicFormat(kJpegError);
    return bitmap;
}

QByteArray EncodeJpeg(const QImage& bitmap, int quality)
{
    const QImage source = bitmap.convertToFormat(kFormat24);
    if (source.isNull())
        throw EGraphicFormat("JPEG saving error: empty picture");
    Handle handle(tjInitCompress());
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(handle.get(), source.constBits(), source.width(),
                                   int(source.bytesPerLine()), source.height(), TJPF_RGB, &buffer,
                                   &size, TJSAMP_420, std::clamp(quality, 1, 100), TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, BufferDeleter> owned(buffer);
    if (result != 0)
        throw EGraphicFormat(std::string("JPEG saving error: ") + tjGetErrorStr2(handle.get()));
    return QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
}

} // namespace images
